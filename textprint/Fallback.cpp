#include "textprint/Fallback.h"

#include <string_view>

#include "textprint/TextLayout.h"

namespace vx {

PangoLanguage* HanLanguage(const std::string& locale) {
    const std::string_view l = locale;
    if (l.starts_with("ja")) return pango_language_from_string("ja");
    if (l.starts_with("ko")) return pango_language_from_string("ko");
    if (l.starts_with("zh_TW")) return pango_language_from_string("zh-tw");
    if (l.starts_with("zh_HK") || l.starts_with("zh_MO"))
        return pango_language_from_string("zh-hk");
    return pango_language_from_string("zh-cn");
}

PangoLanguage* ScriptLanguage(GUnicodeScript script, PangoLanguage* han) {
    switch (script) {
        case G_UNICODE_SCRIPT_COMMON:
        case G_UNICODE_SCRIPT_INHERITED:
        case G_UNICODE_SCRIPT_UNKNOWN:
        case G_UNICODE_SCRIPT_INVALID_CODE:
            return nullptr;
        case G_UNICODE_SCRIPT_HAN:
        case G_UNICODE_SCRIPT_BOPOMOFO:
            return han;
        case G_UNICODE_SCRIPT_HIRAGANA:
        case G_UNICODE_SCRIPT_KATAKANA:
            return pango_language_from_string("ja");
        case G_UNICODE_SCRIPT_HANGUL:
            return pango_language_from_string("ko");
        default:
            return pango_script_get_sample_language(static_cast<PangoScript>(script));
    }
}

PangoLanguage* CharLanguage(char32_t c, PangoLanguage* han) {
    if (PangoLanguage* l = ScriptLanguage(g_unichar_get_script(c), han)) return l;
    return CellWidth(c) == 2 ? han : pango_language_from_string("en");
}

PangoAttrList* LanguageRuns(const std::string& utf8, PangoLanguage* han) {
    PangoAttrList* list = pango_attr_list_new();
    PangoScriptIter* it = pango_script_iter_new(utf8.data(), static_cast<int>(utf8.size()));
    do {
        const char* start = nullptr;
        const char* end = nullptr;
        PangoScript script = PANGO_SCRIPT_COMMON;
        pango_script_iter_get_range(it, &start, &end, &script);
        PangoLanguage* language = ScriptLanguage(static_cast<GUnicodeScript>(script), han);
        if (language == nullptr) {
            // A run of punctuation alone: CJK's when it holds a wide character.
            language = pango_language_from_string("en");
            for (const char* p = start; p < end; p = g_utf8_next_char(p))
                if (CellWidth(g_utf8_get_char(p)) == 2) language = han;
        }
        PangoAttribute* attr = pango_attr_language_new(language);
        attr->start_index = static_cast<unsigned>(start - utf8.data());
        attr->end_index = static_cast<unsigned>(end - utf8.data());
        pango_attr_list_insert(list, attr);
    } while (pango_script_iter_next(it));
    pango_script_iter_free(it);
    return list;
}

namespace {

// Faces that take letters of a living script they do not serve well: Grantha's map Tamil's
// letters without Tamil's conjuncts, and Kufi is a display style, not Arabic's text face.
constexpr const char* kRules = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <selectfont>
    <rejectfont>
      <pattern><patelt name="family"><string>Noto Sans Grantha</string></patelt></pattern>
      <pattern><patelt name="family"><string>Noto Serif Grantha</string></patelt></pattern>
      <pattern><patelt name="family"><string>Noto Kufi Arabic</string></patelt></pattern>
    </rejectfont>
  </selectfont>
</fontconfig>
)";

}  // namespace

FcConfig* PrivateFontConfig() {
    FcConfig* config = FcInitLoadConfig();
    if (config == nullptr) return nullptr;
    // The rules must be in place before the fonts are read, as rejection happens then.
    if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kRules), FcTrue) ||
        !FcConfigBuildFonts(config)) {
        FcConfigDestroy(config);
        return nullptr;
    }
    return config;
}

}  // namespace vx
