#include "acquisition/PortNames.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

// A directory entry counts even when it is a dangling symlink: the user named
// that port, so the open should fail there instead of silently picking another device.
bool entryExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QStringList candidatePathsForPort(int portNumber)
{
#ifdef Q_OS_WIN
    return {QStringLiteral("\\\\.\\COM%1").arg(portNumber)};
#else
    QStringList candidates;
    const QString portsDir = qEnvironmentVariable("TRELVANE_PORTS_DIR");
    if (!portsDir.isEmpty())
        candidates << QDir(portsDir).filePath(QStringLiteral("COM%1").arg(portNumber));
    candidates << QStringLiteral("/dev/ttyUSB%1").arg(portNumber - 3)
               << QStringLiteral("/dev/ttyACM%1").arg(portNumber - 3);
    return candidates;
#endif
}

QString devicePathForPort(int portNumber)
{
    const QStringList candidates = candidatePathsForPort(portNumber);
    for (const QString& candidate : candidates) {
        if (entryExists(candidate))
            return candidate;
    }
    return candidates.first();
}
