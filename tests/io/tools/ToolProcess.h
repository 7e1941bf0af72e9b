#pragma once

// A built tool run as a child process: started with its own environment,
// its output watched while it runs, stopped with a signal, always reaped.

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QThread>

#include <csignal>
#include <functional>

#include <signal.h>

class ToolProcess {
public:
    static QString path(const QString& tool) { return QStringLiteral(TRELVANE_BIN_DIR "/") + tool; }

    ToolProcess() = default;
    ~ToolProcess() { kill(); }
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    bool start(const QString& tool, const QStringList& args,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
               const std::function<void()>& inChild = {})
    {
        process_.setProcessEnvironment(env);
        if (inChild)
            process_.setChildProcessModifier(inChild);
        process_.start(path(tool), args);
        return process_.waitForStarted(10000);
    }

    // Waits until standard output contains `text`; false at the deadline or when the tool ended without it.
    bool waitForOutput(const QString& text, int deadlineMs = 20000, int occurrences = 1)
    {
        return waitForText(out_, text, deadlineMs, occurrences);
    }
    // The same for standard error.
    bool waitForErrors(const QString& text, int deadlineMs = 20000) { return waitForText(err_, text, deadlineMs, 1); }

private:
    bool waitForText(const QByteArray& stream, const QString& text, int deadlineMs, int occurrences)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            collect();
            if (QString::fromLocal8Bit(stream).count(text) >= occurrences)
                return true;
            if (process_.state() == QProcess::NotRunning || clock.elapsed() > deadlineMs)
                return false;
            process_.waitForReadyRead(100);
        }
    }

public:
    void signal(int number)
    {
        if (process_.state() != QProcess::NotRunning)
            ::kill(static_cast<pid_t>(process_.processId()), number);
    }

    // The exit status, or -1 when it had to be killed or crashed.
    int waitForExit(int deadlineMs = 20000)
    {
        const bool ended = process_.state() == QProcess::NotRunning || process_.waitForFinished(deadlineMs);
        if (!ended)
            kill();
        collect();
        return ended && process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

    void kill()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    qint64 pid() const { return process_.processId(); }
    bool running() const { return process_.state() != QProcess::NotRunning; }
    QString output()
    {
        collect();
        return QString::fromLocal8Bit(out_);
    }
    QString errors()
    {
        collect();
        return QString::fromLocal8Bit(err_);
    }

private:
    void collect()
    {
        out_ += process_.readAllStandardOutput();
        err_ += process_.readAllStandardError();
    }

    QProcess process_;
    QByteArray out_;
    QByteArray err_;
};

// Polls a condition until it holds or the deadline passes.
template <typename Condition>
bool waitFor(Condition&& condition, int deadlineMs = 20000, int pollMs = 50)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > deadlineMs)
            return false;
        QThread::msleep(static_cast<unsigned long>(pollMs));
    }
    return true;
}
