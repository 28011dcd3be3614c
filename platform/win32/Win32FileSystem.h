#pragma once

#include <string>

#include "platform/Services.h"

namespace vx {

// Folder listings through FindFirstFileW/FindNextFileW; paths use "\".
class Win32FileSystem : public FileSystem {
  public:
    char separator() const override { return '\\'; }
    std::int64_t modificationTime(const std::string& path) override;
    Listing listFolder(const std::string& folder, unsigned mask) override;
    std::optional<FileId> folderId(const std::string& folder) override;
};

// A path the wide file functions take at any length: long absolute paths get the "\\?\" form.
std::wstring LongPath(const std::string& path);

}  // namespace vx
