#pragma once

// Runs a built tool from the binary folder and collects what it printed.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ToolResult {
    bool finished = false; // false: killed at the deadline
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline QString toolPath(const QString& name)
{
    return QStringLiteral(TRELVANE_BIN_DIR "/") + name;
}

inline ToolResult runTool(const QString& name, const QStringList& args, int deadlineMs = 60000,
                          const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(toolPath(name), args);
    ToolResult result;
    if (!process.waitForStarted(10000))
        return result;
    process.closeWriteChannel();
    result.finished = process.waitForFinished(deadlineMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
