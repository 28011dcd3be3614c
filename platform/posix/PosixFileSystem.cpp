#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vx {

namespace {

constexpr unsigned kKindBits = AttrHidden | AttrSystem | AttrDirectory;

bool WithinMask(unsigned attributes, unsigned mask) {
    return (attributes & kKindBits & ~mask) == 0;
}

}  // namespace

std::int64_t PosixFileSystem::modificationTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int e = errno;
        throw PlatformError(e, std::strerror(e));
    }
    return st.st_mtime;
}

std::optional<FileId> PosixFileSystem::folderId(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

Listing PosixFileSystem::listFolder(const std::string& folder, unsigned mask) {
    Listing out;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        out.ok = false;
        out.error = errno;
        if (fd >= 0) ::close(fd);
        return out;
    }
    const bool wantFolders = (mask & AttrDirectory) != 0;
    for (;;) {
        errno = 0;
        const dirent* d = ::readdir(dir);
        if (d == nullptr) {
            if (errno != 0) {
                out.ok = false;
                out.error = errno;
            }
            break;
        }
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;

        unsigned attributes = name[0] == '.' ? unsigned{AttrHidden} : 0U;
        FileId id;
        unsigned char type = d->d_type;
        // Regular files are known from the listing alone; folders are stat'ed only when
        // they are wanted, for their identity; links and unknown kinds are followed.
        if (type == DT_DIR && !wantFolders) continue;
        if (type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(fd, name, &st, 0) != 0) continue;  // vanished or a dangling link
            if (S_ISDIR(st.st_mode)) {
                type = DT_DIR;
                id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
            } else if (S_ISREG(st.st_mode)) {
                type = DT_REG;
            } else {
                continue;
            }
        }
        if (type == DT_DIR) {
            attributes |= AttrDirectory;
        } else if (type != DT_REG) {
            continue;  // FIFOs, sockets, devices: reading one could block forever
        }
        if (!WithinMask(attributes, mask)) continue;
        out.entries.push_back(DirEntry{name, attributes, id});
    }
    ::closedir(dir);
    // Sorting the entries themselves would move every string many times; sort their places.
    std::vector<std::uint32_t> order(out.entries.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return out.entries[a].name < out.entries[b].name;
    });
    std::vector<DirEntry> sorted;
    sorted.reserve(order.size());
    for (const std::uint32_t i : order) sorted.push_back(std::move(out.entries[i]));
    out.entries = std::move(sorted);
    return out;
}

}  // namespace vx
