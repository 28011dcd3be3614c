#include "platform/qt/EndSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace vx {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// A signal handler has no context of its own: the write end of the pipe is all it knows.
std::atomic<int> signalPipe{-1};

extern "C" void OnSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    if (const int fd = signalPipe.load(); fd >= 0) (void)!::write(fd, &byte, 1);
    errno = saved;
}

}  // namespace

EndSignals::EndSignals(std::function<void()> onEnd, QObject* parent)
    : QObject(parent), onEnd_(std::move(onEnd)) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) == 0) {
        signalPipe.store(pipe_[1]);
        notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            unsigned char bytes[64];
            while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
            }
            end();
        });
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int s : kSignals) ::sigaction(s, &action, nullptr);
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { end(); });
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { end(); });
    }
}

EndSignals::~EndSignals() {
    for (const int s : kSignals) std::signal(s, SIG_DFL);
    signalPipe.store(-1);
    for (const int fd : pipe_)
        if (fd >= 0) ::close(fd);
}

void EndSignals::end() {
    if (ended_) return;
    ended_ = true;
    onEnd_();
}

}  // namespace vx
