#pragma once

// The user's home folder on a small file system of its own, seen only by this process and
// its children (a private mount namespace): the backend files into it as it would into a
// nearly full disk, and nothing of the machine's is touched.

#include <string>

namespace vx::test {

class SmallHome {
  public:
    // Mounts a tmpfs of the given size over the home folder. Call before starting cupsd and
    // before any thread exists. ok() is false, with why(), where mounting is not allowed.
    explicit SmallHome(unsigned long bytes);
    ~SmallHome();
    SmallHome(const SmallHome&) = delete;
    SmallHome& operator=(const SmallHome&) = delete;

    bool ok() const { return mounted_; }
    const std::string& why() const { return why_; }
    // Fills the file system to the last byte with a file in ~/PDF, and removes it again.
    void fill();
    void free();

  private:
    std::string home_;
    std::string filler_;
    std::string why_;
    bool mounted_ = false;
};

}  // namespace vx::test
