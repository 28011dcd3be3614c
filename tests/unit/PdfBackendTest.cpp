#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "printing/PdfBackend.h"
#include "printing/PdfContent.h"
#include "support/Command.h"
#include "support/TempDir.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

TEST(PdfBackend, NamesComeFromTheTitleAndAreSafe) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/ann/notes.txt", "notes.pdf"},
        {"archive.tar.gz", "archive.tar.pdf"},
        {"version 1.0 final notes", "version 1.0 final notes.pdf"},
        {"caf\xC3\xA9 \"q\" $(x).txt", "caf\xC3\xA9 \"q\" $(x).pdf"},
        {"a\nb\x7F.txt", "a_b_.pdf"},
        {"..", "_..pdf"},
        {"dir/", "job-7.pdf"},
        {std::string(300, '\x80'), std::string(200, '\x80') + ".pdf"},
        // Long names are cut between characters, never inside one.
        {std::string(199, 'x') + "\xC3\xA9\xC3\xA9.txt", std::string(199, 'x') + ".pdf"},
    };
    for (const auto& [title, name] : cases) EXPECT_EQ(PdfNameForTitle(title, "7"), name);
}

TEST(PdfBackend, ReadsTheDeviceUriAndTheLoginRange) {
    const std::tuple<std::string, std::string, bool> uris[] = {
        {"vellumax-pdf:///srv/pdfs/", "/srv/pdfs", false},
        {"vellumax-pdf:/srv?a=b&system-accounts=yes", "/srv", true},
        {"vellumax-pdf:/srv?system-accounts=yesplease", "/srv", false},
    };
    for (const auto& [uri, folder, system] : uris)
        EXPECT_EQ(std::pair(ParseDeviceUri(uri).folder, ParseDeviceUri(uri).systemAccounts),
                  std::pair(folder, system));
    const std::tuple<std::string, unsigned long, unsigned long> defs[] = {
        {"", 1000, 60000},
        {"# UID_MIN 1\nUID_MIN\t\t 500\nUID_MAX 0x7530\nSYS_UID_MAX 999\n", 500, 30000},
        {"UID_MIN 5oo\n", 1000, 60000},
    };
    for (const auto& [text, first, last] : defs)
        EXPECT_EQ(std::pair(ParseLoginDefs(text).first, ParseLoginDefs(text).last),
                  std::pair(first, last));
}

TEST(PdfBackend, FindsTheDocumentsOwnTitle) {
    const std::pair<std::string, std::string> cases[] = {
        {"<</Title (a\\(b\\) \\101\\nc (d)\\\n)>>", "a(b) A\nc (d)"},
        {"/Title <FEFF 0063 00E9 D83D DE00 D800>", "c\xC3\xA9\xF0\x9F\x98\x80_"},
        {"/Title (caf\\351\\200)", "caf\xC3\xA9_"},
        {"/Title (first) /Title (last) /Title <</Kids []>> /Title (cut off", "last"},
    };
    for (const auto& [pdf, title] : cases) EXPECT_EQ(PdfTitle(pdf), title) << pdf;
}

TEST(PdfBackend, FilesWholePdfsWhereTheUserMayAndRefusesForGoodOtherwise) {
    if (::geteuid() != 0) GTEST_SKIP() << "folders of other owners need root";
    test::TempDir t;
    const std::string whole = t.file("in/whole", "%PDF-1.5\n/Title (from.txt)\n%%EOF\n");
    t.folder("own");
    for (const auto& [name, mode] : {std::pair("shared", 01777), std::pair("other", 0777)}) {
        ::chown(t.folder(name).c_str(), 65534, 65534);  // nobody's
        ::chmod((t / name).c_str(), static_cast<mode_t>(mode));
    }
    fs::create_directory_symlink(t / "own", t / "link");
    const std::string opt = "?system-accounts=yes";
    struct Case {
        std::string folder, query, user, title, file;
        int status;
        std::string filed;  // the name it gets, "" when nothing may be filed
    } cases[] = {
        {"own", opt, "root", "notes.txt", whole, 0, "notes.pdf"},
        {"own", opt, "root", "notes.txt", whole, 0, "notes (2).pdf"},
        {"own", opt, "root", "Untitled", whole, 0, "from.pdf"},
        {"own", opt, "root", "cut.txt", t.file("in/cut", "%PDF-1.5\n%%EO"), 5, ""},
        {"own", opt, "root", "text\nATTR: x.txt", t.file("in/text", "text\n"), 5, ""},
        {"own", opt, "no-such-user-vx", "x.txt", whole, 5, ""},
        {"own", "", "root", "x.txt", whole, 5, ""},
        {"missing/deeper", opt, "root", "x.txt", whole, 5, ""},
        {"link", opt, "root", "x.txt", whole, 5, ""},
        {"other", opt, "root", "x.txt", whole, 5, ""},
        {"shared", opt, "root", "shared.txt", whole, 0, "shared.pdf"},
    };
    for (const Case& c : cases) {
        const std::string dir = t / c.folder;
        const test::CommandResult r = test::RunCommand(
            "DEVICE_URI='vellumax-pdf:" + dir + c.query + "' '" VELLUMAX_PDF_BACKEND "' 42 '" +
            c.user + "' '" + c.title + "' 1 '' '" + c.file + "' 2>&1");
        EXPECT_EQ(r.status, c.status) << c.folder << " " << c.title << ": " << r.out;
        EXPECT_EQ(r.out.find("\nATTR:"), std::string::npos) << "a line cupsd would obey";
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir, ec))
            EXPECT_NE(e.path().filename().string()[0], '.') << "left behind: " << e.path();
        if (c.filed.empty()) continue;
        EXPECT_EQ(fs::file_size(dir + "/" + c.filed, ec), fs::file_size(whole)) << r.out;
        // A folder named on the queue may be shared: each PDF is its owner's alone.
        EXPECT_EQ(fs::status(dir + "/" + c.filed).permissions() & fs::perms::others_read,
                  fs::perms::none);
    }
}

}  // namespace
}  // namespace vx
