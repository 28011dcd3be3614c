#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vx {

// The whole content of a regular file of at most limit bytes. Anything else (missing, a
// folder, a FIFO, a device, a link to one, too big, a read error) is nullopt, and reading
// never waits on a FIFO or a device.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit);

// Replaces the file with the bytes so that a crash leaves the old or the new content, never
// a part: a temporary file beside it, written, flushed to disk and renamed over it. The
// folder is created (mode 0700) when missing; a link is followed. Throws PlatformError.
void ReplaceFileDurably(const std::string& path, const std::string& bytes, unsigned mode);

// Removes the file durably; a file that is not there is no error. Throws PlatformError.
void RemoveFileDurably(const std::string& path);

// Opens the file (created with its folder when missing) and locks it for this process
// without waiting. The descriptor, closed on exec so that started programs do not keep the
// lock; -1 when another process holds it. Throws PlatformError.
int LockFileExclusively(const std::string& path);

}  // namespace vx
