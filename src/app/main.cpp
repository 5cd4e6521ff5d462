// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"
#include "app/launcher.h"
#include "app/startup.h"
#include "util/recentfiles.h"
#include "util/signals.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt would abort with a plugin error; say what to do instead.
bool displayAvailable()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return true;
#if defined(Q_OS_LINUX)
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    tamo::util::ignoreFileSizeSignal();

    // Read before any window exists, so that --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const tamo::app::StartRequest request = tamo::app::parseCommandLine(arguments, out, err);
    if (request.action == tamo::app::StartRequest::Action::Exit)
        return request.exitCode;

    if (!displayAvailable()) {
        std::fputs("TAMO needs a graphical display, and none was found (DISPLAY and "
                   "WAYLAND_DISPLAY are unset).\n"
                   "Start it from a desktop session, or give it one:\n"
                   "  xvfb-run -a ./build/src/app/TAMO          (a virtual X display)\n"
                   "  QT_QPA_PLATFORM=vnc ./build/src/app/TAMO  (then connect a VNC viewer to port 5900)\n",
                   stderr);
        return EXIT_FAILURE;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TAMO"));
    QApplication::setQuitOnLastWindowClosed(true);
    // The desktop entry and the icon theme know the program by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tamo.TAMO"));
    // Folders and recent documents are kept between runs; only the program itself does so.
    tamo::util::useSettingsFile(tamo::util::userSettingsFile());
    // The desktop's language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), before any window.
    tamo::app::installTranslations(QLocale::system());
    if (request.action == tamo::app::StartRequest::Action::OpenFile)
        tamo::app::openInEditor(request.kind, request.path);
    else
        tamo::app::startProgram();
    return QApplication::exec();
}
