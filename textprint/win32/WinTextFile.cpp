#include "textprint/win32/WinTextFile.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/win32/WideText.h"

namespace vx {

std::FILE* OpenTextFileW(const std::wstring& path, std::string& error) {
    const std::string shown = "cannot read \"" + Narrow(path) + "\": ";
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = shown + "it is a folder";
        return nullptr;
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = shown + SystemMessage(static_cast<long>(::GetLastError()));
        return nullptr;
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        error = shown + "it is not a regular file";
        ::CloseHandle(file);
        return nullptr;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(file);
        error = shown + "no file descriptor is left";
        return nullptr;
    }
    std::FILE* in = ::_fdopen(fd, "rb");
    if (in == nullptr) {
        ::_close(fd);
        error = shown + "no stream is left";
    }
    return in;
}

}  // namespace vx
