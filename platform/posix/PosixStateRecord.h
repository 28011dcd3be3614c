#pragma once

#include <string>

#include "platform/Services.h"

namespace vx {

// The record as one small file, replaced atomically and flushed to disk. A claim is a lock
// on a file beside it, as the record itself is replaced by renames.
class PosixStateRecord : public StateRecord {
  public:
    explicit PosixStateRecord(std::string file) : file_(std::move(file)) {}
    ~PosixStateRecord() override { letGo(); }
    PosixStateRecord(const PosixStateRecord&) = delete;
    PosixStateRecord& operator=(const PosixStateRecord&) = delete;
    std::optional<std::string> read() override;
    void write(const std::string& text) override;
    void remove() override;
    bool claim() override;
    void letGo() override;

    // $XDG_STATE_HOME/vellumax/NAME, or ~/.local/state/vellumax/NAME.
    static std::string StandardFile(const std::string& name);

  private:
    std::string file_;
    int lock_ = -1;
};

}  // namespace vx
