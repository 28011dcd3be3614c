#pragma once

#include <string>

#include "platform/Services.h"

namespace vx {

// The record as one small file, replaced atomically and flushed to disk.
class PosixStateRecord : public StateRecord {
  public:
    explicit PosixStateRecord(std::string file) : file_(std::move(file)) {}
    std::optional<std::string> read() override;
    void write(const std::string& text) override;
    void remove() override;

    // $XDG_STATE_HOME/vellumax/NAME, or ~/.local/state/vellumax/NAME.
    static std::string StandardFile(const std::string& name);

  private:
    std::string file_;
};

}  // namespace vx
