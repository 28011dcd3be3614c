#pragma once

#include <string>

namespace vx {

// How many columns of a monospaced grid a character takes: 0 for combining marks and
// invisible format characters, 2 for wide East Asian characters, 1 otherwise.
int CellWidth(char32_t c);

// Where the laid-out text goes, one row at a time.
class LineSink {
  public:
    virtual ~LineSink() = default;
    virtual void line(int row, const std::u32string& text) = 0;
    // Ends the page, also when no line is on it.
    virtual void endPage() = 0;
};

// Plain-text layout on a grid of `columns` by `rows`, fed one character at a time so
// memory stays the size of a line: CR, LF, CRLF and the Unicode separators end a line, tab stops
// every 8 columns, a form feed starts a page, and a line too long for the page wraps after its last
// space, or at the edge when it has none. Nothing is cut but marks beyond kMarksKept on one
// character: shaping a cluster costs the square of its length. Control characters print as ^X.
class TextLayout {
  public:
    static constexpr int kMarksKept = 32;

    TextLayout(int columns, int rows, LineSink& sink);
    void put(char32_t c);
    void put(const std::u32string& text) {
        for (const char32_t c : text) put(c);
    }
    // Ends the last line and page; an empty text still gives one page.
    void finish();
    int pages() const { return pages_; }
    // Zero-width characters left out, past kMarksKept in a row.
    long droppedMarks() const { return dropped_; }
    int columns() const { return columns_; }

  private:
    void add(char32_t c);
    bool composeHangul(char32_t c);
    void endLine();
    void endPage();
    void wrap(bool atSpace);

    int columns_;
    int rows_;
    LineSink& sink_;
    std::u32string line_;
    int cells_ = 0;
    int marks_ = 0;  // zero-width characters in a row at the line's end
    long dropped_ = 0;
    bool open_ = false;  // characters came since the last line ended
    bool afterCr_ = false;
    bool pageStarted_ = false;
    int row_ = 0;
    int pages_ = 0;
};

}  // namespace vx
