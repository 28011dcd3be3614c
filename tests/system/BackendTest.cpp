// "PDF Printer" as the set-up makes it, fed jobs from two accounts: root, which the private
// queue lets print, and nobody, which has no home folder to file PDFs in.
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/Command.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"

namespace vx::test {
namespace {

// Submits as root, or as nobody through setpriv with no terminal to ask a password on.
// Returns the job id, 0 when no job was made.
int Submit(bool asNobody, const std::string& options, const std::string& file) {
    const std::string who =
        asNobody ? "setsid -w setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
    const CommandResult r =
        RunCommand(who + "lp -d PDF_Printer " + options + " '" + file + "' 2>&1 </dev/null");
    const std::size_t at = r.out.find("PDF_Printer-");
    return at == std::string::npos ? 0 : std::atoi(r.out.c_str() + at + 12);
}

// The state the job ends in: completed, canceled or aborted, or where it got stuck.
ipp_jstate_t FinalState(int id) {
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    for (int i = 0; i < 300 && state < IPP_JSTATE_CANCELED; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cups_job_t* jobs = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "PDF_Printer", 0, CUPS_WHICHJOBS_ALL);
        for (int k = 0; k < n; ++k)
            if (jobs[k].id == id) state = jobs[k].state;
        cupsFreeJobs(n, jobs);
    }
    return state;
}

TEST(Backend, FilesOnlyWholePdfsOfTheAuthenticatedUserAndCancelsTheRest) {
    if (::geteuid() != 0) GTEST_SKIP() << "printing as nobody needs root";
    PrivateCups cups;
    ASSERT_TRUE(cups.ok()) << cups.log();
    cups.addPdfPrinter();
    TempDir t;
    ::chmod(t.path().c_str(), 0755);  // nobody's lp reads the files
    const std::string marker = "vxbackend" + std::to_string(::getpid()) + "-";
    const std::string body = "%PDF-1.4\n1 0 obj <</Title (" + marker + "titled.txt)>> endobj\n";
    const std::string whole = t.file("whole.pdf", body + "trailer <</Info 1 0 R>>\n%%EOF\n");
    const std::string cut = t.file("cut.pdf", body);
    struct Case {
        bool asNobody;
        std::string options;
        std::string file;
        ipp_jstate_t state;
        std::size_t filed;  // PDFs with the marker in root's folder afterwards
    } cases[] = {
        // A name given with -U is not who prints: nobody cannot file into root's folder.
        {true, "-U root -o raw -t " + marker + "forged", whole, IPP_JSTATE_CANCELED, 0},
        // No home folder is an error no retry mends: the job goes, the queue stays.
        {true, "-o raw -t " + marker + "nobody", whole, IPP_JSTATE_CANCELED, 0},
        {false, "-o raw -t " + marker + "cut", cut, IPP_JSTATE_CANCELED, 0},
        {false, "-o raw -t " + marker + "whole", whole, IPP_JSTATE_COMPLETED, 1},
        // A title CUPS replaced gives way to the document's own.
        {false, "-o raw -t Untitled", whole, IPP_JSTATE_COMPLETED, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const int id = Submit(c.asNobody, c.options, c.file);
        if (id != 0 || !c.asNobody) {
            EXPECT_EQ(FinalState(id), c.state) << cups.log();
        }
        EXPECT_EQ(PdfsWithMarker(marker).size(), c.filed);
        EXPECT_EQ(cups.run("lpstat -p PDF_Printer | grep -q enabled"), 0) << cups.log();
    }
    EXPECT_EQ(PdfsWithMarker(marker + "titled").size(), 1u);
    for (const auto& pdf : PdfsWithMarker(marker)) std::filesystem::remove(pdf);
}

}  // namespace
}  // namespace vx::test
