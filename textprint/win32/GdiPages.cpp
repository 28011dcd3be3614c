#include "textprint/win32/GdiPages.h"

#include <usp10.h>

#include <algorithm>

#include "platform/win32/WideText.h"

namespace vx {

namespace {

constexpr int kMarginPoints = 54;
constexpr int kFontPoints = 10;
constexpr int kLinePoints = 12;

bool RightToLeftChar(char32_t c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
           (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x10800 && c <= 0x10FFF) ||
           (c >= 0x1E800 && c <= 0x1EFFF);
}

bool LeftToRightChar(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= 0xC0 && c < 0x0590 && c != 0xD7 && c != 0xF7) || (c >= 0x0900 && c < 0x2000) ||
           (c >= 0x2E80 && c < 0xFB1D);
}

// The line's direction is its first strong character's, as the Linux layout takes it.
bool RightToLeft(const std::u32string& text) {
    for (const char32_t c : text) {
        if (RightToLeftChar(c)) return true;
        if (LeftToRightChar(c)) return false;
    }
    return false;
}

}  // namespace

GdiPages::GdiPages(HDC dc) : dc_(dc) {
    const int dpiX = std::max(1, ::GetDeviceCaps(dc, LOGPIXELSX));
    const int dpiY = std::max(1, ::GetDeviceCaps(dc, LOGPIXELSY));
    int width = ::GetDeviceCaps(dc, PHYSICALWIDTH);
    int height = ::GetDeviceCaps(dc, PHYSICALHEIGHT);
    int offsetX = ::GetDeviceCaps(dc, PHYSICALOFFSETX);
    int offsetY = ::GetDeviceCaps(dc, PHYSICALOFFSETY);
    if (width <= 0 || height <= 0) {  // not a printer: the drawable area is the page
        width = ::GetDeviceCaps(dc, HORZRES);
        height = ::GetDeviceCaps(dc, VERTRES);
        offsetX = offsetY = 0;
    }
    // Margins from the paper's edge; the device's origin is the printable area's corner.
    const int marginX = ::MulDiv(kMarginPoints, dpiX, 72);
    const int marginY = ::MulDiv(kMarginPoints, dpiY, 72);
    left_ = std::max(0, marginX - offsetX);
    right_ = width - marginX - offsetX;
    top_ = std::max(0, marginY - offsetY);

    font_ = ::CreateFontW(-::MulDiv(kFontPoints, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                          FIXED_PITCH | FF_MODERN, L"Courier New");
    if (font_ != nullptr) ::SelectObject(dc_, font_);
    SIZE cell{};
    if (::GetTextExtentPoint32W(dc_, L"0", 1, &cell) && cell.cx > 0) advance_ = cell.cx;
    lineHeight_ = std::max(1, ::MulDiv(kLinePoints, dpiY, 72));
    columns_ = std::max(8, (width - 2 * marginX) / advance_);
    rows_ = std::max(1, (height - 2 * marginY) / lineHeight_);
}

GdiPages::~GdiPages() {
    if (font_ != nullptr) {
        ::SelectObject(dc_, ::GetStockObject(SYSTEM_FONT));
        ::DeleteObject(font_);
    }
}

void GdiPages::fail(const char* what) {
    if (error_.empty())
        error_ = std::string(what) + ": " + SystemMessage(static_cast<long>(::GetLastError()));
}

bool GdiPages::startPage() {
    if (!ok()) return false;
    if (pageOpen_) return true;
    if (::StartPage(dc_) <= 0) {
        fail("the printer did not start a page");
        return false;
    }
    pageOpen_ = true;
    // Some drivers reset the context at each page.
    if (font_ != nullptr) ::SelectObject(dc_, font_);
    ::SetTextAlign(dc_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    ::SetBkMode(dc_, TRANSPARENT);
    ::SetTextColor(dc_, RGB(0, 0, 0));
    return true;
}

void GdiPages::line(int row, const std::u32string& text) {
    if (!startPage()) return;
    wide_.clear();
    widths_.clear();
    for (const char32_t c : text) {
        const int width = CellWidth(c) * advance_;
        if (c >= 0x10000) {
            wide_.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
            wide_.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            widths_.push_back(width);
            widths_.push_back(0);
        } else {
            wide_.push_back(static_cast<wchar_t>(c));
            widths_.push_back(width);
        }
    }
    while (!wide_.empty() && wide_.back() == L' ') wide_.pop_back(), widths_.pop_back();
    if (wide_.empty()) return;
    const int n = static_cast<int>(wide_.size());
    const int y = top_ + row * lineHeight_;
    const bool shaped = ::ScriptIsComplex(wide_.c_str(), n, SIC_COMPLEX) == S_OK;
    const bool rtl = shaped && RightToLeft(text);
    SCRIPT_STRING_ANALYSIS analysis = nullptr;
    const DWORD flags = SSA_GLYPHS | SSA_FALLBACK | SSA_LINK | (rtl ? SSA_RTL : 0);
    // On the grid each character gets its cells; a shaped line keeps its own widths.
    if (FAILED(::ScriptStringAnalyse(dc_, wide_.c_str(), n, n * 3 / 2 + 16, -1, flags, 0, nullptr,
                                     nullptr, shaped ? nullptr : widths_.data(), nullptr, nullptr,
                                     &analysis))) {
        if (!::ExtTextOutW(dc_, left_, y, 0, nullptr, wide_.c_str(), static_cast<UINT>(n),
                           shaped ? nullptr : widths_.data()))
            fail("the printer did not take a line");
        return;
    }
    int x = left_;
    if (rtl) {
        const SIZE* size = ::ScriptString_pSize(analysis);
        if (size != nullptr) x = std::max(left_, right_ - static_cast<int>(size->cx));
    }
    if (FAILED(::ScriptStringOut(analysis, x, y, 0, nullptr, 0, 0, FALSE)))
        fail("the printer did not take a line");
    ::ScriptStringFree(&analysis);
}

void GdiPages::endPage() {
    if (!startPage()) return;
    pageOpen_ = false;
    if (::EndPage(dc_) <= 0) fail("the printer did not take a page");
}

}  // namespace vx
