#pragma once

// What the Windows tests share: a recording Ui and temporary folders.

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Services.h"
#include "platform/win32/WideText.h"

namespace vx::test {

class RecordingUi : public Ui {
  public:
    std::vector<std::pair<std::string, BoxIcon>> boxes;
    std::string folder;  // what the folder browser answers
    std::function<void()> onBox;
    void messageBox(const std::string& text, BoxIcon icon, const std::string&) override {
        boxes.emplace_back(text, icon);
        if (onBox) onBox();
    }
    std::string openFileDialog(const OpenDialogSettings&) override { return {}; }
    std::string browseForFolder(const std::string&) override { return folder; }
    void yield() override {}
    Point cursorPos() override { return {}; }
    Size screenSize() override { return {}; }
    void terminate() override {}
};

inline bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

inline std::wstring Self() {
    wchar_t self[4096];
    return std::wstring(self, GetModuleFileNameW(nullptr, self, 4096));
}

// A fresh folder under the temporary folder, removed with everything in it at the end;
// one at a time.
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

  private:
    std::filesystem::path path_;
};

}  // namespace vx::test
