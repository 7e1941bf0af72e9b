#include "app/CMonitorApp.h"
#include "recording/LogFile.h"

#include "TrelvaneVersion.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // Under a file-size limit a log append then fails and is reported instead
    // of the signal ending the program with the recorded charge.
    ignoreFileSizeSignal();
    // --help and --version are answered before a display is needed (a terminal,
    // the man page build); "--" ends the options, so a file may be named --help.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(qPrintable(CMonitorApp::usage()), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("trelvane %s\n", TRELVANE_VERSION);
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Trelvane"));
    QApplication::setApplicationName(QStringLiteral("Trelvane"));
    QApplication::setApplicationVersion(QStringLiteral(TRELVANE_VERSION));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.trelvane.Trelvane"));
    CMonitorApp app;
    return app.run(QApplication::arguments());
}
