#include "convert/Wordpad.h"

#include "platform/PathUtil.h"

namespace vx {

namespace {
// The value is read into a 260-byte buffer: 259 bytes and the terminating NUL.
constexpr std::size_t kBufferSize = 260;
}  // namespace

std::string GetWordpadPath(Registry& registry) {
    const auto value = registry.defaultValue(kWordpadServerKey);
    if (!value || value->size() >= kBufferSize) return {};
    return value->substr(0, value->find('\0'));
}

// Windows 11 from 24H2 has no WordPad and no key: without this every file would fail.
std::string WordProcessorPath(Registry& registry, const std::string& programFolder,
                              char separator) {
    std::string path = GetWordpadPath(registry);
    if (path.find_first_not_of(" \t") != std::string::npos || programFolder.empty()) return path;
    return "\"" + JoinPath(programFolder, kOwnWordProcessor, separator) + "\"";
}

}  // namespace vx
