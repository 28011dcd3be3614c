#pragma once

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Utf8.h"
#include "textprint/TextLayout.h"

namespace vx {

struct PageSetup {
    double width = 595.28;  // points; A4 unless the printer says otherwise
    double height = 841.89;
    double margin = 54.0;
    double fontSize = 10.0;
};

// Draws laid-out rows as PDF pages, written to `out` as each page ends, in a monospaced
// face. Characters that need no shaping go straight to the grid, from the face or from a
// fallback face; lines with scripts that shape or run right to left go through Pango. The PDF keeps
// the text, so it can be searched and copied.
class PdfPages : public LineSink {
  public:
    // `locale` is the system's (LANG): it says which shape Han characters take.
    PdfPages(const PageSetup& page, const std::string& title, std::FILE* out,
             const std::string& locale = "");
    ~PdfPages() override;
    PdfPages(const PdfPages&) = delete;
    PdfPages& operator=(const PdfPages&) = delete;

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    void line(int row, const std::u32string& text) override;
    void endPage() override;
    // Completes the file; false when it could not be written, and error() says why.
    bool finish();
    const std::string& error() const { return error_; }
    // Characters that no installed font has; they print as boxes.
    const std::set<char32_t>& missing() const { return missing_; }
    // Clusters the face could not join, shaped with a dotted circle the text does not have.
    const std::set<std::u32string>& broken() const { return broken_; }

  private:
    struct Cell {
        cairo_scaled_font_t* font = nullptr;  // null: no face draws it on the grid
        unsigned glyph = 0;
        double shift = 0;  // centres a glyph narrower than its cells
    };
    static cairo_font_options_t* Unhinted();
    // The monospaced face from its file, or null when it is not where it is looked for.
    static cairo_scaled_font_t* OpenFace(double size);
    void startShaping();
    const Cell& cellFor(char32_t c);
    bool onGrid(const std::u32string& text);
    void drawOnGrid(double baseline, const std::u32string& text);
    void drawShaped(double baseline, const std::u32string& text);
    void drawRuns(PangoLayoutLine* line);
    PangoFontset* fontsetFor(char32_t c);
    unsigned dottedCircle(cairo_scaled_font_t* font);
    void noteBroken(const char* utf8, int length);

    static cairo_status_t WriteTo(void* closure, const unsigned char* data, unsigned int length);

    PageSetup page_;
    std::string locale_;
    std::FILE* out_;
    int writeErrno_ = 0;
    std::string error_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    PangoFontMap* fontMap_ = nullptr;
    PangoContext* context_ = nullptr;
    PangoLayout* layout_ = nullptr;
    PangoFontDescription* description_ = nullptr;
    PangoFont* font_ = nullptr;
    cairo_scaled_font_t* scaled_ = nullptr;  // owned by font_ when there is one
    std::vector<Cell> faceCells_;            // the face's glyphs for the code points below it
    FcConfig* config_ = nullptr;
    PangoLanguage* han_ = nullptr;
    std::unordered_map<PangoLanguage*, PangoFontset*> fontsets_;  // one per language met
    std::unordered_map<cairo_scaled_font_t*, unsigned> dotted_;   // each face's U+25CC
    std::vector<PangoFont*> fallbacks_;         // kept alive for their scaled fonts
    std::unordered_map<char32_t, Cell> cells_;  // everything else, found once
    std::vector<cairo_glyph_t> glyphs_;
    std::vector<cairo_text_cluster_t> clusters_;
    double advance_ = 6.0;
    double ascent_ = 8.0;
    double lineHeight_ = 12.0;
    int columns_ = 80;
    int rows_ = 60;
    std::set<char32_t> missing_;
    std::set<std::u32string> broken_;
    std::string utf8_;
    std::vector<int> clusterBytes_;
};

}  // namespace vx
