#include "textprint/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "textprint/Temporary.h"
#include "textprint/TextDecoder.h"

namespace vx {

namespace {

std::string Quoted(const std::string& path) {
    std::string quoted = DisplayName(path);
    quoted.insert(quoted.begin(), '"');
    quoted.push_back('"');
    return quoted;
}

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::FILE* OpenTextFile(const std::string& path, std::string& error) {
    // Non-blocking, so that opening a FIFO with no writer returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read " + Quoted(path) + ": " + std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "cannot read " + Quoted(path) + ": " +
                (S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file");
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* in = ::fdopen(fd, "rb");
    if (in == nullptr) {
        error = "cannot read " + Quoted(path) + ": " + std::strerror(errno);
        ::close(fd);
    }
    return in;
}

OutputFile::~OutputFile() {
    if (file_ != nullptr) std::fclose(file_);
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        ForgetTemporary();
    }
}

std::FILE* OutputFile::open(const std::string& path, std::FILE* input, std::string& error) {
    struct stat out {};
    struct stat in {};
    const bool exists = ::stat(path.c_str(), &out) == 0;
    if (exists && ::fstat(::fileno(input), &in) == 0 && in.st_dev == out.st_dev &&
        in.st_ino == out.st_ino) {
        error = "will not write " + Quoted(path) + ": it is the file being printed";
        return nullptr;
    }
    if (exists && !S_ISREG(out.st_mode)) {
        final_ = path;
        file_ = std::fopen(path.c_str(), "wb");
        if (file_ == nullptr) error = "cannot write " + Quoted(path) + ": " + std::strerror(errno);
        return file_;
    }
    final_ = path;
    if (exists) {
        char real[PATH_MAX];
        if (::realpath(path.c_str(), real) != nullptr) final_ = real;
    }
    std::string name = final_.substr(final_.rfind('/') + 1);
    temporary_ = Folder(final_) + "." + name + ".XXXXXX";
    const int fd = MakeTemporary(temporary_);
    if (fd < 0) {
        error = "cannot write " + Quoted(path) + ": " + std::strerror(errno);
        temporary_.clear();
        return nullptr;
    }
    // mkstemp makes it private; the PDF gets the mode a new file would have.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, exists ? out.st_mode & 07777 : 0666 & ~mask);
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        error = "cannot write " + Quoted(path) + ": " + std::strerror(errno);
        ::close(fd);
    }
    return file_;
}

bool OutputFile::commit(std::string& error) {
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0 || (!temporary_.empty() && ::rename(temporary_.c_str(), final_.c_str()) != 0)) {
        error = "cannot write " + Quoted(final_) + ": " + std::strerror(errno);
        return false;
    }
    if (!temporary_.empty()) ForgetTemporary();
    temporary_.clear();
    return true;
}

}  // namespace vx
