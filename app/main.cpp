#include <QApplication>
#include <QDir>
#include <cstdlib>

#include "app/Form1.h"
#include "app/window/StartUp.h"
#include "convert/RunConversion.h"
#include "platform/InstallLayout.h"
#include "platform/posix/CupsPrinters.h"
#include "platform/posix/HiveRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixLauncher.h"
#include "platform/posix/PosixStateRecord.h"
#include "platform/qt/EndSignals.h"
#include "platform/qt/QtUi.h"

#ifndef VELLUMAX_HOME_PAGE
#define VELLUMAX_HOME_PAGE ""
#endif

int main(int argc, char* argv[]) {
    // The default printer is the user's own choice (lpoptions), not a per-shell override.
    ::unsetenv("PRINTER");
    ::unsetenv("LPDEST");

    QApplication app(argc, argv);
    const std::string programFolder =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    vx::PosixFileSystem fileSystem;
    vx::HiveRegistry registry(vx::HiveRegistry::StandardFiles(programFolder));
    vx::CupsPrinters printers;
    vx::PosixLauncher launcher;
    vx::PosixStateRecord record(vx::PosixStateRecord::StandardFile("borrowed-printer"));
    vx::QtUi ui;

    vx::Platform platform;
    platform.fileSystem = &fileSystem;
    platform.registry = &registry;
    platform.printers = &printers;
    platform.launcher = &launcher;
    platform.ui = &ui;
    const vx::InstallLayout layout = vx::InstallLayout::For(programFolder);
    platform.programFolder = layout.dataFolder;
    platform.homePage = vx::HomePageUrl(VELLUMAX_HOME_PAGE, layout);
    platform.random = [r = vx::RandomFromClock()] { return r; };
    platform.stateRecord = &record;

    vx::Form1 form(platform);
    ui.setOwner(&form);
    // Ended from outside, the program puts the user's printer setting back as closing does.
    const vx::EndSignals ends([&form] { form.close(); });
    // A run that did not finish last time left its record: undo it before anything else.
    vx::PutBackUnfinishedRun(printers, record, ui);
    form.show();
    return QApplication::exec();
}
