#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace vx {

// Calls onEnd once, on the UI thread, when the program is asked to end from outside:
// SIGTERM, SIGHUP or SIGINT, the desktop session ending, or the application quitting.
// The signal handler only writes a byte to a pipe; everything else runs from the event loop.
class EndSignals : public QObject {
  public:
    explicit EndSignals(std::function<void()> onEnd, QObject* parent = nullptr);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

  private:
    void end();

    std::function<void()> onEnd_;
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    bool ended_ = false;
};

}  // namespace vx
