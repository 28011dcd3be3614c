// "PDF Printer" as the set-up makes it, fed jobs by root (let print here) and by nobody, on a
// home folder that fills up: the job is kept until there is room, the queue stays enabled.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/Command.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"
#include "system/SmallHome.h"

namespace vx::test {
namespace {

// Waits up to 90 s for the shell condition, as cupsd retries on its own timer.
bool WaitFor(const std::string& condition) {
    return RunCommand("for i in $(seq 900); do " + condition +
                      " && exit 0; sleep 0.1; done; exit 1")
               .status == 0;
}

TEST(Backend, FilesOnlyWholePdfsOfTheUserAndKeepsAFullDiskJobUntilThereIsRoom) {
    SmallHome home(256 * 1024);
    if (!home.ok()) GTEST_SKIP() << home.why();
    PrivateCups cups;
    ASSERT_TRUE(cups.ok()) << cups.log();
    cups.addNullPrinter("PDF_Printer");  // an older one, which the set-up moves over
    cups.addPdfPrinter();
    TempDir t;
    ::chmod(t.path().c_str(), 0755);  // nobody's lp reads the files
    const std::string marker = "vxbackend" + std::to_string(::getpid()) + "-";
    const std::string nobody = "setsid -w setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    const std::string queued = "lpstat -W not-completed -o PDF_Printer";
    const std::string pending = "[ -z \"$(" + queued + ")\" ]";
    // No terminal to ask a password on.
    const std::string lp = "lp -d PDF_Printer -o raw </dev/null 2>&1 -t " + marker;
    const std::string whole = t.file("whole.pdf", "%PDF-1.4\n%%EOF\n");
    const std::tuple<std::string, bool, std::size_t> cases[] = {
        // A name given with -U is not who prints: nobody cannot even submit as root.
        {nobody + lp + "forged -U root " + whole, false, 0},
        // No home folder: the job goes, the queue stays.
        {nobody + lp + "nobody " + whole, true, 0},
        {lp + "whole " + whole, true, 1},
    };
    for (const auto& [command, made, filed] : cases) {
        const std::string said = RunCommand(command).out;
        EXPECT_EQ(said.find("request id is") != std::string::npos, made) << said;
        WaitFor(pending);
        EXPECT_EQ(PdfsWithMarker(marker).size(), filed) << command << cups.log();
    }
    for (const auto& pdf : PdfsWithMarker(marker)) std::filesystem::remove(pdf);
    // Not offered to the network, and a failed job never stops the queue.
    EXPECT_EQ(RunCommand("grep -e ^Shared -e Policy " + cups.folder() + "/printers.conf").out,
              "Shared No\nOpPolicy vellumax-pdf\nErrorPolicy abort-job\n");

    // A job of about 35 KB, bigger than what is left: cupsd has tried and keeps it, telling
    // why; the queue takes other jobs meanwhile.
    const std::string big = t.file("big.pdf", "%PDF-1.4\n" + std::string(35000, ' ') + "\n%%EOF\n");
    home.fill();
    ASSERT_NE(RunCommand(lp + "big " + big).out.find("request id is"), std::string::npos);
    ASSERT_TRUE(WaitFor("grep -q 'Backend returned status' " + cups.folder() + "/log/error_log"))
        << cups.log();
    ASSERT_NE(RunCommand(queued).out, "") << cups.log();
    EXPECT_NE(RunCommand("lpstat -l -o PDF_Printer").out.find("No space left on device"),
              std::string::npos);
    std::size_t left = 0;
    for (const auto& e : std::filesystem::directory_iterator(PdfFolder()))
        left += e.path().filename() != ".filler";
    EXPECT_EQ(left, 0u) << "a partial PDF stays behind";

    // Room again: the same job lands whole, with nobody acting.
    home.free();
    EXPECT_TRUE(WaitFor(pending)) << cups.log();
    const auto landed = PdfsWithMarker(marker);
    ASSERT_EQ(landed.size(), 1u) << cups.log();
    EXPECT_EQ(std::filesystem::file_size(landed[0]), std::filesystem::file_size(big));
    EXPECT_EQ(RunCommand("grep -c 'aborted' " + cups.folder() + "/log/error_log").out, "0\n");

    // A job that is no PDF never will be: cancelled at once, its reason kept on the job.
    ASSERT_EQ(RunCommand(lp + "text " + t.file("text", "plain text\n")).status, 0);
    EXPECT_TRUE(WaitFor(pending)) << cups.log();
    EXPECT_NE(RunCommand("lpstat -W completed -l -o PDF_Printer").out.find("is not a PDF"),
              std::string::npos)
        << cups.log();
    EXPECT_EQ(RunCommand("lpstat -l -p PDF_Printer | grep -ce enabled -e ': PDF Printer$'").out,
              "2\n");
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
