#pragma once

// What the Windows tests share: waiting, the windows of another process, temporary folders.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/win32/WideText.h"
#include "support/Fakes.h"

namespace vx::test {

inline bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

template <class Test>
bool WaitFor(Test&& test, std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    for (auto end = std::chrono::steady_clock::now() + limit;
         std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        if (test()) return true;
    return test();
}

// A window's text, also when its program hangs.
inline std::wstring Text(HWND w) {
    wchar_t text[4096] = L"";
    SendMessageTimeoutW(w, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return text;
}

// A top-level window of the process with this class (and caption, unless none is given).
inline HWND TopWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption = nullptr,
                      bool visibleOnly = true) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, cls, caption)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && (!visibleOnly || IsWindowVisible(w))) return w;
    }
    return nullptr;
}

// What a message box says: its longest static text.
inline std::wstring BoxText(HWND box) {
    std::wstring text;
    for (HWND c = nullptr; (c = FindWindowExW(box, c, L"Static", nullptr)) != nullptr;)
        if (Text(c).size() > text.size()) text = Text(c);
    return text;
}

inline std::string ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::wstring Self() {
    wchar_t self[4096];
    return std::wstring(self, GetModuleFileNameW(nullptr, self, 4096));
}

// A fresh folder under the temporary folder, removed with all in it at the end; one at a time.
class TempFolder {
  public:
    TempFolder() {
        path_ = std::filesystem::temp_directory_path() /
                ("vellumax-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directory(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
            SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(path_, ec);
    }
    std::string path() const { return Narrow(path_.native()); }
    std::string operator/(const std::string& rel) const { return path() + "\\" + rel; }
    // Creates the file with its folders.
    std::string file(const std::string& rel, const std::string& content = "x") const {
        const std::filesystem::path p(Widen(*this / rel));
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return *this / rel;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace vx::test
