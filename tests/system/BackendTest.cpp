// "PDF Printer" as the set-up makes it, fed jobs by root (let print here) and by nobody.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/Command.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"

namespace vx::test {
namespace {

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
    const std::string nobody = "setsid -w setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    // No terminal to ask a password on.
    const std::string lp = "lp -d PDF_Printer -o raw '" + whole + "' </dev/null 2>&1 -t " + marker;
    const std::tuple<std::string, bool, std::size_t> cases[] = {
        // A name given with -U is not who prints: nobody cannot even submit as root.
        {nobody + lp + "forged -U root", false, 0},
        // No home folder: the job goes, the queue stays.
        {nobody + lp + "nobody", true, 0},
        {lp + "whole", true, 1},
    };
    for (const auto& [command, made, filed] : cases) {
        const std::string said = RunCommand(command).out;
        EXPECT_EQ(said.find("request id is") != std::string::npos, made) << said;
        RunCommand(
            "for i in $(seq 1500); do [ -z \"$(lpstat -o PDF_Printer)\" ] && break; sleep "
            "0.02; done");
        EXPECT_EQ(PdfsWithMarker(marker).size(), filed) << command << cups.log();
    }
    EXPECT_EQ(RunCommand("lpstat -l -p PDF_Printer | grep -ce enabled -e ': PDF Printer$'").out,
              "2\n");
    // Not offered to the network, and a failed job never stops the queue.
    EXPECT_EQ(RunCommand("grep -e ^Shared -e Policy " + cups.folder() + "/printers.conf").out,
              "Shared No\nOpPolicy vellumax-pdf\nErrorPolicy abort-job\n");
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
