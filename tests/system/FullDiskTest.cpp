// A job that meets a full disk is kept by cupsd and lands once there is room; one that can
// never succeed is cancelled with its reason; the queue stays enabled throughout.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

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

TEST(FullDisk, KeepsTheJobUntilThereIsRoomAndCancelsOnlyHopelessOnes) {
    SmallHome home(256 * 1024);
    if (!home.ok()) GTEST_SKIP() << home.why();
    PrivateCups cups;
    ASSERT_TRUE(cups.ok()) << cups.log();
    cups.addPdfPrinter();
    TempDir t;
    const std::string marker = "vxfull" + std::to_string(::getpid()) + "-";
    // A job of about 35 KB, bigger than what is left.
    const std::string pdf = t.file("big.pdf", "%PDF-1.4\n" + std::string(35000, ' ') + "\n%%EOF\n");
    home.fill();
    const std::string lp = "lp -d PDF_Printer -o raw -t " + marker;
    ASSERT_EQ(RunCommand(lp + "big '" + pdf + "' >/dev/null").status, 0);
    const std::string pending = "lpstat -W not-completed -o PDF_Printer";

    // cupsd has tried and keeps the job, telling why; the queue takes other jobs meanwhile.
    ASSERT_TRUE(WaitFor("grep -q 'Backend returned status' " + cups.folder() + "/log/error_log"))
        << cups.log();
    ASSERT_NE(RunCommand(pending).out.find("PDF_Printer-"), std::string::npos) << cups.log();
    EXPECT_NE(RunCommand("lpstat -l -o PDF_Printer").out.find("No space left on device"),
              std::string::npos);
    EXPECT_EQ(RunCommand("lpstat -p PDF_Printer | grep -c enabled").out, "1\n");
    EXPECT_TRUE(PdfsWithMarker(marker).empty());
    std::size_t left = 0;
    for (const auto& e : std::filesystem::directory_iterator(PdfFolder()))
        left += e.path().filename() != ".filler";
    EXPECT_EQ(left, 0u) << "a partial PDF stays behind";

    // Room again: the same job lands whole, with nobody acting.
    home.free();
    EXPECT_TRUE(WaitFor("[ -z \"$(" + pending + ")\" ]")) << cups.log();
    const auto landed = PdfsWithMarker(marker);
    ASSERT_EQ(landed.size(), 1u) << cups.log();
    EXPECT_EQ(std::filesystem::file_size(landed[0]), std::filesystem::file_size(pdf));
    EXPECT_EQ(RunCommand("grep -c 'aborted' " + cups.folder() + "/log/error_log").out, "0\n");

    // A job that is no PDF never will be: cancelled at once, its reason kept on the job.
    ASSERT_EQ(RunCommand(lp + "text '" + t.file("text", "plain text\n") + "' >/dev/null").status,
              0);
    EXPECT_TRUE(WaitFor("[ -z \"$(" + pending + ")\" ]")) << cups.log();
    EXPECT_NE(RunCommand("lpstat -W completed -l -o PDF_Printer").out.find("is not a PDF"),
              std::string::npos)
        << cups.log();
    EXPECT_EQ(RunCommand("lpstat -p PDF_Printer | grep -c enabled").out, "1\n");
}

}  // namespace
}  // namespace vx::test
