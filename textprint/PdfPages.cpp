#include "textprint/PdfPages.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "textprint/Fallback.h"

namespace vx {

namespace {

// Below Hebrew every script the face has is drawn one glyph per cell with no shaping.
constexpr char32_t kGridLimit = 0x0590;
constexpr unsigned kNoGlyph = 0;

bool IsRtl(char32_t c) {
    return (c >= 0x0590 && c < 0x0900) || (c >= 0xFB1D && c < 0xFE00) ||
           (c >= 0xFE70 && c < 0xFF00) || (c >= 0x10800 && c < 0x11000) ||
           (c >= 0x1E800 && c < 0x1F000);
}

bool IsNeutral(char32_t c) {
    return c < 0x41 || (c > 0x5A && c < 0x61) || (c > 0x7A && c < 0xC0) ||
           (c >= 0x2000 && c < 0x2070) || c == 0xD7 || c == 0xF7;
}

// The paragraph direction is that of its first strong character.
bool StartsRightToLeft(const std::u32string& text) {
    for (const char32_t c : text) {
        if (IsRtl(c)) return true;
        if (!IsNeutral(c) && CellWidth(c) != 0) return false;
    }
    return false;
}

}  // namespace

cairo_status_t PdfPages::WriteTo(void* closure, const unsigned char* data, unsigned int length) {
    auto* self = static_cast<PdfPages*>(closure);
    if (std::fwrite(data, 1, length, self->out_) == length) return CAIRO_STATUS_SUCCESS;
    if (self->writeErrno_ == 0) self->writeErrno_ = errno;
    return CAIRO_STATUS_WRITE_ERROR;
}

PdfPages::PdfPages(const PageSetup& page, const std::string& title, std::FILE* out,
                   const std::string& locale)
    : page_(page), locale_(locale), out_(out) {
    surface_ = cairo_pdf_surface_create_for_stream(WriteTo, this, page.width, page.height);
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "textprint");
    cr_ = cairo_create(surface_);
    cairo_set_source_rgb(cr_, 0, 0, 0);

    // The face comes straight from its file when it is where distributions put it: asking
    // fontconfig first would cost every small file most of its time. Fontconfig and Pango
    // start only for a character the face lacks or a line that needs shaping.
    scaled_ = OpenFace(page.fontSize);
    if (scaled_ == nullptr) {
        startShaping();
        font_ = pango_font_map_load_font(fontMap_, context_, description_);
        if (font_ != nullptr) scaled_ = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font_));
    }
    faceCells_.assign(kGridLimit, Cell{});
    if (scaled_ != nullptr && cairo_scaled_font_status(scaled_) == CAIRO_STATUS_SUCCESS) {
        if (FT_Face face = cairo_ft_scaled_font_lock_face(scaled_)) {
            for (char32_t c = 0x20; c < kGridLimit; ++c)
                if (CellWidth(c) == 1 && (c < 0x7F || c >= 0xA0))
                    if (const unsigned g = FT_Get_Char_Index(face, c); g != kNoGlyph)
                        faceCells_[c] = {scaled_, g, 0};
            cairo_ft_scaled_font_unlock_face(scaled_);
        }
        cairo_font_extents_t fe;
        cairo_scaled_font_extents(scaled_, &fe);
        ascent_ = fe.ascent;
        cairo_glyph_t zero = {faceCells_['0'].glyph, 0, 0};
        cairo_text_extents_t te;
        cairo_scaled_font_glyph_extents(scaled_, &zero, 1, &te);
        if (te.x_advance > 0) advance_ = te.x_advance;
    } else {
        scaled_ = nullptr;
    }
    lineHeight_ = page.fontSize * 1.2;
    columns_ = std::max(8, static_cast<int>((page.width - 2 * page.margin) / advance_));
    rows_ = std::max(1, static_cast<int>((page.height - 2 * page.margin) / lineHeight_));
}

cairo_font_options_t* PdfPages::Unhinted() {
    // Unhinted outlines at 72 units per inch: a point is a unit and advances are exact.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    return options;
}

cairo_scaled_font_t* PdfPages::OpenFace(double size) {
    static FT_Library library = nullptr;
    if (library == nullptr && FT_Init_FreeType(&library) != 0) return nullptr;
    FT_Face face = nullptr;
    for (const char* file :
         {"/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
          "/usr/share/fonts/dejavu/DejaVuSansMono.ttf", "/usr/share/fonts/TTF/DejaVuSansMono.ttf"})
        if (FT_New_Face(library, file, 0, &face) == 0) break;
    if (face == nullptr) return nullptr;
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    static const cairo_user_data_key_t key{};
    if (cairo_font_face_set_user_data(cairoFace, &key, face, [](void* f) {
            FT_Done_Face(static_cast<FT_Face>(f));
        }) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(cairoFace);
        FT_Done_Face(face);
        return nullptr;
    }
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, size, size);
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = Unhinted();
    cairo_scaled_font_t* scaled = cairo_scaled_font_create(cairoFace, &matrix, &identity, options);
    cairo_font_options_destroy(options);
    cairo_font_face_destroy(cairoFace);
    if (cairo_scaled_font_status(scaled) == CAIRO_STATUS_SUCCESS) return scaled;
    cairo_scaled_font_destroy(scaled);
    return nullptr;
}

void PdfPages::startShaping() {
    if (fontMap_ != nullptr) return;
    fontMap_ = pango_cairo_font_map_new();
    // Our own rules on a copy of the system's configuration: the system's stays as it is.
    config_ = PrivateFontConfig();
    if (config_ != nullptr && PANGO_IS_FC_FONT_MAP(fontMap_))
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap_), config_);
    han_ = HanLanguage(locale_);
    context_ = pango_font_map_create_context(fontMap_);
    pango_cairo_context_set_resolution(context_, 72.0);
    cairo_font_options_t* options = Unhinted();
    pango_cairo_context_set_font_options(context_, options);
    cairo_font_options_destroy(options);

    description_ = pango_font_description_from_string("DejaVu Sans Mono,Monospace");
    pango_font_description_set_absolute_size(description_, page_.fontSize * PANGO_SCALE);
    layout_ = pango_layout_new(context_);
    pango_layout_set_font_description(layout_, description_);
    pango_layout_set_single_paragraph_mode(layout_, TRUE);
    pango_layout_set_auto_dir(layout_, FALSE);
    // Under the C locale the default language is "c", which ranks faces for no script.
    pango_context_set_language(context_, pango_language_from_string("en"));
}

PangoFontset* PdfPages::fontsetFor(char32_t c) {
    PangoLanguage* language = CharLanguage(c, han_);
    PangoFontset*& set = fontsets_[language];
    if (set == nullptr)
        set = pango_font_map_load_fontset(fontMap_, context_, description_, language);
    return set;
}

PdfPages::~PdfPages() {
    if (font_ == nullptr && scaled_ != nullptr) cairo_scaled_font_destroy(scaled_);
    for (PangoFont* f : fallbacks_) g_object_unref(f);
    for (const auto& [language, set] : fontsets_)
        if (set != nullptr) g_object_unref(set);
    if (cr_ != nullptr) cairo_destroy(cr_);
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
    if (layout_ != nullptr) g_object_unref(layout_);
    if (font_ != nullptr) g_object_unref(font_);
    if (context_ != nullptr) g_object_unref(context_);
    if (fontMap_ != nullptr) g_object_unref(fontMap_);
    if (config_ != nullptr) FcConfigDestroy(config_);
    if (description_ != nullptr) pango_font_description_free(description_);
}

// Scripts whose letters change with their neighbours, or run right to left, need shaping.
static bool NeedsShaping(char32_t c) {
    return CellWidth(c) == 0 || (c >= 0x0590 && c < 0x1100) || (c >= 0x1700 && c < 0x1900) ||
           (c >= 0x1A00 && c < 0x1B80) || (c >= 0xA800 && c < 0xAB00) ||
           (c >= 0xFB1D && c < 0xFF00) || (c >= 0xD800 && c < 0xE000) || c >= 0x1F000;
}

const PdfPages::Cell& PdfPages::cellFor(char32_t c) {
    // The face's own glyphs are a plain table, looked up for every character.
    if (c < kGridLimit && faceCells_[c].font != nullptr) return faceCells_[c];
    const auto known = cells_.find(c);
    if (known != cells_.end()) return known->second;
    Cell& cell = cells_[c];
    if (NeedsShaping(c)) return cell;
    startShaping();
    PangoFontset* fontset = fontsetFor(c);
    if (fontset == nullptr) return cell;
    PangoFont* font = pango_fontset_get_font(fontset, c);
    if (font == nullptr) return cell;
    // Each call hands out a reference; one per face keeps its scaled font alive.
    if (std::find(fallbacks_.begin(), fallbacks_.end(), font) == fallbacks_.end())
        fallbacks_.push_back(font);
    else
        g_object_unref(font);
    cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
    if (scaled == nullptr) return cell;
    unsigned glyph = kNoGlyph;
    if (FT_Face face = cairo_ft_scaled_font_lock_face(scaled)) {
        glyph = FT_Get_Char_Index(face, c);
        cairo_ft_scaled_font_unlock_face(scaled);
    }
    if (glyph == kNoGlyph) return cell;
    cairo_glyph_t g = {glyph, 0, 0};
    cairo_text_extents_t te;
    cairo_scaled_font_glyph_extents(scaled, &g, 1, &te);
    cell = {scaled, glyph, std::max(0.0, (CellWidth(c) * advance_ - te.x_advance) / 2)};
    return cell;
}

bool PdfPages::onGrid(const std::u32string& text) {
    if (scaled_ == nullptr) return false;
    for (const char32_t c : text)
        if (cellFor(c).font == nullptr) return false;
    return true;
}

void PdfPages::line(int row, const std::u32string& text) {
    std::size_t end = text.find_last_not_of(U' ');
    if (end == std::u32string::npos) return;
    const std::u32string shown = text.substr(0, end + 1);
    const double baseline = page_.margin + ascent_ + row * lineHeight_;
    if (onGrid(shown))
        drawOnGrid(baseline, shown);
    else
        drawShaped(baseline, shown);
}

// One glyph per character at its cells, each tied to its character so the text can be
// copied back; one drawing call per run of the same face.
void PdfPages::drawOnGrid(double baseline, const std::u32string& text) {
    cairo_scaled_font_t* font = nullptr;
    auto flush = [&] {
        if (glyphs_.empty()) return;
        cairo_set_scaled_font(cr_, font);
        cairo_show_text_glyphs(cr_, utf8_.data(), static_cast<int>(utf8_.size()), glyphs_.data(),
                               static_cast<int>(glyphs_.size()), clusters_.data(),
                               static_cast<int>(clusters_.size()), cairo_text_cluster_flags_t{});
        glyphs_.clear();
        clusters_.clear();
        utf8_.clear();
    };
    utf8_.clear();
    glyphs_.clear();
    clusters_.clear();
    int column = 0;
    for (const char32_t c : text) {
        const Cell& cell = cellFor(c);
        if (cell.font != font) {
            flush();
            font = cell.font;
        }
        const std::size_t before = utf8_.size();
        AppendUtf8(c, utf8_);
        glyphs_.push_back({cell.glyph, page_.margin + column * advance_ + cell.shift, baseline});
        clusters_.push_back({static_cast<int>(utf8_.size() - before), 1});
        column += CellWidth(c);
    }
    flush();
}

void PdfPages::drawShaped(double baseline, const std::u32string& text) {
    startShaping();
    utf8_.clear();
    for (const char32_t c : text) AppendUtf8(c, utf8_);
    const bool rtl = StartsRightToLeft(text);
    const PangoDirection direction = rtl ? PANGO_DIRECTION_RTL : PANGO_DIRECTION_LTR;
    if (pango_context_get_base_dir(context_) != direction) {
        pango_context_set_base_dir(context_, direction);
        pango_layout_context_changed(layout_);
    }
    pango_layout_set_text(layout_, utf8_.data(), static_cast<int>(utf8_.size()));
    PangoAttrList* languages = LanguageRuns(utf8_, han_);
    pango_layout_set_attributes(layout_, languages);
    pango_attr_list_unref(languages);

    if (pango_layout_get_unknown_glyphs_count(layout_) > 0) {
        PangoLayoutIter* it = pango_layout_get_iter(layout_);
        do {
            PangoLayoutRun* run = pango_layout_iter_get_run_readonly(it);
            if (run == nullptr) continue;
            for (int i = 0; i < run->glyphs->num_glyphs; ++i) {
                const PangoGlyph g = run->glyphs->glyphs[i].glyph;
                if ((g & PANGO_GLYPH_UNKNOWN_FLAG) != 0)
                    missing_.insert(g & ~PANGO_GLYPH_UNKNOWN_FLAG);
            }
        } while (pango_layout_iter_next_run(it));
        pango_layout_iter_free(it);
    }

    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    const double width = static_cast<double>(logical.width) / PANGO_SCALE;
    const double room = page_.width - 2 * page_.margin;
    // Fallback faces can be wider than the grid; such a line is narrowed, never cut.
    const double squeeze = width > room ? room / width : 1.0;
    const double x = rtl ? page_.margin + room - width * squeeze : page_.margin;
    cairo_save(cr_);
    cairo_translate(cr_, x, baseline);
    if (squeeze < 1.0) cairo_scale(cr_, squeeze, 1.0);
    drawRuns(pango_layout_get_line_readonly(layout_, 0));
    cairo_restore(cr_);
}

// Draws the shaped line glyph cluster by glyph cluster, left to right as it is seen, each
// cluster tied to its characters: text readers then get every word back whole, also in
// right-to-left scripts.
void PdfPages::drawRuns(PangoLayoutLine* line) {
    double x = 0;
    std::vector<int> starts;
    std::string runText;  // the clusters' characters in the order they are drawn
    bool boxes = false;
    for (GSList* l = line->runs; l != nullptr; l = l->next) {
        const auto* run = static_cast<PangoGlyphItem*>(l->data);
        const PangoItem* item = run->item;
        const PangoGlyphString* gs = run->glyphs;
        starts.assign(gs->log_clusters, gs->log_clusters + gs->num_glyphs);
        std::sort(starts.begin(), starts.end());
        const char* text = utf8_.data() + item->offset;
        cairo_scaled_font_t* font =
            pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(item->analysis.font));
        const unsigned dotted = font != nullptr ? dottedCircle(font) : kNoGlyph;
        glyphs_.clear();
        clusters_.clear();
        runText.clear();
        for (int i = 0; i < gs->num_glyphs;) {
            const int cluster = gs->log_clusters[i];
            const auto next = std::upper_bound(starts.begin(), starts.end(), cluster);
            const int end = next == starts.end() ? item->length : *next;
            const std::size_t before = glyphs_.size();
            bool circled = false;
            for (; i < gs->num_glyphs && gs->log_clusters[i] == cluster; ++i) {
                const PangoGlyphInfo& g = gs->glyphs[i];
                circled = circled || (dotted != kNoGlyph && g.glyph == dotted);
                const double at = x + static_cast<double>(g.geometry.x_offset) / PANGO_SCALE;
                if ((g.glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0) {
                    cairo_rectangle(cr_, at + 0.5, -ascent_ * 0.8,
                                    static_cast<double>(g.geometry.width) / PANGO_SCALE - 1,
                                    ascent_ * 0.8);
                    boxes = true;
                } else if (g.glyph != PANGO_GLYPH_EMPTY) {
                    glyphs_.push_back(
                        {g.glyph, at, static_cast<double>(g.geometry.y_offset) / PANGO_SCALE});
                }
                x += static_cast<double>(g.geometry.width) / PANGO_SCALE;
            }
            if (glyphs_.size() == before) continue;
            if (circled) noteBroken(text + cluster, end - cluster);
            runText.append(text + cluster, static_cast<std::size_t>(end - cluster));
            clusters_.push_back({end - cluster, static_cast<int>(glyphs_.size() - before)});
        }
        if (glyphs_.empty() || font == nullptr) continue;
        // One call per run: every call is a region the PDF surface keeps track of per page.
        cairo_set_scaled_font(cr_, font);
        cairo_show_text_glyphs(cr_, runText.data(), static_cast<int>(runText.size()),
                               glyphs_.data(), static_cast<int>(glyphs_.size()), clusters_.data(),
                               static_cast<int>(clusters_.size()), cairo_text_cluster_flags_t{});
    }
    if (boxes) {
        cairo_set_line_width(cr_, 0.5);
        cairo_stroke(cr_);
    }
}

unsigned PdfPages::dottedCircle(cairo_scaled_font_t* font) {
    const auto known = dotted_.find(font);
    if (known != dotted_.end()) return known->second;
    unsigned glyph = kNoGlyph;
    if (FT_Face face = cairo_ft_scaled_font_lock_face(font)) {
        glyph = FT_Get_Char_Index(face, 0x25CC);
        cairo_ft_scaled_font_unlock_face(font);
    }
    dotted_.emplace(font, glyph);
    return glyph;
}

// A dotted circle the text itself has is no fault.
void PdfPages::noteBroken(const char* utf8, int length) {
    std::u32string cluster;
    for (const char* p = utf8; p < utf8 + length; p = g_utf8_next_char(p))
        cluster.push_back(g_utf8_get_char(p));
    if (cluster.find(U'\u25CC') == std::u32string::npos) broken_.insert(std::move(cluster));
}

void PdfPages::endPage() {
    cairo_show_page(cr_);
}

bool PdfPages::finish() {
    // A drawing error leaves the context dead and the pages after it blank.
    cairo_status_t status = cairo_status(cr_);
    cairo_destroy(cr_);
    cr_ = nullptr;
    cairo_surface_finish(surface_);
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface_);
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
    if (std::fflush(out_) != 0 && writeErrno_ == 0) writeErrno_ = errno;
    if (writeErrno_ != 0)
        error_ = std::strerror(writeErrno_);
    else if (status != CAIRO_STATUS_SUCCESS)
        error_ = cairo_status_to_string(status);
    else if (std::ferror(out_) != 0)
        error_ = "the output could not be written";
    return error_.empty();
}

}  // namespace vx
