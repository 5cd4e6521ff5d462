#include "app/launcher.h"
#include "util/recentfiles.h"

#include <QApplication>
#include <QGuiApplication>

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
    // Folders and recent documents are kept between runs; only the program itself does so.
    tamo::util::useSettingsFile(tamo::util::userSettingsFile());
    tamo::app::startProgram();
    return QApplication::exec();
}
