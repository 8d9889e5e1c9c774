#include "app/CommandLine.h"
#include "app/Headless.h"
#include "app/SplashScreen.h"
#include "app/StartUp.h"
#include "common/AppFolder.h"
#include "common/Clock.h"
#include "common/ProgramTitle.h"
#include "due/DueNotifier.h"
#include "mainwindow/MainWindow.h"
#include "widgets/DesktopShell.h"
#include "widgets/Fonts.h"
#include "widgets/ProgramIcon.h"
#include "widgets/QtMessages.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

// Qt aborts when it finds no display, or cannot reach the one named; say plainly what to do
// instead.
QByteArray g_invokedAs;
QtMessageHandler g_qtHandler = nullptr;

[[noreturn]] void endForWantOfADisplay(const QString& reason)
{
    std::fprintf(stderr,
                 "%s needs a graphical display, and %s.\n"
                 "Start it from a desktop session, or on a machine without one under a virtual "
                 "display:\n    xvfb-run -a %s\n",
                 qPrintable(ProgramTitle), qPrintable(reason), g_invokedAs.constData());
    std::fflush(stderr);
    std::_Exit(2); // Qt may be half made: nothing of it is to be torn down
}

void unreachableDisplayEnds(QtMsgType type, const QMessageLogContext& context,
                            const QString& message)
{
    if (type == QtFatalMsg)
        endForWantOfADisplay(
            QStringLiteral("the display \"%1\" cannot be reached")
                .arg(qEnvironmentVariable("DISPLAY", qEnvironmentVariable("WAYLAND_DISPLAY"))));
    // The plugin's own advice (reinstalling) does not apply.
    if (qstrcmp(context.category, "qt.qpa.plugin") != 0)
        g_qtHandler(type, context, message);
}

bool displayNamed()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

int showWindow(int argc, char* argv[], const CommandLine& command)
{
    g_invokedAs = argv[0];
    if (!displayNamed())
        endForWantOfADisplay(QStringLiteral("none was found (DISPLAY is not set)"));
    g_qtHandler = qInstallMessageHandler(unreachableDisplayEnds);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_qtHandler);
    QGuiApplication::setDesktopFileName(QStringLiteral(ORX_APP_ID));
    QApplication::setWindowIcon(ProgramIcon::icon());
    Fonts::installSubstitutes();
    QtMessages messages;
    DesktopShell shell;
    QString problem;
    const std::optional<DatabaseLocation> location = StartUp::databaseLocation(command, &problem);
    if (!location) {
        messages.tell(Messages::Icon::Critical, ProgramTitle,
                      problem + QStringLiteral("\n\nThe program will now end."));
        return 1;
    }
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<DueNotifier> notifier;

    SplashScreen* splash = nullptr;
    splash = new SplashScreen([&] {
        mainWindow = std::make_unique<MainWindow>(AppFolder::dataFolder(), messages, shell);
        QObject::connect(mainWindow.get(), &MainWindow::opened, splash, &QWidget::close);
        mainWindow->setDatabase(*location);
        mainWindow->setAccessCodePage(command.accessCodePage);
        if (!mainWindow->fillWindow())
            return;
        mainWindow->fitToScreen();
        mainWindow->show();
        notifier =
            std::make_unique<DueNotifier>(mainWindow->database(), DueNotifier::userStateFile());
        notifier->start();
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

} // namespace

int main(int argc, char* argv[])
{
    // The name gives the user's data folder and the window class the desktop entry names.
    QCoreApplication::setApplicationName(QString::fromLatin1(AppFolder::ProgramName));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORX_VERSION));
    const CommandLine command = CommandLine::parse(argumentsOf(argc, argv), Clock::today().year());
    if (command.isHeadless())
        return Headless::run(argc, argv, command);
    return showWindow(argc, argv, command);
}
