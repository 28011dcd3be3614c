#include "textprint/TextLayout.h"

#include <algorithm>
#include <utility>

namespace vx {

TextLayout::TextLayout(int columns, int rows, LineSink& sink)
    : columns_(std::max(columns, 8)), rows_(std::max(rows, 1)), sink_(sink) {}

void TextLayout::put(char32_t c) {
    if (c == '\n') {
        if (!afterCr_) endLine();
        afterCr_ = false;
        return;
    }
    afterCr_ = c == '\r';
    if (afterCr_ || c == 0x2028 || c == 0x2029) {
        endLine();
    } else if (c == '\f') {
        if (open_) endLine();
        endPage();
    } else if (c == '\t') {
        open_ = true;
        do add(' ');
        while (cells_ % 8 != 0 && cells_ != 0);
    } else if (c < 0x20 || c == 0x7F) {
        // A control character would print as nothing, or as a box: "^A" says what is there.
        open_ = true;
        add('^');
        add(c == 0x7F ? U'?' : c + 0x40);
    } else {
        open_ = true;
        add(c >= 0x80 && c < 0xA0 ? 0xFFFD : c);
    }
}

// Decomposed Hangul, as some systems store it, is set as the syllables: every Hangul face has
// those and not always the conjoining letters, and a reader searches for syllables. The
// syllable takes the two cells its leading consonant took.
bool TextLayout::composeHangul(char32_t c) {
    if (line_.empty()) return false;
    char32_t& last = line_.back();
    if (c >= 0x1161 && c <= 0x1175 && last >= 0x1100 && last <= 0x1112) {
        last = 0xAC00 + ((last - 0x1100) * 21 + (c - 0x1161)) * 28;
        return true;
    }
    if (c >= 0x11A8 && c <= 0x11C2 && last >= 0xAC00 && last <= 0xD7A3 &&
        (last - 0xAC00) % 28 == 0) {
        last += c - 0x11A7;
        return true;
    }
    return false;
}

void TextLayout::add(char32_t c) {
    if (composeHangul(c)) return;
    const int w = CellWidth(c);
    if (w == 0 && marks_ >= kMarksKept) {
        ++dropped_;
        return;
    }
    marks_ = w == 0 ? marks_ + 1 : 0;
    if (cells_ + w > columns_) wrap(c == ' ');
    line_.push_back(c);
    cells_ += w;
}

// Breaks after the last space when there is one past the line's start, else at the edge. A
// space arriving at a full line breaks right there.
void TextLayout::wrap(bool atSpace) {
    const std::size_t space = atSpace ? std::u32string::npos : line_.find_last_of(U' ');
    std::u32string rest;
    if (space != std::u32string::npos && space > 0 && space + 1 < line_.size()) {
        rest = line_.substr(space + 1);
        line_.resize(space + 1);
    }
    sink_.line(row_, line_);
    line_ = std::move(rest);
    cells_ = 0;
    for (const char32_t c : line_) cells_ += CellWidth(c);
    pageStarted_ = true;
    if (++row_ >= rows_) endPage();
}

void TextLayout::endLine() {
    sink_.line(row_, line_);
    line_.clear();
    cells_ = 0;
    marks_ = 0;
    open_ = false;
    pageStarted_ = true;
    if (++row_ >= rows_) endPage();
}

void TextLayout::endPage() {
    sink_.endPage();
    ++pages_;
    row_ = 0;
    pageStarted_ = false;
}

void TextLayout::finish() {
    if (open_) endLine();
    if (pageStarted_ || pages_ == 0) endPage();
}

}  // namespace vx
