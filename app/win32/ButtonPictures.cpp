#include "app/win32/ButtonPictures.h"

#include <vector>

namespace vx {

namespace {

constexpr COLORREF kMask = RGB(255, 0, 255);

// Draws on a 32-unit grid scaled to the picture's size.
struct Grid {
    HDC dc;
    int size;
    int at(int units) const { return MulDiv(units, size, 32); }
    void box(int l, int t, int r, int b, COLORREF fill, COLORREF line) const {
        HBRUSH brush = CreateSolidBrush(fill);
        HPEN pen = CreatePen(PS_SOLID, at(1) > 0 ? at(1) : 1, line);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        Rectangle(dc, at(l), at(t), at(r), at(b));
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(brush);
        DeleteObject(pen);
    }
    void text(const wchar_t* s, int l, int t, int r, int b, int height, COLORREF colour) const {
        HFONT font = CreateFontW(-at(height), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, colour);
        RECT rc{at(l), at(t), at(r), at(b)};
        DrawTextW(dc, s, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
        SelectObject(dc, old);
        DeleteObject(font);
    }
};

void Draw(const Grid& g, Picture picture) {
    switch (picture) {
        case Picture::TextPage:
            g.box(6, 2, 26, 30, RGB(255, 255, 255), RGB(64, 64, 64));
            g.text(L"T", 6, 4, 26, 28, 22, RGB(0, 64, 200));
            break;
        case Picture::Folder:
            g.box(2, 7, 14, 12, RGB(230, 180, 40), RGB(150, 110, 20));
            g.box(2, 10, 30, 27, RGB(250, 210, 70), RGB(150, 110, 20));
            g.box(5, 14, 31, 28, RGB(255, 228, 110), RGB(150, 110, 20));
            break;
        case Picture::PdfPage:
            g.box(6, 2, 26, 30, RGB(255, 255, 255), RGB(64, 64, 64));
            g.box(4, 11, 28, 21, RGB(200, 20, 20), RGB(200, 20, 20));
            g.text(L"PDF", 4, 11, 28, 21, 9, RGB(255, 255, 255));
            break;
    }
}

}  // namespace

HIMAGELIST MakePicture(Picture picture, UINT dpi) {
    const int size = MulDiv(32, static_cast<int>(dpi), 96);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    HBRUSH mask = CreateSolidBrush(kMask);
    FillRect(dc, &all, mask);
    DeleteObject(mask);
    Draw(Grid{dc, size}, picture);
    SelectObject(dc, old);
    DeleteDC(dc);
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 1, 0);
    ImageList_AddMasked(list, bitmap, kMask);
    DeleteObject(bitmap);
    return list;
}

HICON MakeBlankIcon(int size) {
    // Every pixel keeps the screen (AND 1) and changes nothing (XOR 0).
    const std::vector<BYTE> andMask(static_cast<std::size_t>(size * size / 8), 0xFF);
    const std::vector<BYTE> xorMask(andMask.size(), 0x00);
    return CreateIcon(GetModuleHandleW(nullptr), size, size, 1, 1, andMask.data(), xorMask.data());
}

}  // namespace vx
