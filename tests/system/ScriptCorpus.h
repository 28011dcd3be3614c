#pragma once

// Texts in the world's scripts, written by others and installed on every Debian system: the
// country names of iso-codes' translations and the month and day names of glibc's locales.

#include <map>
#include <string>
#include <vector>

namespace vx::test {

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

}  // namespace vx::test
