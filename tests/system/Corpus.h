#pragma once

// Texts to print and what a reader must get back from their PDFs: files made on the spot for
// each kind of text a user may convert, and texts in the world's scripts written by others and
// installed on every Debian system (iso-codes' country names, glibc's month and day names).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vx::test {

class PrivateCups;

struct CorpusFile {
    std::string name;
    std::string bytes;    // the file as written to disk
    std::string text;     // what it says, in UTF-8
    int pages = 0;        // how many pages it must take, when that is known
    std::string warning;  // what textprint must say about it
};

// English with tabs, form feeds, 500-character lines and CRLF; UTF-16 LE with a BOM; Latin-1;
// a character no font has; empty; binary. Other scripts are the script corpus's.
std::vector<CorpusFile> MakeCorpus(std::uint32_t seed);

// The share of `expected`'s words that `got` has, counted with repeats.
double Recall(const std::string& expected, const std::string& got);

struct ScriptText {
    std::string name;  // "iso-ko", "locale-ta_IN"
    std::string utf8;  // one name a line
};

// One text per translation in LOCALE_ROOT/*/LC_MESSAGES/iso_3166-1.mo, read with msgunfmt.
std::vector<ScriptText> CountryNames(const std::string& localeRoot);

// One text per locale source in `folder` that spells out its own month and day names.
std::vector<ScriptText> MonthAndDayNames(const std::string& folder);

// The characters of the text after NFKC, counted, without white space, controls and
// format characters: what a reader of the page can search for.
std::map<char32_t, int> SearchableCharacters(const std::string& utf8);

// Waits until the queue has filed the PDF at `pdf` and has no job left; "" when it never came.
std::string AwaitPdf(PrivateCups& cups, const std::string& pdf);

}  // namespace vx::test
