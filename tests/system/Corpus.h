#pragma once

// Text files made on the spot for the print tests: each kind of text a user may convert,
// with what the PDF must give back.

#include <cstdint>
#include <string>
#include <vector>

namespace vx::test {

struct CorpusFile {
    std::string name;
    std::string bytes;               // the file as written to disk
    std::string text;                // what it says, in UTF-8
    bool compareCharacters = false;  // scripts without spaces are counted by character
    int pages = 0;                   // how many pages it must take, when that is known
    std::string warning;             // what textprint must say about it
};

// English with tabs, form feeds, 500-character lines and CRLF; Greek and Cyrillic; CJK; Arabic
// with Hebrew; UTF-16 LE with a BOM; Latin-1; a character no font has; empty; binary.
std::vector<CorpusFile> MakeCorpus(std::uint32_t seed);

// The share of `expected`'s words (or characters) that `got` has, counted with repeats.
double Recall(const std::string& expected, const std::string& got, bool characters);

}  // namespace vx::test
