#include "platform/win32/Win32Dialogs.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

#include "platform/win32/WideText.h"

namespace vx {

namespace {
constexpr std::size_t kFileBuffer = 30000;
}  // namespace

std::string DialogResult(std::wstring_view buffer) {
    const std::size_t end = buffer.find(std::wstring_view(L"\0\0", 2));
    std::wstring_view parts = buffer.substr(0, end);
    while (!parts.empty() && parts.back() == L'\0') parts.remove_suffix(1);
    return Narrow(parts);
}

std::wstring DialogFilter(const std::string& filter) {
    std::wstring out = Widen(filter);
    std::replace(out.begin(), out.end(), L'|', L'\0');
    out.push_back(L'\0');  // c_str() adds the second
    return out;
}

std::string ShowOpenDialog(HWND owner, const OpenDialogSettings& settings) {
    std::wstring file(kFileBuffer, L'\0');
    const std::wstring initial = Widen(settings.fileName);
    std::copy_n(initial.begin(), std::min(initial.size(), kFileBuffer - 1), file.begin());
    const std::wstring filter = DialogFilter(settings.filter);
    const std::wstring title = Widen(settings.title);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(kFileBuffer);
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = settings.flags;
    // A selection that does not fit fails like a cancel: no half list of names is added.
    if (!GetOpenFileNameW(&dialog)) return {};
    return DialogResult(file);
}

std::string ShowFolderBrowser(HWND owner, const std::string& prompt) {
    const std::wstring title = Widen(prompt);
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse);
    if (item == nullptr) return {};
    wchar_t path[MAX_PATH] = {};
    SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    return Narrow(path);
}

}  // namespace vx
