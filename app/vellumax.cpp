#include "app/Main.h"

#include <QApplication>
#include <QDir>
#include <cstdlib>

#include "app/Form1.h"
#include "platform/InstallLayout.h"
#include "platform/posix/CupsPrinters.h"
#include "platform/posix/HiveRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixLauncher.h"
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
    vx::QtUi ui;

    vx::Platform platform;
    platform.fileSystem = &fileSystem;
    platform.registry = &registry;
    platform.printers = &printers;
    platform.launcher = &launcher;
    platform.ui = &ui;
    platform.programFolder = vx::InstallLayout::For(programFolder).dataFolder;
    platform.homePage = vx::HomePageUrl(VELLUMAX_HOME_PAGE, vx::InstallLayout::For(programFolder));
    platform.random = [r = vx::RandomFromClock()] { return r; };

    vx::Form1 form(platform);
    ui.setOwner(&form);
    form.show();
    return QApplication::exec();
}
