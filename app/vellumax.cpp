#include <QApplication>
#include <QDir>
#include <cstdlib>

#include "app/Form1.h"
#include "app/Main.h"
#include "convert/RunConversion.h"
#include "platform/InstallLayout.h"
#include "platform/qt/QtUi.h"
#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Launcher.h"
#include "platform/win32/Win32Printers.h"
#include "platform/win32/Win32Registry.h"
#else
#include "platform/posix/CupsPrinters.h"
#include "platform/posix/HiveRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixLauncher.h"
#include "platform/posix/PosixStateRecord.h"
#include "platform/qt/EndSignals.h"
#endif

#ifndef VELLUMAX_HOME_PAGE
#define VELLUMAX_HOME_PAGE ""
#endif

int main(int argc, char* argv[]) {
#ifndef _WIN32
    // The default printer is the user's own choice (lpoptions), not a per-shell override.
    ::unsetenv("PRINTER");
    ::unsetenv("LPDEST");
#endif

    QApplication app(argc, argv);
#ifdef _WIN32
    const std::string programFolder =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    vx::Win32FileSystem fileSystem;
    vx::Win32Registry registry;
    vx::Win32Printers printers;
    vx::Win32Launcher launcher;
#else
    const std::string programFolder =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    vx::PosixFileSystem fileSystem;
    vx::HiveRegistry registry(vx::HiveRegistry::StandardFiles(programFolder));
    vx::CupsPrinters printers;
    vx::PosixLauncher launcher;
    vx::PosixStateRecord record(vx::PosixStateRecord::StandardFile("borrowed-printer"));
#endif
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
#ifndef _WIN32
    platform.stateRecord = &record;
#endif

    vx::Form1 form(platform);
    ui.setOwner(&form);
#ifndef _WIN32
    // Ended from outside, the program puts the user's printer setting back as closing does.
    const vx::EndSignals ends([&form] { form.close(); });
    // A run that did not finish last time left its record: undo it before anything else.
    vx::PutBackUnfinishedRun(printers, record, ui);
#endif
    form.show();
    return QApplication::exec();
}
