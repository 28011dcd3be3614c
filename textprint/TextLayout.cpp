#include "textprint/TextLayout.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vx {

namespace {

struct Range {
    char32_t first;
    char32_t last;
};

constexpr std::array kZeroWidth = {
    Range{0x0300, 0x036F}, Range{0x0483, 0x0489}, Range{0x0591, 0x05BD}, Range{0x05BF, 0x05BF},
    Range{0x05C1, 0x05C2}, Range{0x05C4, 0x05C5}, Range{0x05C7, 0x05C7}, Range{0x0610, 0x061A},
    Range{0x064B, 0x065F}, Range{0x0670, 0x0670}, Range{0x06D6, 0x06DC}, Range{0x06DF, 0x06E4},
    Range{0x06E7, 0x06E8}, Range{0x06EA, 0x06ED}, Range{0x1AB0, 0x1AFF}, Range{0x1DC0, 0x1DFF},
    Range{0x200B, 0x200F}, Range{0x202A, 0x202E}, Range{0x2060, 0x2064}, Range{0x20D0, 0x20FF},
    Range{0xFE00, 0xFE0F}, Range{0xFE20, 0xFE2F}, Range{0xFEFF, 0xFEFF}};

constexpr std::array kWide = {
    Range{0x1100, 0x115F},   Range{0x2E80, 0x303E},  Range{0x3041, 0x33FF}, Range{0x3400, 0x4DBF},
    Range{0x4E00, 0x9FFF},   Range{0xA000, 0xA4CF},  Range{0xAC00, 0xD7A3}, Range{0xF900, 0xFAFF},
    Range{0xFE30, 0xFE4F},   Range{0xFF00, 0xFF60},  Range{0xFFE0, 0xFFE6}, Range{0x1F300, 0x1F64F},
    Range{0x1F900, 0x1F9FF}, Range{0x20000, 0x3FFFD}};

template <std::size_t N>
bool In(const std::array<Range, N>& ranges, char32_t c) {
    const auto it = std::upper_bound(ranges.begin(), ranges.end(), c,
                                     [](char32_t v, const Range& r) { return v < r.first; });
    return it != ranges.begin() && c <= std::prev(it)->last;
}

}  // namespace

int CellWidth(char32_t c) {
    if (c < 0x300) return 1;
    if (In(kZeroWidth, c)) return 0;
    return In(kWide, c) ? 2 : 1;
}

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

void TextLayout::add(char32_t c) {
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
