#include "platform/win32/Win32StateRecord.h"

#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"

namespace vx {

namespace {

constexpr DWORD kMostBytes = 1 << 16;

[[noreturn]] void Fail(DWORD error) {
    throw PlatformError(static_cast<long>(error), SystemMessage(static_cast<long>(error)));
}

void NeedFolder(const std::string& file) {
    if (file.empty())
        throw PlatformError(ERROR_PATH_NOT_FOUND, "There is no folder to keep the record in.");
    const std::size_t slash = file.find_last_of('\\');
    if (slash == std::string::npos) return;
    const std::wstring folder = LongPath(file.substr(0, slash));
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        Fail(GetLastError());
}

struct Handle {
    HANDLE h;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

}  // namespace

std::optional<std::string> Win32StateRecord::read() {
    if (file_.empty()) return std::nullopt;
    const Handle file{CreateFileW(LongPath(file_).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.h, &size) || size.QuadPart > kMostBytes) return std::nullopt;
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!ReadFile(file.h, text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
        return std::nullopt;
    text.resize(got);
    return text;
}

void Win32StateRecord::write(const std::string& text) {
    NeedFolder(file_);
    const std::wstring target = LongPath(file_);
    const std::wstring part = LongPath(file_ + ".part");
    {
        const Handle file{CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (file.h == INVALID_HANDLE_VALUE) Fail(GetLastError());
        DWORD written = 0;
        if (!WriteFile(file.h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !FlushFileBuffers(file.h)) {
            const DWORD error = GetLastError();
            DeleteFileW(part.c_str());
            Fail(error);
        }
    }
    if (!MoveFileExW(part.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(part.c_str());
        Fail(error);
    }
}

void Win32StateRecord::remove() {
    if (file_.empty()) return;
    if (!DeleteFileW(LongPath(file_).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
        GetLastError() != ERROR_PATH_NOT_FOUND)
        Fail(GetLastError());
}

bool Win32StateRecord::claim() {
    if (lock_ != INVALID_HANDLE_VALUE) return true;
    NeedFolder(file_);
    lock_ = CreateFileW(LongPath(file_ + ".lock").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lock_ != INVALID_HANDLE_VALUE) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return false;
    Fail(error);
}

void Win32StateRecord::letGo() {
    if (lock_ == INVALID_HANDLE_VALUE) return;
    CloseHandle(lock_);
    lock_ = INVALID_HANDLE_VALUE;
}

std::string Win32StateRecord::StandardFile(const std::string& name) {
    wchar_t folder[32768];
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, 32768);
    if (n == 0 || n >= 32768) return {};
    return Narrow({folder, n}) + "\\Vellumax\\" + name;
}

}  // namespace vx
