#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <algorithm>

#include "platform/PathUtil.h"
#include "platform/win32/WideText.h"

namespace vx {

namespace {

constexpr unsigned kKindBits = AttrHidden | AttrSystem | AttrDirectory;
constexpr unsigned kKnownBits = kKindBits | AttrReadOnly | AttrArchive;
// Below MAX_PATH with room for a "\*" or an 8.3 name, as CreateDirectoryW counts it.
constexpr std::size_t kShortPathLimit = 248;

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// NTFS order: case-insensitive by code unit, ties broken by case.
bool NameBefore(const std::wstring& a, const std::wstring& b) {
    const int c = CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                       static_cast<int>(b.size()), TRUE);
    return c == CSTR_EQUAL ? a < b : c == CSTR_LESS_THAN;
}

}  // namespace

std::wstring LongPath(const std::string& path) {
    std::wstring wide = Widen(path);
    if (wide.size() < kShortPathLimit || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    if (wide.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
    if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
    return wide;
}

std::int64_t Win32FileSystem::modificationTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD e = GetLastError();
        throw PlatformError(static_cast<long>(e), SystemMessage(static_cast<long>(e)));
    }
    const std::uint64_t ticks = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                data.ftLastWriteTime.dwLowDateTime;
    // FILETIME counts 100 ns steps from 1601; Unix seconds start in 1970.
    return static_cast<std::int64_t>(ticks / 10000000) - 11644473600LL;
}

std::optional<FileId> Win32FileSystem::folderId(const std::string& folder) {
    // No access rights asked: the identity is readable even where the listing is not.
    const HANDLE h = CreateFileW(LongPath(folder).c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(h, &info) != 0 &&
                    (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    CloseHandle(h);
    if (!ok) return std::nullopt;
    return FileId{info.dwVolumeSerialNumber,
                  (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

Listing Win32FileSystem::listFolder(const std::string& folder, unsigned mask) {
    Listing out;
    const std::string base = WithTrailingSeparator(folder, '\\');
    WIN32_FIND_DATAW found{};
    const HANDLE h = FindFirstFileW((LongPath(base) + L"*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (e != ERROR_FILE_NOT_FOUND) {
            out.ok = false;
            out.error = static_cast<int>(e);
        }
        return out;
    }
    std::vector<std::pair<std::wstring, unsigned>> names;
    do {
        if (IsDotOrDotDot(found.cFileName)) continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) continue;
        const unsigned attributes = found.dwFileAttributes & kKnownBits;
        if ((attributes & kKindBits & ~mask) != 0) continue;
        names.emplace_back(found.cFileName, attributes);
    } while (FindNextFileW(h, &found));
    const DWORD end = GetLastError();
    FindClose(h);
    if (end != ERROR_NO_MORE_FILES) {
        out.ok = false;
        out.error = static_cast<int>(end);
    }
    // NTFS lists in name order, other file systems do not: sort so every drive lists alike.
    std::sort(names.begin(), names.end(),
              [](const auto& a, const auto& b) { return NameBefore(a.first, b.first); });
    out.entries.reserve(names.size());
    for (const auto& [wide, attributes] : names) {
        DirEntry entry{Narrow(wide), attributes, {}};
        if ((attributes & AttrDirectory) != 0) {
            const std::optional<FileId> id = folderId(base + entry.name);
            if (!id) continue;  // removed meanwhile
            entry.id = *id;
        }
        out.entries.push_back(std::move(entry));
    }
    return out;
}

}  // namespace vx
