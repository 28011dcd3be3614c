#pragma once

#include <cstdio>
#include <set>
#include <string>

#include "textprint/PdfPages.h"

namespace vx {

struct PdfResult {
    bool ok = false;    // false when reading `in` or writing `out` failed
    std::string error;  // why, when not ok
    int pages = 0;
    std::set<char32_t> missing;       // characters no installed font has
    long droppedMarks = 0;            // combining marks past the most one character keeps
    std::set<std::u32string> broken;  // clusters the faces could not join: dotted circles
};

// Writes the text file `in` as a PDF to `out`. The bytes are read as the file's byte-order
// mark says, else as UTF-8 when they all are, else as Windows-1252. `in` must be seekable
// when it has no mark: a first pass tells whether it is UTF-8.
// `locale` is the system's, for the shape of Han characters.
PdfResult TextToPdf(std::FILE* in, const std::string& title, const PageSetup& page, std::FILE* out,
                    const std::string& locale = "");

// "U+4E2D 中, U+0800 ..." for the report of missing glyphs.
std::string DescribeMissing(const std::set<char32_t>& missing, std::size_t most = 12);
// "U+0B95 U+0BCD U+0BCD க்், ..." for the report of clusters printed with dotted circles.
std::string DescribeClusters(const std::set<std::u32string>& clusters, std::size_t most = 12);

}  // namespace vx
