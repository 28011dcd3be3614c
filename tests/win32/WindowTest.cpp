// The real vellumax.exe under test, driven from this process as a user's input and the
// shell would drive it: its window, controls, dialogs and message boxes.
// windows.h first: the other system headers build on it.
// clang-format off
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <winspool.h>
// clang-format on

#include <fstream>
#include <sstream>

#include "win32/Win32Support.h"

namespace vx {
namespace {

using namespace std::chrono_literals;
using test::Text;
using test::WaitFor;

const wchar_t kDevices[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices";
const wchar_t kWindows[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

std::wstring Beside(const wchar_t* name) {
    const std::wstring self = test::Self();
    return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

std::wstring DefaultPrinter() {
    wchar_t name[512] = L"";
    DWORD size = 512;
    if (!GetDefaultPrinterW(name, &size)) return L"";
    return name;
}

std::wstring RecordFile() {
    wchar_t folder[1024];
    GetEnvironmentVariableW(L"LOCALAPPDATA", folder, 1024);
    return std::wstring(folder) + L"\\Vellumax\\borrowed-printer";
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A printer world of our own: "Office Printer" the user's default, "PDF Printer" installed.
// The word processor named by the registry is the recorder.
class Fixture : public testing::Test {
  protected:
    test::TempFolder folder;
    std::wstring log = Widen(folder / "recorder.log");

    void SetUp() override {
        // Rectangles in the window's own pixels, as a per-monitor aware program sees them.
        SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        for (const wchar_t* p : {L"PDF Printer", L"Office Printer"})
            RegSetKeyValueW(HKEY_CURRENT_USER, kDevices, p, REG_SZ, L"winspool,FILE:", 30);
        SetDefault(L"Office Printer");
        const std::wstring recorder = L"\"" + Beside(L"recorder.exe") + L"\"";
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Wordpad.Document.1\\Protocol\\StdFileEditing\\Server",
                        nullptr, REG_SZ, recorder.c_str(),
                        static_cast<DWORD>((recorder.size() + 1) * sizeof(wchar_t)));
        DeleteFileW(RecordFile().c_str());
        SetEnvironmentVariableW(L"VELLUMAX_RECORDER_LOG", log.c_str());
    }
    void TearDown() override {
        Stop();
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDevices, L"PDF Printer");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDevices, L"Office Printer");
        DeleteFileW(RecordFile().c_str());
    }
    static void SetDefault(const std::wstring& name) {
        const std::wstring device = name + L",winspool,FILE:";
        RegSetKeyValueW(HKEY_CURRENT_USER, kWindows, L"Device", REG_SZ, device.c_str(),
                        static_cast<DWORD>((device.size() + 1) * sizeof(wchar_t)));
    }

    PROCESS_INFORMATION process{};
    HWND window = nullptr;

    // Starts vellumax.exe in the test's folder and waits for its window; boxes at start-up
    // are left for the test to answer.
    void Start() {
        std::wstring command = L"\"" + Beside(L"vellumax.exe") + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   Widen(folder.path()).c_str(), &startup, &process));
        ASSERT_TRUE(WaitFor([&] {
            window = test::TopWindow(process.dwProcessId, L"Vellumax.Form1", L"", false);
            // Shown, or held back by a box that start-up shows first.
            return window != nullptr && (IsWindowVisible(window) || Dialog() != nullptr);
        }));
    }
    void Stop() {
        if (process.hProcess == nullptr) return;
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        process = {};
        window = nullptr;
    }

    // A top-level dialog window of the program (a message box, the Open dialog), if one shows.
    HWND Dialog(const std::wstring& caption = L"") {
        return test::TopWindow(process.dwProcessId, L"#32770", caption);
    }
    // The next message box's text; the box is left open.
    std::pair<HWND, std::wstring> NextBox(std::chrono::milliseconds limit = 15s) {
        HWND box = nullptr;
        WaitFor([&] { return (box = Dialog(L"Vellumax")) != nullptr; }, limit);
        return {box, box == nullptr ? L"" : test::BoxText(box)};
    }
    static void Answer(HWND box) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(box); });
    }

    HWND Control(const wchar_t* cls, const wchar_t* caption = nullptr) {
        return FindWindowExW(window, nullptr, cls, caption);
    }

    // The list's texts, read from the program's own memory as the list view gives them.
    std::vector<std::wstring> ListTexts() {
        const HWND list = Control(WC_LISTVIEWW);
        const auto n = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
        std::vector<std::wstring> texts;
        constexpr std::size_t kChars = 2048;
        void* remote = VirtualAllocEx(process.hProcess, nullptr, sizeof(LVITEMW) + kChars * 2,
                                      MEM_COMMIT, PAGE_READWRITE);
        for (LRESULT i = 0; i < n; ++i) {
            LVITEMW item{};
            item.iSubItem = 0;
            item.cchTextMax = kChars;
            item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
            WriteProcessMemory(process.hProcess, remote, &item, sizeof item, nullptr);
            const auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i),
                                             reinterpret_cast<LPARAM>(remote));
            std::wstring text(static_cast<std::size_t>(length), L'\0');
            ReadProcessMemory(process.hProcess, item.pszText, text.data(), text.size() * 2,
                              nullptr);
            texts.push_back(text);
        }
        VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
        return texts;
    }

    // A list view message whose structure lives in the program's memory, as the control needs.
    template <class T>
    LRESULT Remote(UINT message, WPARAM w, T& data) {
        void* remote =
            VirtualAllocEx(process.hProcess, nullptr, sizeof data, MEM_COMMIT, PAGE_READWRITE);
        WriteProcessMemory(process.hProcess, remote, &data, sizeof data, nullptr);
        const LRESULT r =
            SendMessageW(Control(WC_LISTVIEWW), message, w, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process.hProcess, remote, &data, sizeof data, nullptr);
        VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
        return r;
    }
    // The centre of a row of the list, on the screen.
    POINT Row(int row) {
        RECT rc{};
        rc.left = LVIR_BOUNDS;
        Remote(LVM_GETITEMRECT, static_cast<WPARAM>(row), rc);
        POINT p{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ClientToScreen(Control(WC_LISTVIEWW), &p);
        return p;
    }
    POINT Centre(HWND w) {
        RECT rc{};
        GetWindowRect(w, &rc);
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }

    // Picks files in the real Open dialog by typing their names into its name field.
    void AddByOpenDialog(const std::wstring& typed) {
        PostMessageW(Control(L"Button", L"Add Text Files"), BM_CLICK, 0, 0);
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            return (dialog = Dialog(L"Add File(s) - Use Ctrl & Shift to select multiple files")) !=
                   nullptr;
        }));
        HWND edit = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            EnumChildWindows(
                dialog,
                [](HWND c, LPARAM p) {
                    if (test::ClassName(c) != L"Edit" || !IsWindowVisible(c)) return TRUE;
                    *reinterpret_cast<HWND*>(p) = c;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&edit));
            return edit != nullptr;
        }));
        for (wchar_t c : typed) SendMessageW(edit, WM_CHAR, c, 1);
        ASSERT_EQ(Text(edit), typed);
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
    }

    std::vector<std::string> Files(std::initializer_list<const char*> names) {
        std::vector<std::string> paths;
        for (const char* name : names) {
            paths.push_back(folder / name);
            std::ofstream(std::filesystem::path(Widen(paths.back()))) << name;
        }
        return paths;
    }
};

// The pointer and the left button as the user moves them, through the system's input queue.
void Mouse(POINT at, DWORD buttons = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &input, sizeof input);
    std::this_thread::sleep_for(150ms);
}

void DoubleClick(POINT at) {
    Mouse(at);
    INPUT clicks[4] = {};
    for (int i = 0; i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    }
    SendInput(4, clicks, sizeof(INPUT));
    std::this_thread::sleep_for(300ms);
}

HCURSOR Pointer() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

std::wstring Quoted(const std::vector<std::string>& paths) {
    std::wstring typed;
    for (const auto& p : paths) {
        const std::wstring w = Widen(p);
        typed += L"\"" + w.substr(w.find_last_of(L'\\') + 1) + L"\" ";
    }
    return typed;
}

std::vector<std::wstring> Wide(const std::vector<std::string>& paths) {
    std::vector<std::wstring> out;
    for (const auto& p : paths) out.push_back(Widen(p));
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

using WindowTest = Fixture;

TEST_F(WindowTest, ConvertsEachEntryOnceInOrderOnPdfPrinterAndPutsTheDefaultBack) {
    const auto paths = Files({"two words.txt", "it's.txt", "\u00FCber \u00E9t\u00E9.txt"});
    Start();
    AddByOpenDialog(Quoted(paths));
    ASSERT_EQ(ListTexts(), Wide(paths));

    PostMessageW(Control(L"Button", L"Convert To PDF"), BM_CLICK, 0, 0);
    for (std::size_t i = 1; i <= paths.size(); ++i) {
        const auto [box, text] = NextBox();
        ASSERT_EQ(text, L"Done.") << i;
        // Each box follows its entry's start: the recorder has run by the time it is read.
        ASSERT_TRUE(WaitFor([&] { return Lines(ReadAll(log)).size() == i; })) << i;
        EXPECT_EQ(DefaultPrinter(), L"PDF Printer");
        Answer(box);
    }
    ASSERT_TRUE(WaitFor([&] { return DefaultPrinter() == L"Office Printer"; }));
    std::vector<std::string> expected;
    for (const auto& p : paths) expected.push_back("/p\t" + p + "|PDF Printer");
    EXPECT_EQ(Lines(ReadAll(log)), expected);
    EXPECT_EQ(Dialog(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(RecordFile()));
    // The run leaves the list as it was.
    EXPECT_EQ(ListTexts(), Wide(paths));
}

// One copy's run holds the borrowed setting: a second copy may neither convert nor put it
// back; once the first is killed mid-run, the next start puts it back and says so.
TEST_F(WindowTest, ARunningCopysSettingIsRefusedToASecondAndPutBackAfterItIsKilled) {
    const auto paths = Files({"first.txt", "second.txt"});
    Start();
    AddByOpenDialog(Quoted({paths[0]}));
    PostMessageW(Control(L"Button", L"Convert To PDF"), BM_CLICK, 0, 0);
    ASSERT_EQ(NextBox().second, L"Done.");  // the run waits in this box
    const PROCESS_INFORMATION first = process;

    process = {};
    Start();
    AddByOpenDialog(Quoted({paths[1]}));
    PostMessageW(Control(L"Button", L"Convert To PDF"), BM_CLICK, 0, 0);
    const std::wstring why = NextBox().second;
    EXPECT_NE(why.find(L"Another Vellumax window is converting"), std::wstring::npos) << why;
    Stop();

    process = first;
    Stop();  // TerminateProcess: nothing of the program runs after it
    EXPECT_EQ(DefaultPrinter(), L"PDF Printer");
    EXPECT_EQ(ReadAll(RecordFile()), "Office Printer\n");
    EXPECT_EQ(Lines(ReadAll(log)), std::vector<std::string>{"/p\t" + paths[0] + "|PDF Printer"});

    Start();
    const std::wstring message = NextBox().second;
    EXPECT_NE(message.find(L"did not finish"), std::wstring::npos) << message;
    EXPECT_NE(message.find(L"\"Office Printer\""), std::wstring::npos) << message;
    EXPECT_EQ(DefaultPrinter(), L"Office Printer");
    EXPECT_FALSE(std::filesystem::exists(RecordFile()));
}

TEST_F(WindowTest, ClientAreaAndControlsStandAtTheirTwipsAtTheScreensDpi) {
    const char* tested = std::getenv("VELLUMAX_TEST_DPI");
    const int dpi = tested != nullptr ? std::atoi(tested) : 96;
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dpi) << "the screen is not at the DPI tested";
    ReleaseDC(nullptr, screen);
    Start();
    auto px = [&](int twips) { return MulDiv(twips, dpi, 1440); };

    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, px(6630));
    EXPECT_EQ(client.bottom, px(3015));
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_SYSMENU),
              WS_MINIMIZEBOX | WS_SYSMENU);
    EXPECT_EQ(Text(window), L"Vellumax");

    struct Expected {
        HWND control;
        int left, top, width, height;
    };
    const Expected controls[] = {
        {Control(L"Button", L"Command1"), -720, 2640, 615, 495},
        {Control(L"Button", L"Add Text Files"), 120, 1800, 2055, 1095},
        {Control(L"Button", L"Convert To PDF"), 4440, 1800, 2055, 1095},
        {Control(WC_LISTVIEWW), 120, 120, 6375, 1575},
        {Control(L"Button", L"Add All Text Files In Folder"), 2280, 1800, 2055, 1095}};
    HWND previous = nullptr;
    for (const auto& c : controls) {
        ASSERT_NE(c.control, nullptr);
        RECT rc{};
        GetWindowRect(c.control, &rc);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_EQ(rc.left, px(c.left)) << Text(c.control);
        EXPECT_EQ(rc.top, px(c.top)) << Text(c.control);
        EXPECT_EQ(rc.right - rc.left, px(c.width)) << Text(c.control);
        EXPECT_EQ(rc.bottom - rc.top, px(c.height)) << Text(c.control);
        // The tab order is the order of creation.
        if (previous != nullptr) {
            EXPECT_EQ(GetWindow(previous, GW_HWNDNEXT), c.control);
        }
        previous = c.control;
    }
    EXPECT_EQ(SendMessageW(Control(WC_LISTVIEWW), LVM_GETCOLUMNWIDTH, 0, 0), px(5300));

    // Centred on the screen, frame included, and the focus on the hidden button.
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_LE(std::abs(outer.left + outer.right - GetSystemMetrics(SM_CXSCREEN)), 1);
    EXPECT_LE(std::abs(outer.top + outer.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(process.dwThreadId, &gui);
    EXPECT_EQ(gui.hwndFocus, Control(L"Button", L"Command1"));

    // The hand over a button, the arrow over the background and over the list.
    SetForegroundWindow(window);
    POINT background{px(3000), px(1750)};
    ClientToScreen(window, &background);
    Mouse(background);
    const HCURSOR arrow = Pointer();
    Mouse(Centre(Control(L"Button", L"Convert To PDF")));
    const HCURSOR hand = Pointer();
    EXPECT_NE(hand, arrow);
    Mouse(background);
    EXPECT_EQ(Pointer(), arrow);
    Mouse(Centre(Control(L"Button", L"Add Text Files")));
    EXPECT_EQ(Pointer(), hand);
    Mouse(Centre(Control(WC_LISTVIEWW)));
    EXPECT_EQ(Pointer(), arrow);
}

TEST_F(WindowTest, DraggingExchangesEntriesAndADoubleClickRemovesTheSelectedOne) {
    const auto paths = Files({"a.txt", "b.txt", "c.txt"});
    const auto a = Widen(paths[0]), b = Widen(paths[1]), c = Widen(paths[2]);
    Start();
    AddByOpenDialog(Quoted(paths));
    ASSERT_EQ(ListTexts(), (std::vector<std::wstring>{a, b, c}));
    SetForegroundWindow(window);

    // A slow drag from the first line over the second and the third carries a down.
    const POINT rows[] = {Row(0), Row(1), Row(2)};
    Mouse(rows[0]);
    Mouse(rows[0], MOUSEEVENTF_LEFTDOWN);
    Mouse(rows[1]);
    EXPECT_EQ(ListTexts(), (std::vector<std::wstring>{b, a, c}));
    Mouse(rows[2]);
    Mouse(rows[2], MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(ListTexts(), (std::vector<std::wstring>{b, c, a}));

    // One that leaves over the header changes nothing.
    const HWND header =
        reinterpret_cast<HWND>(SendMessageW(Control(WC_LISTVIEWW), LVM_GETHEADER, 0, 0));
    Mouse(rows[1]);
    Mouse(rows[1], MOUSEEVENTF_LEFTDOWN);
    Mouse(Centre(header));
    Mouse(Centre(header), MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(ListTexts(), (std::vector<std::wstring>{b, c, a}));

    // After the button is up, moves change nothing.
    Mouse(rows[0]);
    EXPECT_EQ(ListTexts(), (std::vector<std::wstring>{b, c, a}));

    // A double-click removes the entry it selected.
    DoubleClick(rows[1]);
    EXPECT_EQ(ListTexts(), (std::vector<std::wstring>{b, a}));
}

TEST_F(WindowTest, AFolderTreeIsAddedThroughTheFolderBrowser) {
    const std::string root = folder / "tree";
    for (const std::string sub : {"", "\\inner", "\\inner\\deep"})
        CreateDirectoryW(Widen(root + sub).c_str(), nullptr);
    for (const std::string file : {"\\top.txt", "\\inner\\mid.txt", "\\inner\\deep\\low.txt"})
        std::ofstream(std::filesystem::path(Widen(root + file))) << file;
    Start();
    PostMessageW(Control(L"Button", L"Add All Text Files In Folder"), BM_CLICK, 0, 0);
    HWND browser = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (browser = Dialog()) != nullptr; }));
    // The browser selects the folder as its owner would ask it to, by path, then takes it.
    const std::wstring path = Widen(root);
    const std::size_t bytes = (path.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process.hProcess, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    WriteProcessMemory(process.hProcess, remote, path.c_str(), bytes, nullptr);
    // The first selection may land while the browser still fills its tree; the second finds
    // the tree there.
    for (int i = 0; i < 2; ++i) {
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
        std::this_thread::sleep_for(1500ms);
    }
    PostMessageW(browser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(browser); }));
    VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
    // Breadth-first: the folder's own files, then each level below.
    ASSERT_TRUE(WaitFor([&] { return ListTexts().size() == 3; }));
    EXPECT_EQ(ListTexts(), (std::vector<std::wstring>{Widen(root + "\\top.txt"),
                                                      Widen(root + "\\inner\\mid.txt"),
                                                      Widen(root + "\\inner\\deep\\low.txt")}));
}

}  // namespace
}  // namespace vx
