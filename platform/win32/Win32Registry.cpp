#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/WideText.h"

namespace vx {

namespace {
// 259 bytes and the terminating NUL; a longer value is not read at all.
constexpr LONG kBufferSize = 260;
}  // namespace

std::optional<std::string> Win32Registry::defaultValue(const std::string& subKey) {
    std::string ansiKey;
    if (!AnsiFromUtf8(subKey, ansiKey)) return std::nullopt;
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, ansiKey.c_str(), &key) != ERROR_SUCCESS) return std::nullopt;
    char buffer[kBufferSize] = {};
    LONG size = kBufferSize;
    const LONG result = RegQueryValueA(key, "", buffer, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::nullopt;
    return Utf8FromAnsi(std::string_view(buffer, strnlen(buffer, sizeof buffer)));
}

}  // namespace vx
