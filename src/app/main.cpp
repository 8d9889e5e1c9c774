#include "app/frmSplash.h"
#include "common/AppFolder.h"
#include "mainwindow/frmORXmain.h"
#include "widgets/DesktopShell.h"
#include "widgets/Fonts.h"
#include "widgets/QtMessages.h"

#include <QApplication>

#include <cstdio>
#include <memory>

namespace {

// Qt aborts when it finds no display; say plainly what to do instead.
bool displayAvailable()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char* argv[])
{
    if (!displayAvailable()) {
        std::fprintf(stderr, "HBQ ORX DRILL ORGANIZER needs a graphical display, and none was "
                             "found (DISPLAY is not set).\nStart it from a desktop session, or "
                             "on a machine without one under a virtual display:\n"
                             "    xvfb-run -a ./run.sh\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("HBQ ORX DRILL ORGANIZER"));
    Fonts::installSubstitutes();
    QtMessages messages;
    DesktopShell shell;
    std::unique_ptr<frmORXmain> mainWindow;

    auto* splash = new frmSplash([&] {
        mainWindow = std::make_unique<frmORXmain>(AppFolder::ofExecutable(), messages, shell);
        if (mainWindow->Form_Load())
            mainWindow->show();
    });
    splash->setAttribute(Qt::WA_DeleteOnClose);
    // The main window ends the program itself; without it, the splash's end is the program's.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(splash, &QObject::destroyed, [&] {
        if (!mainWindow)
            QCoreApplication::exit(0);
        else if (!mainWindow->isVisible())
            QCoreApplication::exit(1);
    });
    splash->show();
    return QApplication::exec();
}
