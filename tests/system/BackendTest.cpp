// "PDF Printer" as the set-up makes it, fed jobs by root (let print here) and by nobody.
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

// Submits the file with lp run by `who`, with no terminal to ask a password on; returns the
// job id, 0 when no job was made.
int Submit(const std::string& who, const std::string& options, const std::string& file) {
    return std::atoi(RunCommand(who + "lp -d PDF_Printer " + options + " '" + file +
                                "' 2>&1 </dev/null | sed -n 's/.*PDF_Printer-\\([0-9]*\\).*/\\1/p'")
                         .out.c_str());
}

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
    cups.addNullPrinter("PDF_Printer");  // an older one, which the set-up moves over
    cups.addPdfPrinter();
    TempDir t;
    ::chmod(t.path().c_str(), 0755);  // nobody's lp reads the files
    const std::string marker = "vxbackend" + std::to_string(::getpid()) + "-";
    const std::string whole = t.file("whole.pdf", "%PDF-1.4\n%%EOF\n");
    const std::string cut = t.file("cut.pdf", "%PDF-1.4\n1 0 obj\n");
    const std::string nobody = "setsid -w setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    struct Case {
        std::string who, options, file;
        ipp_jstate_t state;  // none when no job is made
        std::size_t filed;   // PDFs with the marker in root's folder afterwards
    } cases[] = {
        // A name given with -U is not who prints: nobody cannot even submit as root.
        {nobody, "-U root -o raw -t " + marker + "forged", whole, ipp_jstate_t{}, 0},
        // No home folder is an error no retry mends: the job goes, the queue stays.
        {nobody, "-o raw -t " + marker + "nobody", whole, IPP_JSTATE_CANCELED, 0},
        {"", "-o raw -t " + marker + "cut", cut, IPP_JSTATE_CANCELED, 0},
        {"", "-o raw -t " + marker + "whole", whole, IPP_JSTATE_COMPLETED, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const int id = Submit(c.who, c.options, c.file);
        EXPECT_EQ(id == 0 ? ipp_jstate_t{} : FinalState(id), c.state) << cups.log();
        EXPECT_EQ(PdfsWithMarker(marker).size(), c.filed);
        EXPECT_EQ(RunCommand("lpstat -l -p PDF_Printer | grep -ce enabled -e ': PDF Printer$'").out,
                  "2\n");
    }
    for (const auto& pdf : PdfsWithMarker(marker)) std::filesystem::remove(pdf);
    // The policy goes into cupsd.conf once, and out again with the queue.
    const std::string policies = "grep -c '^<Policy vellumax-pdf' " + cups.folder() + "/cupsd.conf";
    cups.addPdfPrinter();
    EXPECT_EQ(RunCommand(policies).out, "1\n");
    EXPECT_EQ(cups.run("'" VELLUMAX_PDF_QUEUE "' remove && ! lpstat -v PDF_Printer 2>/dev/null"),
              0);
    EXPECT_EQ(RunCommand(policies).out, "0\n");
}

}  // namespace
}  // namespace vx::test
