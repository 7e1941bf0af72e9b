#include "e2e/XDoTool.h"

#include <QProcess>

bool XDoTool::run(const QStringList& arguments, QByteArray* out) const
{
    QProcess process;
    process.setProcessEnvironment(environment_);
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForStarted(5000))
        return false;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(2000);
        return false;
    }
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QList<XDoTool::Window> XDoTool::visibleWindows(const QString& title) const
{
    QByteArray out;
    QList<Window> windows;
    // xdotool exits 1 when nothing matches: that is an empty list, not a failure.
    run({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
         QStringLiteral("^%1$").arg(title)},
        &out);
    for (const QByteArray& line : out.split('\n')) {
        bool ok = false;
        const qulonglong id = line.trimmed().toULongLong(&ok);
        if (!ok)
            continue;
        QByteArray shell;
        if (!run({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(id)}, &shell))
            continue; // closed meanwhile
        int x = 0, y = 0, width = 0, height = 0;
        for (const QByteArray& assignment : shell.split('\n')) {
            const int equals = assignment.indexOf('=');
            if (equals < 0)
                continue;
            const QByteArray key = assignment.left(equals);
            const int value = assignment.mid(equals + 1).trimmed().toInt();
            if (key == "X")
                x = value;
            else if (key == "Y")
                y = value;
            else if (key == "WIDTH")
                width = value;
            else if (key == "HEIGHT")
                height = value;
        }
        windows.append({id, QRect(x, y, width, height)});
    }
    return windows;
}

XDoTool::Window XDoTool::windowOfSize(const QString& title, QSize size) const
{
    for (const Window& window : visibleWindows(title)) {
        if (window.geometry.size() == size)
            return window;
    }
    return {};
}

bool XDoTool::click(qulonglong window, int x, int y, int button) const
{
    return run({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"),
                QString::number(window), QString::number(x), QString::number(y), QStringLiteral("click"),
                QString::number(button)});
}

bool XDoTool::pressKey(qulonglong window, const QString& key) const
{
    // With no window manager the focus is set directly; the key then goes
    // through the server like a real key press.
    return run({QStringLiteral("windowfocus"), QString::number(window)})
        && run({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
}
