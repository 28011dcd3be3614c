#include "platform/win32/ExecutableFolder.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace vx {

std::string ExecutableFolder() {
    // A path may be longer than MAX_PATH; the buffer grows until the whole of it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : Narrow(path.substr(0, slash));
}

}  // namespace vx
