#include "platform/ApplicationFolder.h"
#include "platform/SettingsArea.h"
#include "platform/qt/ProcessEventsLoop.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/WidgetMessageBoxes.h"
#include "windows/main/HomePage.h"
#include "windows/main/MainWindow.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

using namespace Quillfen;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Wayland desktops find the launcher, and with it the icon, by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnwick.Quillfen"));

    IniSettingsArea settings;
    WidgetMessageBoxes boxes;
    ProcessEventsLoop loop;
    QtDialogs dialogs;
    QtDesktop desktop;

    MainWindow window({.boxes = boxes,
                       .settings = settings,
                       .loop = loop,
                       .dialogs = dialogs,
                       .desktop = desktop,
                       .applicationFolder = ApplicationFolder(),
                       .homePageAddress = homePageAddress(),
                       .drawSeed = {},
                       .yieldInterval = std::chrono::milliseconds(10),
                       .exportYieldInterval = std::chrono::milliseconds(30)});
    boxes.setParentWindow(&window);
    dialogs.setOwner(&window);
    // Closing the window ends the program at once, also in the middle of a
    // run, whose yields would otherwise carry on without a window, and while
    // the abbreviation editor is open (the window has had it keep its list).
    QObject::connect(&window, &MainWindow::unloaded, [&window] {
        if (!window.isRunning() && !window.isEditingAbbreviations()) {
            QCoreApplication::quit();
            return;
        }
        std::fflush(nullptr);
        std::_Exit(0);
    });
    window.startUp();
    window.show();
    return app.exec();
}
