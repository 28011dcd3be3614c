// One 5 MB text file to PDF: textprint's time and peak memory, beside Qt's QTextDocument
// and, where installed, enscript with ps2pdf; textprint on 5 MB of mixed scripts and on a
// character with very many combining marks.
#include <cstdio>
#include <random>
#include <vector>

#include "bench/BenchUtil.h"
#include "support/TempDir.h"

int main() {
    vx::test::TempDir t;
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> len(1, 10);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string text;
    int column = 0;
    while (text.size() < std::size_t{5} << 20) {
        for (int n = len(rng); n > 0; --n, ++column) text.push_back(static_cast<char>(letter(rng)));
        if (column > 70 + len(rng)) {
            text += "\n";
            column = 0;
        } else {
            text += (len(rng) == 1) ? "\t" : " ";
            ++column;
        }
    }
    const std::string in = t.file("big.txt", text);
    const std::string out = t.path() + "/big.pdf";
    auto report = [](const char* who, const vx::bench::Measured& m) {
        std::printf("%-34s %6.2f s  %6.1f MiB peak%s\n", who, m.seconds,
                    static_cast<double>(m.peakBytes) / (1024.0 * 1024.0),
                    m.status == 0 ? "" : "  (failed)");
    };
    std::printf("5 MiB of text (%zu bytes) to PDF:\n", text.size());
    report("textprint", vx::bench::Run({TEXTPRINT_PATH, "--pdf", out, in}));
    report("Qt QTextDocument", vx::bench::Run({QT_ANCHOR_PATH, in, out}));
    // The same size in the world's scripts: Greek, Cyrillic, Han, Hangul, Ethiopic and Yi
    // go on the grid from fallback faces; Arabic, Hebrew, the Indic scripts, Thai, Tibetan
    // and Mongolian lines through shaping, each script with its own face.
    const std::vector<std::string> words = {"αλφάβητο", "Русский",  "中文字符", "日本語", "한국어",
                                            "مرحبا",    "بالعالم",  "שלום",     "עולם",   "हिन्दी",
                                            "தமிழ்",     "മലയാളം",   "ኢትዮጵያ",    "བོད་ཡིག",  "ᠮᠣᠩᠭᠣᠯ",
                                            "ไทย",      "ꆈꌠꁱꂷ", "plain"};
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    std::string mixed;
    while (mixed.size() < std::size_t{5} << 20) {
        for (int i = 0; i < 9; ++i) mixed += words[pick(rng)] + (i < 8 ? " " : "\n");
    }
    const std::string mixedIn = t.file("mixed.txt", mixed);
    report("textprint, mixed scripts", vx::bench::Run({TEXTPRINT_PATH, "--pdf", out, mixedIn}));
    report("Qt QTextDocument, mixed scripts", vx::bench::Run({QT_ANCHOR_PATH, mixedIn, out}));
    // Hostile text: one character with 25,000 and with 200,000 combining marks. Shaping a
    // cluster costs the square of its length; with the marks per character bounded the
    // time stays near start-up time for both.
    for (const int marks : {25000, 200000}) {
        std::string hostile = "a";
        for (int i = 0; i < marks; ++i) hostile += "\xCC\x81";
        const std::string name = "a + " + std::to_string(marks) + " combining marks";
        report(name.c_str(), vx::bench::Run({"sh", "-c",
                                             "exec '" TEXTPRINT_PATH "' --pdf '" + out + "' '" +
                                                 t.file("marks.txt", hostile) + "' 2>/dev/null"}));
    }
    if (vx::bench::OnPath("enscript") && vx::bench::OnPath("ps2pdf"))
        report("enscript + ps2pdf",
               vx::bench::Run(
                   {"sh", "-c", "enscript -q -B -p - '" + in + "' | ps2pdf - '" + out + "'"}));
    else
        std::printf("enscript + ps2pdf           not installed\n");
    return 0;
}
