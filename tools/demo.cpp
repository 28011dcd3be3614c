// Shows the whole job on a machine without a screen of its own: the real window with the
// real services under Xvfb, driven like a user. It adds the bundled sample files, presses
// "Convert To PDF", confirms each "Done." once its PDF is on disk, and saves a screenshot.
#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/Form1.h"
#include "app/window/StartUp.h"
#include "platform/InstallLayout.h"
#include "platform/posix/CupsPrinters.h"
#include "platform/posix/HiveRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixLauncher.h"
#include "platform/qt/QtUi.h"

namespace fs = std::filesystem;

namespace {

std::string PdfFolder() {
    const passwd* pw = ::getpwuid(::getuid());
    return std::string(pw ? pw->pw_dir : "/tmp") + "/PDF";
}

std::vector<std::string> NewPdfs(fs::file_time_type since) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(PdfFolder(), ec))
        if (e.path().extension() == ".pdf" && e.last_write_time(ec) >= since)
            out.push_back(e.path());
    return out;
}

class DemoUi : public vx::QtUi {
  public:
    DemoUi(std::vector<std::string> samples, fs::file_time_type since)
        : samples_(std::move(samples)), since_(since) {}
    std::string openFileDialog(const vx::OpenDialogSettings&) override {
        return vx::DialogResultFromPaths(samples_, '/');
    }
    void messageBox(const std::string& text, vx::BoxIcon, const std::string&) override {
        std::printf("message: %s\n", text.c_str());
        if (text != "Done.") return;
        ++done_;
        for (int i = 0; i < 300 && NewPdfs(since_).size() < done_; ++i) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

  private:
    std::vector<std::string> samples_;
    fs::file_time_type since_;
    std::size_t done_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: vellumax-demo SAMPLE_FOLDER SCREENSHOT.png [PROGRAM_FOLDER]\n");
        return 2;
    }
    std::vector<std::string> samples;
    for (const auto& e : fs::directory_iterator(argv[1]))
        if (e.is_regular_file()) samples.push_back(fs::absolute(e.path()).string());
    std::sort(samples.begin(), samples.end());
    fs::create_directories(PdfFolder());
    const auto since = fs::file_time_type::clock::now() - std::chrono::seconds(1);

    // Given the installed bin/, the window works with the installed files and word processor.
    const std::string programFolder =
        argc == 4 ? argv[3] : QCoreApplication::applicationDirPath().toStdString();
    vx::PosixFileSystem fileSystem;
    vx::HiveRegistry registry(vx::HiveRegistry::StandardFiles(programFolder));
    vx::CupsPrinters printers;
    vx::PosixLauncher launcher;
    DemoUi ui(samples, since);
    vx::Platform platform{&fileSystem, &registry, &printers,
                          &launcher,   &ui,       vx::InstallLayout::For(programFolder).dataFolder,
                          "",          nullptr};
    vx::Form1 form(platform);
    ui.setOwner(&form);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    QTest::mouseClick(form.findChild<QPushButton*>("Check1"), Qt::LeftButton);
    QTest::qWait(300);
    form.grab().save(QString::fromLocal8Bit(argv[2]), "PNG");
    QTest::mouseClick(form.findChild<QPushButton*>("Check2"), Qt::LeftButton);

    const auto pdfs = NewPdfs(since);
    for (const auto& p : pdfs) std::printf("PDF: %s\n", p.c_str());
    std::printf("Screenshot: %s\n", argv[2]);
    return pdfs.size() >= samples.size() ? 0 : 1;
}
