#pragma once

#include <windows.h>

#include <string>

#include "platform/Services.h"

namespace vx {

// The record as one small file, written beside itself, flushed and moved over the old one
// in one step. A claim holds "NAME.lock" open with no sharing, which the system lets go of
// when the process ends however it ends.
class Win32StateRecord : public StateRecord {
  public:
    explicit Win32StateRecord(std::string file) : file_(std::move(file)) {}
    ~Win32StateRecord() override { letGo(); }
    Win32StateRecord(const Win32StateRecord&) = delete;
    Win32StateRecord& operator=(const Win32StateRecord&) = delete;
    std::optional<std::string> read() override;
    void write(const std::string& text) override;
    void remove() override;
    bool claim() override;
    void letGo() override;

    // %LOCALAPPDATA%\Vellumax\NAME; empty when the system names no such folder.
    static std::string StandardFile(const std::string& name);

  private:
    std::string file_;
    HANDLE lock_ = INVALID_HANDLE_VALUE;
};

}  // namespace vx
