#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "printing/PdfBackend.h"
#include "support/Command.h"
#include "support/TempDir.h"

namespace vx {
namespace {

TEST(PdfBackend, NamesComeFromTheTitleAndAreSafe) {
    EXPECT_EQ(PdfNameForTitle("notes.txt", "7"), "notes.pdf");
    EXPECT_EQ(PdfNameForTitle("/home/ann/notes.txt", "7"), "notes.pdf");
    EXPECT_EQ(PdfNameForTitle("archive.tar.gz", "7"), "archive.tar.pdf");
    EXPECT_EQ(PdfNameForTitle("README", "7"), "README.pdf");
    EXPECT_EQ(PdfNameForTitle("version 1.0 final notes", "7"), "version 1.0 final notes.pdf");
    EXPECT_EQ(PdfNameForTitle("caf\xC3\xA9 \"q\" $(x).txt", "7"), "caf\xC3\xA9 \"q\" $(x).pdf");
    EXPECT_EQ(PdfNameForTitle("a\nb\x7F.txt", "7"), "a_b_.pdf");
    EXPECT_EQ(PdfNameForTitle("..", "7"), "_..pdf");
    EXPECT_EQ(PdfNameForTitle(".profile", "7"), "_profile.pdf");
    EXPECT_EQ(PdfNameForTitle("", "7"), "job-7.pdf");
    EXPECT_EQ(PdfNameForTitle("dir/", "12"), "job-12.pdf");
    // Long names are cut between characters, never inside one.
    const std::string name = PdfNameForTitle(std::string(199, 'x') + "\xC3\xA9\xC3\xA9.txt", "7");
    EXPECT_EQ(name, std::string(199, 'x') + ".pdf");
    EXPECT_EQ(NumberedName("notes.pdf", 1), "notes.pdf");
    EXPECT_EQ(NumberedName("notes.pdf", 12), "notes (12).pdf");
}

TEST(PdfBackend, TheFolderIsTheUrisPathOrTheUsersPdfFolder) {
    EXPECT_EQ(OutputFolder("vellumax-pdf:/", "/home/ann"), "/home/ann/PDF");
    EXPECT_EQ(OutputFolder("vellumax-pdf://", "/home/ann"), "/home/ann/PDF");
    EXPECT_EQ(OutputFolder("", "/home/ann"), "/home/ann/PDF");
    EXPECT_EQ(OutputFolder("vellumax-pdf:/srv/pdfs/", "/home/ann"), "/srv/pdfs");
    EXPECT_EQ(OutputFolder("vellumax-pdf:///srv/pdfs", "/home/ann"), "/srv/pdfs");
}

// The backend as cupsd runs it: job-id user title copies options [file].
test::CommandResult RunBackend(const std::string& folder, const std::string& user,
                               const std::string& title, const std::string& file) {
    return test::RunCommand("DEVICE_URI='vellumax-pdf:" + folder +
                            "' '" VELLUMAX_PDF_BACKEND "' 42 '" + user + "' '" + title +
                            "' 1 '' '" + file + "' 2>&1");
}

std::string Me() {
    const passwd* pw = ::getpwuid(::getuid());
    return pw != nullptr ? pw->pw_name : "";
}

TEST(PdfBackend, FilesPdfsUnderFreeNamesAndRefusesAnythingElse) {
    test::TempDir t;
    const std::string pdf = t.file("job.pdf", "%PDF-1.5\nbody\n%%EOF\n");
    const std::string out = t / "out";

    const test::CommandResult first = RunBackend(out, Me(), "notes.txt", pdf);
    EXPECT_EQ(first.status, 0) << first.out;
    const test::CommandResult second = RunBackend(out, Me(), "notes.txt", pdf);
    EXPECT_EQ(second.status, 0) << second.out;
    EXPECT_TRUE(std::filesystem::exists(out + "/notes.pdf"));
    EXPECT_TRUE(std::filesystem::exists(out + "/notes (2).pdf")) << "the first is kept";
    EXPECT_EQ(std::filesystem::file_size(out + "/notes (2).pdf"), 20u);

    const test::CommandResult text =
        RunBackend(out, Me(), "plain.txt", t.file("plain.txt", "not a pdf"));
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.out.find("ERROR:"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out + "/plain.pdf"));

    const test::CommandResult stranger = RunBackend(out, "no-such-user-vx", "x.txt", pdf);
    EXPECT_EQ(stranger.status, 1);
    EXPECT_NE(stranger.out.find("not a user"), std::string::npos) << stranger.out;

    const test::CommandResult nowhere = RunBackend(t / "missing/deeper", Me(), "x.txt", pdf);
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.out.find("cannot make the folder"), std::string::npos) << nowhere.out;
}

TEST(PdfBackend, ListsItselfForDeviceDiscovery) {
    const test::CommandResult r = test::RunCommand("'" VELLUMAX_PDF_BACKEND "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "direct vellumax-pdf \"Vellumax PDF Printer\" \"PDF Printer\"\n");
}

}  // namespace
}  // namespace vx
