#include "e2e/XvfbServer.h"

#include <QStringList>

XvfbServer::~XvfbServer()
{
    stop();
}

QString XvfbServer::start(int width, int height)
{
    // -displayfd 1: the server chooses a free display and prints its number,
    // so parallel test runs never collide.
    process_.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("%1x%2x24").arg(width).arg(height), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!process_.waitForStarted(10000))
        return QStringLiteral("Xvfb did not start: ") + process_.errorString();
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(15000))
            return QStringLiteral("Xvfb named no display: ") + QString::fromLocal8Bit(process_.readAllStandardError());
    }
    bool ok = false;
    const int number = process_.readLine().trimmed().toInt(&ok);
    if (!ok)
        return QStringLiteral("Xvfb printed no display number");
    display_ = QStringLiteral(":%1").arg(number);
    return {};
}

void XvfbServer::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}
