#include "app/CMonitorApp.h"

#include "analysis/AnalysisWindow.h"
#include "app/CControlDlg.h"
#include "app/CMonitorDlg.h"

#include "TrelvaneVersion.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

#include <cstdio>

QString CMonitorApp::usage()
{
    return QStringLiteral(
        "Usage: trelvane [options] [FILE.tvr]\n"
        "  or:  trelvane --analyse FILE.tvr [MORE.tvr ...]\n"
        "Monitors, records and replays the charges of a hobby battery charger.\n"
        "\n"
        "Without FILE, Trelvane starts with its control dialog: choose the charger's port and\n"
        "a log file, then \"start\" to monitor and record a charge, or \"read\" to replay a log.\n"
        "With FILE, it replays that log file directly.\n"
        "With --analyse, it opens the analysis window on the log files instead: every\n"
        "record, zoom, two cursors with the figures between them, runs compared, export.\n"
        "\n"
        "Port COMN is the first that exists of $TRELVANE_PORTS_DIR/COMN, /dev/ttyUSB{N-3}\n"
        "and /dev/ttyACM{N-3}. Help opens MANUAL.pdf beside the program or, when it is not\n"
        "there, in the installed documentation folder.\n"
        "\n"
        "Options:\n"
        "  --port N     preselect port COMN (3..15) in the control dialog\n"
        "  --log PATH   preset the log save path in the control dialog\n"
        "  --analyse    open the analysis window on the FILEs (several allowed)\n"
        "  -h, --help   show this help and exit\n"
        "  --version    show the version and exit\n"
        "\n"
        "Exit status:\n"
        "  0  the program ended, also by \"Exit\" in the control dialog\n"
        "  2  the command line is wrong\n");
}

int CMonitorApp::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version(QStringLiteral("version"), QString());
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"));
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption analyse({QStringLiteral("analyse"), QStringLiteral("analyze")}, QString());
    parser.addOption(analyse);
    parser.addOption(help);
    parser.addOption(version);
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
    if (parser.isSet(version)) {
        std::printf("trelvane %s\n", TRELVANE_VERSION);
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(analyse)) {
        if (files.isEmpty()) {
            std::fprintf(stderr, "trelvane: --analyse needs at least one log file\n\n%s", qPrintable(usage()));
            return 2;
        }
        // The analysis window alone; the program ends when it is closed.
        AnalysisWindow window;
        window.show();
        window.openFiles(files);
        return QApplication::exec();
    }
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
    // A recording the close ended is added to the run library before the end.
    mainWindow.awaitLibrary();
    return 0;
}
