#include "convert/Wordpad.h"

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

}  // namespace vx
