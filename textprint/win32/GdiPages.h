#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "textprint/TextLayout.h"

namespace vx {

// Draws laid-out rows on a printer's pages through GDI, one page at a time, with the layout
// the Linux word processor uses: 54 pt margins, a monospaced face at 10 pt, lines 12 pt apart.
// Lines that need no shaping keep to the character grid; lines with scripts that shape or run
// right to left go through Uniscribe as they are, the latter set from the right margin. Fonts
// for what the face lacks come from Uniscribe's fallback and font linking.
class GdiPages : public LineSink {
  public:
    // `dc` is a printer's device context with its document started.
    explicit GdiPages(HDC dc);
    ~GdiPages() override;
    GdiPages(const GdiPages&) = delete;
    GdiPages& operator=(const GdiPages&) = delete;

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    void line(int row, const std::u32string& text) override;
    void endPage() override;
    // False once the printer refused a page; error() says why.
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

  private:
    bool startPage();
    void fail(const char* what);

    HDC dc_;
    HFONT font_ = nullptr;
    bool pageOpen_ = false;
    int left_ = 0;
    int right_ = 0;
    int top_ = 0;
    int advance_ = 1;
    int lineHeight_ = 1;
    int columns_ = 80;
    int rows_ = 60;
    std::string error_;
    std::wstring wide_;
    std::vector<int> widths_;
};

}  // namespace vx
