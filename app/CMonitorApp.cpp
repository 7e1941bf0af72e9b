#include "app/CMonitorApp.h"

#include "app/CControlDlg.h"
#include "app/CMonitorDlg.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <cstdio>

QString CMonitorApp::usage()
{
    return QStringLiteral(
        "Usage: trelvane [options] [FILE.tvr]\n"
        "\n"
        "Without FILE, Trelvane starts with its control dialog: choose the charger's port and\n"
        "a log file, then \"start\" to monitor and record a charge, or \"read\" to replay a log.\n"
        "With FILE, it replays that log file directly.\n"
        "\n"
        "Options:\n"
        "  --port N     preselect port COMN (3..15) in the control dialog\n"
        "  --log PATH   preset the log save path in the control dialog\n"
        "  -h, --help   show this help\n");
}

int CMonitorApp::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"));
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("PATH"));
    parser.addOption(help);
    parser.addOption(port);
    parser.addOption(log);
    parser.addPositionalArgument(QStringLiteral("file"), QString());
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "trelvane: %s\n\n%s", qPrintable(parser.errorText()), qPrintable(usage()));
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(usage()), stdout);
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "trelvane: one log file at a time\n\n%s", qPrintable(usage()));
        return 2;
    }

    if (files.size() == 1) {
        // Opening a log file directly (a double-click in a file manager) replays it.
        state_.words.runMode.store(RunMode::Replay);
        state_.logOpenPath = files.first();
    } else {
        CControlDlg control(state_, *services_);
        if (parser.isSet(port)) {
            bool ok = false;
            const int number = parser.value(port).remove(QStringLiteral("COM"), Qt::CaseInsensitive).toInt(&ok);
            if (!ok || number < 3 || number > 15) {
                std::fprintf(stderr, "trelvane: --port takes a port number from 3 to 15\n");
                return 2;
            }
            control.preselectPort(number - 3);
        }
        if (parser.isSet(log))
            control.presetSavePath(parser.value(log));
        if (control.exec() != QDialog::Accepted)
            return 0; // "Exit": no log file touched, no main window
    }

    CMonitorDlg mainWindow(state_, *services_);
    mainWindow.show();
    mainWindow.exec();
    // After a port that could not be opened, the thread still says "exit".
    mainWindow.awaitAcquisitionEnd();
    return 0;
}
