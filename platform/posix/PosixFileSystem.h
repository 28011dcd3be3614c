#pragma once

#include "platform/Services.h"

namespace vx {

// Folders through opendir/fstatat. A name starting with "." counts as hidden;
// nothing is a system file.
class PosixFileSystem : public FileSystem {
  public:
    char separator() const override { return '/'; }
    std::int64_t modificationTime(const std::string& path) override;
    Listing listFolder(const std::string& folder, unsigned mask) override;
    std::optional<FileId> folderId(const std::string& folder) override;
};

}  // namespace vx
