#pragma once

// What the Windows tests share: a recording Ui, temporary folders and registry values that
// are put back, and the recorder program beside the tests.

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Services.h"
#include "platform/win32/WideText.h"

namespace vx::test {

struct Box {
    std::string text;
    BoxIcon icon;
};

class RecordingUi : public Ui {
  public:
    std::vector<Box> boxes;
    std::string folder;  // what the folder browser answers
    std::function<void()> onBox;

    void messageBox(const std::string& text, BoxIcon icon, const std::string&) override {
        boxes.push_back({text, icon});
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

inline std::string ProgramFolder() {
    wchar_t self[4096];
    const std::wstring path(self, GetModuleFileNameW(nullptr, self, 4096));
    return Narrow(path.substr(0, path.rfind(L'\\')));
}

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder() {
        wchar_t temp[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, temp);
        static int serial = 0;
        path_ = Narrow(temp) + "vellumax-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++serial);
        CreateDirectoryW(Widen(path_).c_str(), nullptr);
    }
    ~TempFolder() {
        std::error_code ec;
        for (auto& e : std::filesystem::recursive_directory_iterator(Widen(path_), ec))
            SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(Widen(path_), ec);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "\\" + rel; }

  private:
    std::string path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(Widen(path)), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The default value of a key under HKEY_CLASSES_ROOT for the length of a test; the value or
// the key's absence that was there before comes back afterwards.
class ClassesValue {
  public:
    explicit ClassesValue(std::wstring key) : key_(std::move(key)), before_(Read()) {}
    ~ClassesValue() {
        if (before_) {
            set(*before_);
        } else {
            RegDeleteKeyW(HKEY_CLASSES_ROOT, key_.c_str());
        }
    }
    void set(const std::wstring& value) {
        RegSetValueW(HKEY_CLASSES_ROOT, key_.c_str(), REG_SZ, value.c_str(),
                     static_cast<DWORD>(value.size() * sizeof(wchar_t)));
    }

  private:
    std::optional<std::wstring> Read() const {
        wchar_t value[4096];
        DWORD size = sizeof value;
        if (RegGetValueW(HKEY_CLASSES_ROOT, key_.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                         &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(value);
    }
    std::wstring key_;
    std::optional<std::wstring> before_;
};

}  // namespace vx::test
