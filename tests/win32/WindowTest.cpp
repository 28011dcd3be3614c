// The real vellumax.exe under test, driven from this process as a user's input and the
// shell would drive it: its window, controls, dialogs and message boxes.
// windows.h first: the other system headers build on it.
// clang-format off
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <winspool.h>
// clang-format on

#include <functional>
#include <sstream>

#include "win32/Win32Support.h"

namespace vx {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using test::Text;
using test::WaitFor;
using Texts = std::vector<std::wstring>;

const wchar_t kDevices[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices";

std::wstring DefaultPrinter() {
    wchar_t name[512] = L"";
    DWORD size = 512;
    return GetDefaultPrinterW(name, &size) ? name : L"";
}

std::wstring RecordFile() {
    return std::wstring(_wgetenv(L"LOCALAPPDATA")) + L"\\Vellumax\\borrowed-printer";
}

// The recorder's runs (see Main.cpp): each one's command line, "|", the default printer.
std::vector<std::string> Runs(const std::wstring& record) {
    std::vector<std::string> runs;
    std::istringstream in(test::ReadAll(record));
    for (std::string line; std::getline(in, line);)
        runs.push_back(line.substr(line.find('|', line.find('|') + 1) + 1));
    return runs;
}
std::string RunFor(const std::string& path) {
    return "\"" + Narrow(test::Self()) + "\" /p \"" + path + "\"|PDF Printer";
}

bool Running(const wchar_t* exe) {
    HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W p{};
    p.dwSize = sizeof p;
    BOOL more = Process32FirstW(all, &p);
    while (more && _wcsicmp(p.szExeFile, exe) != 0) more = Process32NextW(all, &p);
    CloseHandle(all);
    return more;
}

// "Office Printer" the default, a "PDF Printer", and this program as the word processor; end
// to end the real "PDF Printer" and no registry key, so textprint.exe beside vellumax.exe.
class WindowTest : public testing::Test {
  protected:
    test::TempFolder folder;
    std::wstring log = Widen(folder / "recorder.log");
    std::vector<const wchar_t*> printers{L"Office Printer"};

    void SetUp() override {
        // Rectangles in the window's own pixels, as a per-monitor aware program sees them.
        SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        if (testing::UnitTest::GetInstance()->current_test_suite()->name() != "EndToEnd"s) {
            printers.push_back(L"PDF Printer");
            SetReg(HKEY_CLASSES_ROOT, L"Wordpad.Document.1\\Protocol\\StdFileEditing\\Server",
                   nullptr, L"\"" + test::Self() + L"\"");
        } else if (test::UnderWine()) {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Wordpad.Document.1");
        }
        for (const wchar_t* p : printers) SetReg(HKEY_CURRENT_USER, kDevices, p, L"winspool,FILE:");
        SetReg(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
               L"Device", L"Office Printer,winspool,FILE:");
        DeleteFileW(RecordFile().c_str());
        SetEnvironmentVariableW(L"VELLUMAX_RECORD", log.c_str());
    }
    void TearDown() override {
        Stop();
        for (const wchar_t* p : printers) RegDeleteKeyValueW(HKEY_CURRENT_USER, kDevices, p);
        DeleteFileW(RecordFile().c_str());
    }
    static void SetReg(HKEY root, const wchar_t* key, const wchar_t* name, std::wstring v) {
        RegSetKeyValueW(root, key, name, REG_SZ, v.c_str(),
                        static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    }

    PROCESS_INFORMATION process{};
    HWND window = nullptr;

    // vellumax.exe from beside this program, its window shown or held by a start-up box.
    void Start(const std::string& in = "", const wchar_t* exe = L"vellumax.exe",
               std::wstring args = L"") {
        const std::wstring self = test::Self();
        std::wstring command = L"\"" + self.substr(0, self.rfind(L'\\') + 1) + exe + L"\" " + args;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   Widen(in.empty() ? folder.path() : in).c_str(), &startup,
                                   &process));
        if (exe[0] != L'v') return;
        ASSERT_TRUE(WaitFor([&] {
            window = test::TopWindow(process.dwProcessId, L"Vellumax.Form1", nullptr, false);
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

    HWND Dialog(const wchar_t* caption = nullptr) {
        return test::TopWindow(process.dwProcessId, L"#32770", caption);
    }
    // The next message box and its text, left open.
    std::pair<HWND, std::wstring> NextBox() {
        HWND box = nullptr;
        WaitFor([&] { return (box = Dialog(L"Vellumax")) != nullptr; });
        return {box, box == nullptr ? L"" : test::BoxText(box)};
    }
    static void Answer(HWND box) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(box); });
    }
    HWND Control(const wchar_t* cls, const wchar_t* caption = nullptr) {
        return FindWindowExW(window, nullptr, cls, caption);
    }
    void Click(const wchar_t* button) { PostMessageW(Control(L"Button", button), BM_CLICK, 0, 0); }

    // A message with its data in the program's memory; `fix` points it at its remote parts.
    template <class T>
    LRESULT Remote(HWND to, UINT message, WPARAM w, T& data,
                   std::type_identity_t<void (*)(T&, T*)> fix = nullptr) {
        auto* remote = static_cast<T*>(
            VirtualAllocEx(process.hProcess, nullptr, sizeof data, MEM_COMMIT, PAGE_READWRITE));
        if (fix != nullptr) fix(data, remote);
        WriteProcessMemory(process.hProcess, remote, &data, sizeof data, nullptr);
        const LRESULT r = SendMessageW(to, message, w, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process.hProcess, remote, &data, sizeof data, nullptr);
        VirtualFreeEx(process.hProcess, remote, 0, MEM_RELEASE);
        return r;
    }
    Texts ListTexts() {
        Texts texts(
            static_cast<std::size_t>(SendMessageW(Control(WC_LISTVIEWW), LVM_GETITEMCOUNT, 0, 0)));
        for (std::size_t i = 0; i < texts.size(); ++i) {
            struct {
                LVITEMW item{};
                wchar_t text[2048];
            } got;
            got.item.cchTextMax = 2048;
            const auto n = Remote(Control(WC_LISTVIEWW), LVM_GETITEMTEXTW, i, got,
                                  [](auto& d, auto* r) { d.item.pszText = r->text; });
            texts[i].assign(got.text, static_cast<std::size_t>(n));
        }
        return texts;
    }
    POINT Row(int row) {
        RECT rc{LVIR_BOUNDS, 0, 0, 0};
        Remote(Control(WC_LISTVIEWW), LVM_GETITEMRECT, static_cast<WPARAM>(row), rc);
        POINT p{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ClientToScreen(Control(WC_LISTVIEWW), &p);
        return p;
    }
    // A point of the background, off every control: left of the list's lower end.
    POINT Corner() {
        RECT rc{};
        GetWindowRect(Control(WC_LISTVIEWW), &rc);
        return {rc.left - 4, rc.bottom + 4};
    }

    // Picks files in the real Open dialog by typing their names into its name field.
    void AddByOpenDialog(const std::vector<std::string>& paths) {
        std::wstring typed;
        for (const auto& p : paths) typed += L"\"" + Widen(p.substr(p.rfind('\\') + 1)) + L"\" ";
        Click(L"Add Text Files");
        HWND dialog = nullptr, edit = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            return (dialog = Dialog(L"Add File(s) - Use Ctrl & Shift to select multiple files")) !=
                   nullptr;
        }));
        ASSERT_TRUE(WaitFor([&] {
            EnumChildWindows(
                dialog,
                [](HWND c, LPARAM p) -> BOOL {
                    wchar_t cls[8] = L"";
                    GetClassNameW(c, cls, 8);
                    const bool found = wcscmp(cls, L"Edit") == 0 && IsWindowVisible(c);
                    if (found) *reinterpret_cast<HWND*>(p) = c;
                    return !found;
                },
                reinterpret_cast<LPARAM>(&edit));
            return edit != nullptr;
        }));
        for (wchar_t c : typed) SendMessageW(edit, WM_CHAR, c, 1);
        ASSERT_EQ(Text(edit), typed);
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
        WaitFor([&] { return ListTexts() == Wide(paths); });  // once the dialog has returned
        ASSERT_EQ(ListTexts(), Wide(paths));
    }

    // Answers each "Done." box once `handled(i)`, with "PDF Printer" the default meanwhile.
    void Convert(std::size_t n, const std::function<bool(std::size_t)>& handled) {
        Click(L"Convert To PDF");
        for (std::size_t i = 1; i <= n; ++i) {
            const auto [box, text] = NextBox();
            ASSERT_EQ(text, L"Done.") << i;
            ASSERT_TRUE(WaitFor([&] { return handled(i); }, 120s)) << i;
            EXPECT_EQ(DefaultPrinter(), L"PDF Printer") << i;
            Answer(box);
        }
        EXPECT_TRUE(WaitFor([&] { return DefaultPrinter() == L"Office Printer"; }));
        EXPECT_EQ(Dialog(), nullptr);
        EXPECT_FALSE(std::filesystem::exists(RecordFile()));
    }

    static Texts Wide(const std::vector<std::string>& paths) {
        Texts out;
        for (const auto& p : paths) out.push_back(Widen(p));
        return out;
    }
};

using EndToEnd = WindowTest;

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

POINT Centre(HWND w) {
    RECT rc{};
    GetWindowRect(w, &rc);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// Releases the drag once the left button is up.
struct DropSource : IDropSource {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD keys) override {
        return (keys & MK_LBUTTON) != 0 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

HCURSOR Pointer() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

TEST_F(WindowTest, ConvertsEachEntryOnceInOrderOnPdfPrinterAndPutsTheDefaultBack) {
    const std::vector paths{folder.file("two words.txt"), folder.file("it's.txt"),
                            folder.file("\u00FCber \u00E9t\u00E9.txt")};
    Start();
    AddByOpenDialog(paths);
    // The hand over a button, else the arrow, and once the run starts the hourglass.
    SetForegroundWindow(window);
    std::vector<HCURSOR> seen;
    for (HWND over : {HWND{}, Control(L"Button", L"Convert To PDF"), HWND{},
                      Control(L"Button", L"Add Text Files"), Control(WC_LISTVIEWW), HWND{}}) {
        Mouse(over == nullptr ? Corner() : Centre(over));
        seen.push_back(Pointer());
    }
    const HCURSOR arrow = seen[0], hand = seen[1];
    EXPECT_NE(hand, arrow);
    EXPECT_EQ(seen, (std::vector{arrow, hand, arrow, hand, arrow, arrow}));
    HCURSOR during = nullptr;
    Convert(paths.size(), [&](std::size_t i) {
        during = i == 1 ? Pointer() : during;
        return Runs(log).size() == i;
    });
    EXPECT_TRUE(during != nullptr && during != arrow && during != hand);
    EXPECT_EQ(Runs(log), (std::vector{RunFor(paths[0]), RunFor(paths[1]), RunFor(paths[2])}));
    EXPECT_EQ(ListTexts(), Wide(paths));
}

// Run by wine-print-test.sh, which names the files and reads their PDFs back.
TEST_F(EndToEnd, ConvertsTheNamedFilesThroughTextprintOnTheRealPdfPrinter) {
    const char* named = std::getenv("VELLUMAX_E2E_FILES");
    if (named == nullptr) GTEST_SKIP() << "VELLUMAX_E2E_FILES names no files";
    std::vector<std::string> paths;
    std::istringstream in(named);
    for (std::string p; std::getline(in, p, ';');) paths.push_back(p);
    Start(paths[0].substr(0, paths[0].rfind('\\')));
    AddByOpenDialog(paths);
    Convert(paths.size(), [](std::size_t) { return !Running(L"textprint.exe"); });
}

// A second copy may not convert while a run holds the setting; a killed run's is put back at
// the next start, a session's end at either message; without "PDF Printer" no run starts.
TEST_F(WindowTest, ACopysSettingIsRefusedToASecondAndPutBackAfterAKillOrASessionEnd) {
    const std::vector paths{folder.file("first.txt"), folder.file("second.txt")};
    Start();
    AddByOpenDialog({paths[0]});
    Click(L"Convert To PDF");
    ASSERT_EQ(NextBox().second, L"Done.");  // the run waits in this box
    const PROCESS_INFORMATION first = process;

    process = {};
    Start();
    AddByOpenDialog({paths[1]});
    Click(L"Convert To PDF");
    const std::wstring why = NextBox().second;
    EXPECT_NE(why.find(L"Another Vellumax window is converting"), std::wstring::npos) << why;
    Stop();

    process = first;
    Stop();  // TerminateProcess: nothing of the program runs after it
    EXPECT_EQ(DefaultPrinter(), L"PDF Printer");
    EXPECT_EQ(test::ReadAll(RecordFile()), "Office Printer\n");
    EXPECT_EQ(Runs(log), std::vector{RunFor(paths[0])});

    Start();
    const auto [box, message] = NextBox();
    EXPECT_NE(message.find(L"did not finish"), std::wstring::npos) << message;
    EXPECT_NE(message.find(L"\"Office Printer\""), std::wstring::npos) << message;
    EXPECT_EQ(DefaultPrinter(), L"Office Printer");
    EXPECT_FALSE(std::filesystem::exists(RecordFile()));
    Answer(box);

    AddByOpenDialog({paths[1]});
    for (const auto& [message, w] : {std::pair<UINT, WPARAM>{WM_QUERYENDSESSION, FALSE},
                                     std::pair<UINT, WPARAM>{WM_ENDSESSION, TRUE}}) {
        Click(L"Convert To PDF");
        const HWND done = NextBox().first;
        ASSERT_EQ(DefaultPrinter(), L"PDF Printer") << message;
        SendMessageTimeoutW(window, message, w, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, nullptr);
        EXPECT_EQ(DefaultPrinter(), L"Office Printer") << message;
        EXPECT_FALSE(std::filesystem::exists(RecordFile())) << message;
        Answer(done);
    }
    // Wine's WScript.Network always fails: the spooler's call is what fails here.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDevices, L"PDF Printer");
    Click(L"Convert To PDF");
    const std::wstring refused = NextBox().second;
    EXPECT_NE(refused.find(L"\"PDF Printer\" could not be made the default printer"),
              std::wstring::npos)
        << refused;
    EXPECT_EQ(DefaultPrinter(), L"Office Printer");
}

TEST_F(WindowTest, ClientAreaAndControlsStandAtTheirTwipsAtTheScreensDpi) {
    const char* tested = std::getenv("VELLUMAX_TEST_DPI");
    const int dpi = tested != nullptr ? std::atoi(tested) : 96;
    ASSERT_EQ(GetDpiForSystem(), static_cast<UINT>(dpi)) << "the screen is not at the DPI tested";
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

    // In tab order, which is the order of creation.
    const std::pair<HWND, std::array<int, 4>> controls[] = {
        {Control(L"Button", L"Command1"), {-720, 2640, 615, 495}},
        {Control(L"Button", L"Add Text Files"), {120, 1800, 2055, 1095}},
        {Control(L"Button", L"Convert To PDF"), {4440, 1800, 2055, 1095}},
        {Control(WC_LISTVIEWW), {120, 120, 6375, 1575}},
        {Control(L"Button", L"Add All Text Files In Folder"), {2280, 1800, 2055, 1095}}};
    HWND previous = nullptr;
    for (const auto& [control, twips] : controls) {
        ASSERT_NE(control, nullptr);
        RECT rc{};
        GetWindowRect(control, &rc);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_EQ((std::array{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top}),
                  (std::array<LONG, 4>{px(twips[0]), px(twips[1]), px(twips[2]), px(twips[3])}))
            << Text(control);
        EXPECT_TRUE(previous == nullptr || GetWindow(previous, GW_HWNDNEXT) == control);
        previous = control;
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
}

// A folder tree added through the real folder browser, then reordered and trimmed by the mouse.
TEST_F(WindowTest, AFolderTreeIsAddedThenDraggingExchangesEntriesAndADoubleClickRemovesOne) {
    const std::wstring a = Widen(folder.file("tree\\a.txt")),
                       b = Widen(folder.file("tree\\in\\b.txt")),
                       c = Widen(folder.file("tree\\in\\deep\\c.txt"));
    Start();
    Click(L"Add All Text Files In Folder");
    HWND browser = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (browser = Dialog()) != nullptr; }));
    std::array<wchar_t, MAX_PATH> path{};
    Widen(folder / "tree").copy(path.data(), MAX_PATH - 1);
    // The first selection by path may land while the browser still fills its tree.
    for (int i = 0; i < 2; ++i) {
        Remote(browser, BFFM_SETSELECTIONW, TRUE, path);
        std::this_thread::sleep_for(1500ms);
    }
    PostMessageW(browser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return ListTexts().size() == 3; }));
    ASSERT_EQ(ListTexts(), (Texts{a, b, c}));
    SetForegroundWindow(window);

    // A slow drag from the first line over the second and the third carries a down.
    const POINT rows[] = {Row(0), Row(1), Row(2)};
    for (DWORD button : {0, MOUSEEVENTF_LEFTDOWN}) Mouse(rows[0], button);
    Mouse(rows[1]);
    EXPECT_EQ(ListTexts(), (Texts{b, a, c}));
    for (DWORD button : {0, MOUSEEVENTF_LEFTUP}) Mouse(rows[2], button);
    EXPECT_EQ(ListTexts(), (Texts{b, c, a}));

    // One that leaves over the header changes nothing, nor do moves after the button is up.
    const POINT over =
        Centre(reinterpret_cast<HWND>(SendMessageW(Control(WC_LISTVIEWW), LVM_GETHEADER, 0, 0)));
    for (DWORD button : {0, MOUSEEVENTF_LEFTDOWN}) Mouse(rows[1], button);
    for (DWORD button : {0, MOUSEEVENTF_LEFTUP}) Mouse(over, button);
    Mouse(rows[0]);
    EXPECT_EQ(ListTexts(), (Texts{b, c, a}));

    // A double-click removes the entry it selected.
    for (int i = 0; i < 4; ++i) Mouse(rows[1], i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(ListTexts(), (Texts{b, a}));

    // Two files dropped from this process, as from a file manager: the press lands on a window
    // of ours first, as Wine's drag takes the button from this thread's own key state.
    const std::wstring d = Widen(folder.file("d.txt")), e = Widen(folder.file("e.txt"));
    PIDLIST_ABSOLUTE top = ILCreateFromPathW(Widen(folder.path()).c_str()),
                     files[] = {ILCreateFromPathW(d.c_str()), ILCreateFromPathW(e.c_str())};
    LPCITEMIDLIST names[] = {ILFindLastID(files[0]), ILFindLastID(files[1])};
    IDataObject* data = nullptr;
    ASSERT_TRUE(OleInitialize(nullptr) == S_OK &&
                CIDLData_CreateFromIDArray(top, 2, names, &data) == S_OK);
    const POINT start = Corner();
    CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, start.x - 2, start.y - 2,
                    5, 5, nullptr, nullptr, nullptr, nullptr);
    for (DWORD button : {0, MOUSEEVENTF_LEFTDOWN}) Mouse(start, button);
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
    std::thread mover([&] { Mouse(rows[0]), Mouse(rows[0]), Mouse(rows[0], MOUSEEVENTF_LEFTUP); });
    DropSource source;
    DWORD effect = 0;
    EXPECT_EQ(DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect),
              DRAGDROP_S_DROP);
    mover.join();
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(ListTexts(), (Texts{b, a, d, e}));
}

// Each way textprint.exe cannot print ends with a box that says why and a status that is not 0.
TEST_F(WindowTest, TextprintShowsEachFailureInABoxAndEndsWithAnError) {
    const std::string note = folder.file("note.txt", "hello\n");
    const std::tuple<std::string, std::string, DWORD> cases[] = {
        {"", "usage: textprint /p FILE", 2},
        {"/p", "usage: textprint /p FILE", 2},
        {"/p \"" + (folder / "missing.txt") + "\"", "cannot read \"" + (folder / "missing.txt"), 1},
        {"/p \"" + folder.path() + "\"", "it is a folder", 1},
        {"/p \"" + note + "\"", "the default printer \"Office Printer\" cannot be reached", 1}};
    for (const auto& [arguments, said, status] : cases) {
        Start("", L"textprint.exe", Widen(arguments));
        std::wstring shown;
        while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
            if (HWND box = Dialog(L"textprint")) {
                shown = test::BoxText(box);
                Answer(box);
            }
        }
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        EXPECT_NE(shown.find(Widen(said)), std::wstring::npos)
            << arguments << ": " << Narrow(shown);
        EXPECT_EQ(code, status) << arguments;
        Stop();
    }
}

}  // namespace
}  // namespace vx
