#include "system/SmallHome.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "system/PrivateCups.h"

namespace vx::test {

SmallHome::SmallHome(unsigned long bytes)
    : home_(PdfFolder().substr(0, PdfFolder().rfind('/'))), filler_(PdfFolder() + "/.filler") {
    if (::geteuid() != 0) {
        why_ = "mounting a small file system over the home folder needs root";
    } else if (::unshare(CLONE_NEWNS) != 0 ||
               ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        why_ = std::string("no private mount namespace here: ") + std::strerror(errno);
    } else if (::mount("vellumax-small-home", home_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                       ("size=" + std::to_string(bytes) + ",mode=0700").c_str()) != 0) {
        why_ = "cannot mount a tmpfs over " + home_ + ": " + std::strerror(errno);
    } else {
        mounted_ = ::mkdir(PdfFolder().c_str(), 0700) == 0;
        if (!mounted_) ::umount2(home_.c_str(), MNT_DETACH);
    }
}

void SmallHome::fill() {
    const int fd = ::open(filler_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    static const char block[4096] = {};
    for (std::size_t size = sizeof block; size > 0; size /= 2)
        while (::write(fd, block, size) == static_cast<ssize_t>(size)) {
        }
    ::close(fd);
}

}  // namespace vx::test
