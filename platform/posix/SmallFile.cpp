#include "platform/posix/SmallFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/PlatformError.h"

namespace vx {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int e) {
    throw PlatformError(e, what + " \"" + path + "\": " + std::strerror(e));
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void MakeFolders(const std::string& folder) {
    if (folder.empty() || folder == "/" || folder == ".") return;
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) return;
    MakeFolders(FolderOf(folder));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        Fail("Cannot create the folder", folder, errno);
}

// A rename or unlink is durable once the folder holding it is flushed.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> out;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::size_t>(st.st_size) <= limit) {
        std::string bytes;
        char buf[8192];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > limit) break;
            if (n == 0) {
                out = std::move(bytes);
                break;
            }
            bytes.append(buf, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return out;
}

void ReplaceFileDurably(const std::string& link, const std::string& bytes, unsigned mode) {
    // A settings file kept elsewhere through a link stays there: the target is replaced.
    std::string path = link;
    if (char* real = ::realpath(link.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    const std::string folder = FolderOf(path);
    MakeFolders(folder);
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          static_cast<mode_t>(mode));
    if (fd < 0) Fail("Cannot write", temp, errno);
    std::size_t done = 0;
    int error = 0;
    while (done < bytes.size() && error == 0) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (errno != EINTR)
            error = errno;
    }
    if (error == 0 && ::fchmod(fd, static_cast<mode_t>(mode)) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        Fail("Cannot write", path, error);
    }
    SyncFolder(folder);
}

void RemoveFileDurably(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        if (errno == ENOENT) return;
        Fail("Cannot remove", path, errno);
    }
    SyncFolder(FolderOf(path));
}

int LockFileExclusively(const std::string& path) {
    MakeFolders(FolderOf(path));
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) Fail("Cannot open", path, errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    const int e = errno;
    ::close(fd);
    if (e == EWOULDBLOCK) return -1;
    Fail("Cannot lock", path, e);
}

}  // namespace vx
