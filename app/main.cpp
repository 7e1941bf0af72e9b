#include "app/CMonitorApp.h"
#include "recording/LogFile.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // Under a file-size limit a log append then fails and is reported instead
    // of the signal ending the program with the recorded charge.
    ignoreFileSizeSignal();
    // Answer --help before a display is needed.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(qPrintable(CMonitorApp::usage()), stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Trelvane"));
    QApplication::setApplicationName(QStringLiteral("Trelvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    CMonitorApp app;
    return app.run(QApplication::arguments());
}
