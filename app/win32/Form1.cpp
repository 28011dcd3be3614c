#include "app/win32/Form1.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cmath>

#include "app/win32/ButtonPictures.h"
#include "app/win32/DropTarget.h"
#include "platform/win32/WideText.h"

namespace vx {

namespace {

constexpr wchar_t kClass[] = L"Vellumax.Form1";
constexpr wchar_t kCaption[] = L"Vellumax";
constexpr wchar_t kListTip[] =
    L"Drag and drop files here. Double-click item to remove it. Move bar to right and out of "
    L"window to reveal full names.";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 6630;
constexpr int kClientHeight = 3015;

enum ControlId : int { kCommand1 = 100, kCheck1, kCheck2, kListView1, kCheck4 };

struct Placement {
    int id;
    int left, top, width, height;
};
// In tab order.
constexpr Placement kPlacements[] = {{kCommand1, -720, 2640, 615, 495},
                                     {kCheck1, 120, 1800, 2055, 1095},
                                     {kCheck2, 4440, 1800, 2055, 1095},
                                     {kListView1, 120, 120, 6375, 1575},
                                     {kCheck4, 2280, 1800, 2055, 1095}};

HFONT ArialBold(int tenthsOfHundredths, UINT dpi) {
    // Sizes in hundredths of a point: 1125 is 11.25 pt.
    return CreateFontW(-MulDiv(tenthsOfHundredths, static_cast<int>(dpi), 7200), 0, 0, 0, FW_BOLD,
                       FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
}

UINT WindowDpi(HWND hwnd) {
    const UINT dpi = GetDpiForWindow(hwnd);
    return dpi != 0 ? dpi : 96;
}

}  // namespace

Form1::Form1(Platform& platform, HINSTANCE instance)
    : platform_(platform), instance_(instance), logic_(platform, *this) {
    logic_.list().setObserver(this);
}

Form1::~Form1() {
    logic_.list().setObserver(nullptr);
    if (list_ != nullptr) RevokeDragDrop(list_);
    if (drop_ != nullptr) drop_->Release();
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    for (HIMAGELIST p : pictures_)
        if (p != nullptr) ImageList_Destroy(p);
    if (buttonFont_ != nullptr) DeleteObject(buttonFont_);
    if (listFont_ != nullptr) DeleteObject(listFont_);
    if (blankIcon_ != nullptr) DestroyIcon(blankIcon_);
    if (hand_ != nullptr) DestroyCursor(hand_);
    if (dragPicture_ != nullptr) DestroyCursor(dragPicture_);
}

bool Form1::Create() {
    blankIcon_ = MakeBlankIcon(32);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hIcon = blankIcon_;
    wc.hIconSm = blankIcon_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClass;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    hwnd_ = CreateWindowExW(kExStyle, kClass, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                            nullptr, nullptr, instance_, this);
    if (hwnd_ == nullptr) return false;
    dpi_ = WindowDpi(hwnd_);
    CreateControls();
    Layout();

    // Start-up: centred, the hand cursor, the home-page chance, the caption, the column.
    CenterForm();
    if (const auto hand = logic_.startUp()) {
        hand_ = static_cast<HCURSOR>(
            LoadImageW(nullptr, Widen(*hand).c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
    }
    SetWindowTextW(hwnd_, kCaption);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(L"Text files");
    column.cx = Px(5300);
    SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    return true;
}

void Form1::CreateControls() {
    auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                               nullptr);
    };
    // Created in tab order, so the dialog keys move through them in it.
    command1_ = make(L"BUTTON", L"Command1", WS_TABSTOP | BS_PUSHBUTTON, kCommand1);
    const DWORD twoState = WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_MULTILINE;
    check1_ = make(L"BUTTON", L"Add Text Files", twoState, kCheck1);
    check2_ = make(L"BUTTON", L"Convert To PDF", twoState, kCheck2);
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_NOSORTHEADER,
                            0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListView1)), instance_,
                            nullptr);
    check4_ = make(L"BUTTON", L"Add All Text Files In Folder", twoState, kCheck4);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);

    for (HWND b : {check1_, check2_, check4_})
        SetWindowSubclass(b, ButtonProc, 1, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(list_, ListProc, 1, reinterpret_cast<DWORD_PTR>(this));

    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                               nullptr, instance_, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(list_);
    tool.lpszText = const_cast<wchar_t*>(kListTip);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    drop_ = new DropTarget(
        [this](const std::vector<std::string>& paths) { logic_.filesDropped(paths); });
    RegisterDragDrop(list_, drop_);
}

void Form1::Layout() {
    RECT outer{0, 0, Px(kClientWidth), Px(kClientHeight)};
    AdjustWindowRectExForDpi(&outer, kStyle, FALSE, kExStyle, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    if (buttonFont_ != nullptr) DeleteObject(buttonFont_);
    if (listFont_ != nullptr) DeleteObject(listFont_);
    buttonFont_ = ArialBold(1125, dpi_);
    listFont_ = ArialBold(900, dpi_);
    const HWND controls[] = {command1_, check1_, check2_, list_, check4_};
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        const Placement& p = kPlacements[i];
        SetWindowPos(controls[i], nullptr, Px(p.left), Px(p.top), Px(p.width), Px(p.height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(controls[i], WM_SETFONT,
                     reinterpret_cast<WPARAM>(controls[i] == list_ ? listFont_ : buttonFont_),
                     TRUE);
    }
    const std::pair<HWND, Picture> buttons[] = {
        {check1_, Picture::TextPage}, {check2_, Picture::PdfPage}, {check4_, Picture::Folder}};
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        if (pictures_[i] != nullptr) ImageList_Destroy(pictures_[i]);
        pictures_[i] = MakePicture(buttons[i].second, dpi_);
        BUTTON_IMAGELIST images{
            pictures_[i], {Px(30), Px(60), Px(30), 0}, BUTTON_IMAGELIST_ALIGN_TOP};
        SendMessageW(buttons[i].first, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
    }
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Px(6000));
}

void Form1::CenterForm() {
    RECT outer{};
    GetWindowRect(hwnd_, &outer);
    const TwipPoint at = logic_.centre(Size{outer.right - outer.left, outer.bottom - outer.top});
    SetWindowPos(hwnd_, nullptr, static_cast<int>(std::lround(at.left / kTwipsPerPixel)),
                 static_cast<int>(std::lround(at.top / kTwipsPerPixel)), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::Show(int how) {
    ShowWindow(hwnd_, how);
    UpdateWindow(hwnd_);
    SetFocus(command1_);
}

bool Form1::PreTranslate(MSG& msg) {
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->hwnd_ == nullptr) return DefWindowProcW(hwnd, message, w, l);
    return self->Handle(message, w, l);
}

LRESULT Form1::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_COMMAND: {
            const HWND from = reinterpret_cast<HWND>(l);
            if (HIWORD(w) != BN_CLICKED) break;
            FormLogic::Command command;
            if (from == check1_) {
                command = FormLogic::Command::AddPickedFiles;
            } else if (from == check4_) {
                command = FormLogic::Command::AddFolderFiles;
            } else if (from == check2_) {
                command = FormLogic::Command::RunConversion;
            } else {
                break;
            }
            logic_.buttonClicked(command, SendMessageW(from, BM_GETCHECK, 0, 0) == BST_CHECKED,
                                 [from] { SendMessageW(from, BM_SETCHECK, BST_UNCHECKED, 0); });
            return 0;
        }
        case WM_NOTIFY:
            return Notify(reinterpret_cast<NMHDR*>(l));
        case WM_MOUSEMOVE:
            // Only the background reaches here; the controls take their own moves.
            logic_.backgroundMoved();
            break;
        case WM_SETCURSOR:
            if (SetCursorFor(reinterpret_cast<HWND>(w), LOWORD(l))) return TRUE;
            break;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        case WM_DPICHANGED: {
            dpi_ = HIWORD(w);
            const RECT* suggested = reinterpret_cast<RECT*>(l);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            Layout();
            return 0;
        }
        case WM_QUERYENDSESSION:
            // The session ends: the user's printer setting goes back before anything else.
            logic_.ending();
            return TRUE;
        case WM_ENDSESSION:
            if (w != FALSE) logic_.ending();
            return 0;
        case WM_CLOSE:
            // Ends at once, also mid-command; a run's borrowed setting goes back first.
            logic_.ending();
            platform_.ui->terminate();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

LRESULT Form1::Notify(NMHDR* header) {
    if (header->hwndFrom != list_) return 0;
    switch (header->code) {
        case LVN_GETDISPINFOW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
            const auto position = static_cast<std::size_t>(info->item.iItem) + 1;
            if ((info->item.mask & LVIF_TEXT) != 0 && position <= logic_.list().count()) {
                shownText_ = Widen(logic_.list().view(position));
                info->item.pszText = shownText_.data();
            }
            return 0;
        }
        case LVN_ITEMCHANGED: {
            // Keys move the highlight without a click: the list keeps what the user sees.
            auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            if (syncing_ || change->iItem < 0 || (change->uChanged & LVIF_STATE) == 0) return 0;
            if ((change->uNewState & LVIS_SELECTED) != 0) {
                logic_.list().select(static_cast<std::size_t>(change->iItem) + 1);
            }
            return 0;
        }
        default:
            return 0;
    }
}

LRESULT CALLBACK Form1::ButtonProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                   DWORD_PTR self) {
    if (message == WM_MOUSEMOVE) reinterpret_cast<Form1*>(self)->logic_.buttonMoved();
    return DefSubclassProc(hwnd, message, w, l);
}

LRESULT CALLBACK Form1::ListProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                 DWORD_PTR self) {
    return reinterpret_cast<Form1*>(self)->ListMessage(hwnd, message, w, l);
}

// The list does no selecting or dragging of its own: a press selects the entry under it and
// reports the entry click before the moves of the drag it starts, which the capture keeps
// coming until the button is up.
LRESULT Form1::ListMessage(HWND list, UINT message, WPARAM w, LPARAM l) {
    const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            SetFocus(list);
            if (const auto hit = HitTest(at)) logic_.listItemClicked(*hit);
            logic_.listPressed();
            SetCapture(list);
            return 0;
        case WM_MOUSEMOVE:
            logic_.listMoved(logic_.drag().DragActive ? HitTest(at) : std::nullopt);
            break;  // the tooltip and hot tracking see the move too
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (GetCapture() == list) ReleaseCapture();
            logic_.listReleased();
            return 0;
        case WM_LBUTTONDBLCLK:
            logic_.listDoubleClicked();
            return 0;
        case WM_SETCURSOR:
            if (SetCursorFor(list, LOWORD(l))) return TRUE;
            break;
        default:
            break;
    }
    return DefSubclassProc(list, message, w, l);
}

std::optional<std::size_t> Form1::HitTest(POINT inList) const {
    // Only a line the user can see: not under the header, the frame or beyond the list,
    // where the control would count on into rows scrolled out of sight.
    RECT client{};
    GetClientRect(list_, &client);
    if (const HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0))) {
        RECT rc{};
        GetWindowRect(header, &rc);
        MapWindowPoints(nullptr, list_, reinterpret_cast<POINT*>(&rc), 2);
        if (IsWindowVisible(header)) client.top = rc.bottom;
    }
    if (!PtInRect(&client, inList)) return std::nullopt;
    LVHITTESTINFO hit{};
    hit.pt = inList;
    const auto index = SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (index < 0 || (hit.flags & LVHT_ONITEM) == 0) return std::nullopt;
    const auto position = static_cast<std::size_t>(index) + 1;
    if (position > logic_.list().count()) return std::nullopt;
    return position;
}

// The pointer over one of the window's parts, by the window's setting and the list's own.
bool Form1::SetCursorFor(HWND over, UINT hit) {
    if (hit != HTCLIENT) return false;
    if (over == list_ && listPointer_ != 0) {
        SetCursor(listPointer_ == 99 && dragPicture_ != nullptr ? dragPicture_
                                                                : LoadCursorW(nullptr, IDC_ARROW));
        return true;
    }
    const int setting = logic_.pointer();
    if (setting == kPointerHourglass) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return true;
    }
    if (setting == kPointerHand) {
        SetCursor(hand_ != nullptr && over != list_ ? hand_ : LoadCursorW(nullptr, IDC_ARROW));
        return true;
    }
    return false;
}

// A setting changed while the pointer rests: show it now, not at the next move.
void Form1::RefreshCursor() {
    POINT at{};
    if (!GetCursorPos(&at)) return;
    const HWND under = WindowFromPoint(at);
    if (under != hwnd_ && !IsChild(hwnd_, under)) return;
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void Form1::showPointer(int) {
    RefreshCursor();
}

void Form1::setListPicturePointer(const std::string& iconFile) {
    auto picture = static_cast<HCURSOR>(
        LoadImageW(nullptr, Widen(iconFile).c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    if (picture == nullptr) return;  // dragging works without the picture
    if (dragPicture_ != nullptr) DestroyCursor(dragPicture_);
    dragPicture_ = picture;
    listPointer_ = 99;
    RefreshCursor();
}

void Form1::setListArrowPointer() {
    listPointer_ = 1;
    RefreshCursor();
}

void Form1::ensureVisible(std::size_t position) {
    SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(position - 1), FALSE);
}

void Form1::SyncRows() {
    SendMessageW(list_, LVM_SETITEMCOUNT, logic_.list().count(), LVSICF_NOSCROLL);
    InvalidateRect(list_, nullptr, FALSE);
    SyncSelection();
}

void Form1::textChanged(std::size_t position) {
    const auto row = static_cast<WPARAM>(position - 1);
    SendMessageW(list_, LVM_REDRAWITEMS, row, static_cast<LPARAM>(row));
}

void Form1::SyncSelection() {
    syncing_ = true;
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    const auto selected = logic_.list().selected();
    if (const auto position = selected ? logic_.list().position(*selected) : std::nullopt) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(*position - 1),
                     reinterpret_cast<LPARAM>(&item));
    }
    syncing_ = false;
}

}  // namespace vx
