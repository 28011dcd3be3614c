#include "platform/posix/PosixStateRecord.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/SmallFile.h"

namespace vx {

std::optional<std::string> PosixStateRecord::read() {
    if (file_.empty()) return std::nullopt;
    return ReadSmallFile(file_, std::size_t{1} << 16);
}

void PosixStateRecord::write(const std::string& text) {
    if (file_.empty()) throw PlatformError(ENOENT, "There is no folder to keep the record in.");
    ReplaceFileDurably(file_, text, 0600);
}

void PosixStateRecord::remove() {
    if (file_.empty()) return;
    RemoveFileDurably(file_);
}

bool PosixStateRecord::claim() {
    if (lock_ >= 0) return true;
    if (file_.empty()) throw PlatformError(ENOENT, "There is no folder to keep the record in.");
    lock_ = LockFileExclusively(file_ + ".lock");
    return lock_ >= 0;
}

void PosixStateRecord::letGo() {
    if (lock_ < 0) return;
    ::close(lock_);
    lock_ = -1;
}

std::string PosixStateRecord::StandardFile(const std::string& name) {
    std::string state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && *xdg == '/') {
        state = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0) {
        state = std::string(home) + "/.local/state";
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir[0] == '/') {
        state = std::string(pw->pw_dir) + "/.local/state";
    } else {
        return {};  // no home: nothing can be recorded, so runs refuse to switch
    }
    return state + "/vellumax/" + name;
}

}  // namespace vx
