#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <string>

namespace vx::test {

// The user's home folder on a tmpfs of its own in a private mount namespace, so nothing of the
// machine's is touched. Make it before cupsd starts and before any thread exists; ok() is
// false, with why(), where mounting is not allowed.
class SmallHome {
  public:
    explicit SmallHome(unsigned long bytes);
    ~SmallHome() {
        if (mounted_) ::umount2(home_.c_str(), MNT_DETACH);
    }
    SmallHome(const SmallHome&) = delete;
    SmallHome& operator=(const SmallHome&) = delete;

    bool ok() const { return mounted_; }
    const std::string& why() const { return why_; }
    // Fills the file system to the last byte with a file in ~/PDF, and removes it again.
    void fill();
    void free() { ::unlink(filler_.c_str()); }

  private:
    std::string home_, filler_, why_;
    bool mounted_ = false;
};

}  // namespace vx::test
