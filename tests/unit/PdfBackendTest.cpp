#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "printing/PdfBackend.h"
#include "printing/PdfContent.h"
#include "support/Command.h"
#include "support/TempDir.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

TEST(PdfBackend, ReadsNamesTitlesTheLoginRangeAndWhatPasses) {
    const std::pair<std::string, std::string> names[] = {
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
    for (const auto& [title, name] : names) EXPECT_EQ(PdfNameForTitle(title, "7"), name);
    const std::pair<std::string, std::string> titles[] = {
        {"<</Title (a\\(b\\) \\101\\nc (d)\\\n)>>", "a(b) A\nc (d)"},
        {"/Title <FEFF 0063 00E9 D83D DE00 D800>", "c\xC3\xA9\xF0\x9F\x98\x80_"},
        {"/Title (caf\\351\\200)", "caf\xC3\xA9_"},
        // UTF-8 after its mark is taken as it is, but only where it is UTF-8.
        {"/Title (\xEF\xBB\xBF"
         "caf\xC3\xA9 \xD2 \xED\xA0\x80\xF0\x9F\x98)",
         "caf\xC3\xA9 _ ______"},
        {"/Title (first) /Title (last) /Title <</Kids []>> /Title (cut off", "last"},
    };
    for (const auto& [pdf, title] : titles) EXPECT_EQ(PdfTitle(pdf), title) << pdf;
    const std::tuple<std::string, unsigned long, unsigned long> defs[] = {
        {"", 1000, 60000},
        {"# UID_MIN 1\nUID_MIN\t\t 500\nUID_MAX 0x7530\nSYS_UID_MAX 999\n", 500, 30000},
        {"UID_MIN 5oo\n", 1000, 60000},
    };
    for (const auto& [text, first, last] : defs)
        EXPECT_EQ(std::pair(ParseLoginDefs(text).first, ParseLoginDefs(text).last),
                  std::pair(first, last));
    EXPECT_EQ(JobUuid("job-uuid=urn:uuid:a-1 x"), "urn:uuid:a-1");
    EXPECT_EQ(JobUuid("my-job-uuid=urn:uuid:a job-uuid=urn:uuid:$(x)"), "");
    // Kept for a retry, not cancelled: a quota passes like a full disk, an unmounted home too.
    const std::pair<int, bool> errors[] = {
        {ENOSPC, true},   {EDQUOT, true},  {EIO, true},     {ESTALE, true},
        {ENOTCONN, true}, {EACCES, false}, {EROFS, false},  {ENAMETOOLONG, false},
        {ELOOP, false},   {EFBIG, false},  {ENOENT, false},
    };
    for (const auto& [error, passing] : errors) EXPECT_EQ(IsPassingError(error), passing) << error;

    const std::string fstab =
        "# <fs> <dir>\nUUID=1 / ext4 defaults 0 1\n"
        "srv:/home /home nfs defaults 0 0\n"
        "/dev/sdb1\t/mnt/my\\040disk/ ext4 noauto\n";
    const std::string mounts = "/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 /mnt/my\\040disk ext4 rw 0 0\n";
    const std::tuple<std::string, std::string, bool> homes[] = {
        {"/home/ann", "", true},
        {"/home", "", true},
        {"/home/ann", "srv:/home /home nfs rw 0 0\n", false},
        {"/homes/ann", "", false},
        {"/mnt/my disk/ann", "", false},
        {"/nonexistent", "", false},
    };
    for (const auto& [home, extra, awaits] : homes)
        EXPECT_EQ(AwaitsMount(home, fstab, mounts + extra), awaits) << home << extra;
    EXPECT_TRUE(AwaitsMount("/mnt/my disk/ann", fstab, "/dev/sda1 / ext4 rw 0 0\n"));
}

TEST(PdfBackend, FilesWholePdfsAsTheUserAloneAndRefusesOrRetriesOtherwise) {
    if (::geteuid() != 0) GTEST_SKIP() << "acting as other users needs root";
    test::TempDir t;
    ::chmod(t.path().c_str(), 0755);  // nobody reaches the folders
    const std::string whole = t.file("in/whole", "%PDF-1.5\n/Title (from.txt)\n%%EOF\n");
    const std::string big = t.file("in/big", "%PDF-1.5\n" + std::string(200000, ' ') + "%%EOF\n");
    for (const auto& [name, mode, owner] : {std::tuple("own", 0755, 0), std::tuple("full", 0755, 0),
                                            std::tuple("shared", 01777, 65534),  // nobody's
                                            std::tuple("other", 0777, 65534)}) {
        ::chown(t.folder(name).c_str(), owner, owner);
        ::chmod((t / name).c_str(), static_cast<mode_t>(mode));
    }
    fs::create_directory_symlink(t / "own", t / "link");
    const std::string opt = "?a=b&system-accounts=yes";
    const std::string run = "env DEVICE_URI='vellumax-pdf:" + t.path() + "/";

    // Half-way through a job for nobody the backend is nobody through and through: no uid to
    // get root back with, none of root's groups. The PDF it files is nobody's.
    EXPECT_EQ(
        test::RunCommand("cd '" + t.path() + "' && mkfifo job || exit; " + run + "shared" + opt +
                         "' '" VELLUMAX_PDF_BACKEND "' 9 nobody p 1 '' <job 2>/dev/null & exec " +
                         "3>job; echo %PDF-1.4 >&3; for i in $(seq 250); do ls -A shared " +
                         "| grep -q '^[.]' && break; sleep 0.02; done; grep -E " +
                         "'^(Uid|Gid|Groups)' /proc/$!/status; echo %%EOF >&3; exec 3>&-; " +
                         "wait; stat -c %U shared/p.pdf")
            .out,
        "Uid:\t65534\t65534\t65534\t65534\nGid:\t65534\t65534\t65534\t65534\n"
        "Groups:\t65534 \nnobody\n");

    // A full disk may have room later; a file over the size limit never fits.
    const std::string fullDisk = "unshare -m sh -c 'mount -t tmpfs -o size=4k vx \"$0\" && exec " +
                                 std::string("\"$@\"' ") + t / "full" + " ";
    // People at the edges of the login range, seen by the backend alone.
    const std::string edges =
        "unshare -m sh -c 'mount --bind \"$0\" /etc/passwd && mount --bind \"$1\" /etc/login.defs" +
        std::string(" && shift && exec \"$@\"' ") +
        t.file("edges/passwd",
               "vx-below:x:999:999::/:/bin/false\nvx-first:x:1000:1000::/:/bin/false\n"
               "vx-last:x:60000:60000::/:/bin/false\nvx-above:x:60001:60001::/:/bin/false\n") +
        " " + t.file("edges/login.defs", "UID_MIN 1000\nUID_MAX 60000\n") + " ";
    struct Case {
        std::string shell, folder, query, user, title, file;
        int status;
        std::string filed;  // the name it gets, "" when nothing may be filed
        std::string options = "";
    } cases[] = {
        {"", "own", opt, "root", "notes.txt", whole, 0, "notes.pdf"},
        {"", "own", opt, "root", "notes.txt", whole, 0, "notes (2).pdf"},
        {"", "own", opt, "root", "Untitled", whole, 0, "from.pdf"},
        // cupsd runs a job again when it stopped before it saw the job end: filed once.
        {"", "own", opt, "root", "r.txt", whole, 0, "r.pdf", "x=1 job-uuid=urn:uuid:1b4e-2fa1 y"},
        {"", "own", opt, "root", "r.txt", whole, 0, "", "job-uuid=urn:uuid:1b4e-2fa1"},
        {"", "own", opt, "root", "r.txt", t.file("in/r", "%PDF-1.4\n%%EOF\n"), 0, "r (2).pdf",
         "job-uuid=urn:uuid:2c4e-2fa1"},
        {"", "own", opt, "root", "cut.txt", t.file("in/cut", "%PDF-1.5\n%%EO"), 5, ""},
        {"", "own", opt, "root", "text\nATTR: x.txt", t.file("in/text", "text\n"), 5, ""},
        {"", "own", opt, "no-such-user-vx", "x.txt", whole, 5, ""},
        {"", "own", "", "root", "x.txt", whole, 5, ""},
        {"", "own", "?system-accounts=yesplease", "root", "x.txt", whole, 5, ""},
        {"", "missing/deeper", opt, "root", "x.txt", whole, 5, ""},
        {"", "link", opt, "root", "x.txt", whole, 5, ""},
        {"", "other", opt, "root", "x.txt", whole, 5, ""},
        {"", "shared", opt, "root", "shared.txt", whole, 0, "shared.pdf"},
        {"trap '' XFSZ; ulimit -f 1; ", "own", opt, "root", "big.txt", big, 5, ""},
        {fullDisk, "full", opt, "root", "big.txt", big, 6, ""},
        {edges, "shared", "", "vx-below", "below.txt", whole, 5, ""},
        {edges, "shared", "", "vx-first", "first.txt", whole, 0, "first.pdf"},
        {edges, "shared", "", "vx-last", "last.txt", whole, 0, "last.pdf"},
        {edges, "shared", "", "vx-above", "above.txt", whole, 5, ""},
    };
    const bool canMount = test::RunCommand("unshare -m true").status == 0;
    for (const Case& c : cases) {
        if (c.shell.starts_with("unshare") && !canMount) continue;  // no mount namespace here
        const std::string dir = t / c.folder;
        const test::CommandResult r = test::RunCommand(
            c.shell + run + c.folder + c.query + "' '" VELLUMAX_PDF_BACKEND "' 42 '" + c.user +
            "' '" + c.title + "' 1 '" + c.options + "' '" + c.file + "' 2>&1");
        EXPECT_EQ(r.status, c.status) << c.folder << " " << c.title << ": " << r.out;
        EXPECT_EQ(r.out.find("\nATTR:"), std::string::npos) << "a line cupsd would obey";
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir, ec))
            EXPECT_NE(e.path().filename().string()[0], '.') << "left behind: " << e.path();
        if (c.filed.empty()) continue;
        EXPECT_EQ(fs::file_size(dir + "/" + c.filed, ec), fs::file_size(c.file)) << r.out;
        // A folder named on the queue may be shared: each PDF is its owner's alone.
        EXPECT_EQ(fs::status(dir + "/" + c.filed).permissions() & fs::perms::others_read,
                  fs::perms::none);
    }
}

}  // namespace
}  // namespace vx
