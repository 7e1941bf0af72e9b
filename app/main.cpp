#include "app/CMonitorApp.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
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
