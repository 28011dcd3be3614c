#pragma once

#include <fontconfig/fontconfig.h>
#include <pango/pango.h>

#include <string>

namespace vx {

// How fallback faces are picked: by the language of each script, never the locale's "c",
// and from our own copy of the font configuration.

// The language whose Han shapes the reader expects, from the locale's name (LANG): Japanese,
// Korean, Chinese of Taiwan or of Hong Kong and Macau, else Chinese of the mainland.
PangoLanguage* HanLanguage(const std::string& locale);

// The language faces are chosen by for a character of `script`; `han` for Han and Bopomofo;
// null for punctuation and marks shared by all scripts.
PangoLanguage* ScriptLanguage(GUnicodeScript script, PangoLanguage* han);

// The language of a character: its script's, `han` for shared wide punctuation, else English.
PangoLanguage* CharLanguage(char32_t c, PangoLanguage* han);

// Language attributes for the UTF-8 text, one per run of a script.
PangoAttrList* LanguageRuns(const std::string& utf8, PangoLanguage* han);

// The system's font configuration with rules of our own on top, for textprint alone: faces
// of historic scripts that cover living ones badly never serve as a fallback. Null when
// fontconfig cannot load it.
FcConfig* PrivateFontConfig();

}  // namespace vx
