#include "acquisition/SerialLink.h"

#include "acquisition/PortNames.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int kReadTimeoutMs = 1000;
constexpr int kReadSliceMs = 50; // how long an abort may go unnoticed

#ifndef Q_OS_WIN
QString groupName(gid_t gid)
{
    struct group entry {};
    struct group* found = nullptr;
    char buffer[4096];
    if (getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr)
        return QString::number(gid);
    return QString::fromLocal8Bit(found->gr_name);
}

QString permissionDeniedReason(const QString& path, const struct stat& info)
{
    if (info.st_mode & S_IRGRP) {
        return QStringLiteral("permission denied: add your user to the group '%1' that owns %2 "
                              "(sudo usermod -aG %1 $USER, then log in again)")
            .arg(groupName(info.st_gid), path);
    }
    return QStringLiteral("permission denied: %1 is not readable by your user").arg(path);
}

// The checks Qt would answer vaguely; empty when the device looks openable.
QString reasonBeforeOpen(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QStringLiteral("no such device: %1").arg(path);
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!S_ISCHR(info.st_mode))
        return QStringLiteral("not a serial device: %1").arg(path);
    if (::access(native.constData(), R_OK) != 0 && errno == EACCES)
        return permissionDeniedReason(path, info);
    return {};
}

// Only asked after Qt refused the device, so a healthy port is not opened twice.
bool isTerminal(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == EBUSY; // held exclusively: a terminal in use
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}
#endif

} // namespace

SerialLink::SerialLink() = default;

SerialLink::~SerialLink()
{
    close();
}

bool SerialLink::openPort(int portNumber)
{
    return openDevice(devicePathForPort(portNumber));
}

bool SerialLink::openDevice(const QString& devicePath)
{
    close();
    devicePath_ = devicePath;
    failureReason_.clear();

#ifndef Q_OS_WIN
    failureReason_ = reasonBeforeOpen(devicePath);
    if (!failureReason_.isEmpty())
        return false;
    // Qt's lock file is named after the path it is given; the real device
    // gives every alias (a COMn symlink, /dev/serial/by-id/...) the same lock.
    const QString systemPath = QFileInfo(devicePath).canonicalFilePath();
#else
    const QString systemPath = devicePath;
#endif

    port_ = new QSerialPort;
    port_->setPortName(systemPath);
    port_->setBaudRate(QSerialPort::Baud9600);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    if (port_->open(QIODevice::ReadOnly))
        return true;

    const QSerialPort::SerialPortError error = port_->error();
    const QString qtReason = port_->errorString();
    delete port_;
    port_ = nullptr;

#ifndef Q_OS_WIN
    if (!isTerminal(systemPath)) {
        failureReason_ = QStringLiteral("not a serial device: %1").arg(devicePath);
        return false;
    }
#endif
    // Access was checked above, so a refusal now means somebody holds the
    // port: TIOCEXCL (EBUSY) or the lock file of another program.
    if (error == QSerialPort::PermissionError
        && qtReason != QSerialPort::tr("Permission error while creating lock file")) {
        failureReason_ = QStringLiteral("in use by another program: %1").arg(devicePath);
        return false;
    }
    failureReason_ = QStringLiteral("%1: %2").arg(devicePath, qtReason);
    return false;
}

int SerialLink::readByte()
{
    QElapsedTimer clock;
    clock.start();
    while (!aborted_.load()) {
        if (port_ != nullptr && port_->bytesAvailable() > 0) {
            char byte = 0;
            if (port_->getChar(&byte))
                return static_cast<unsigned char>(byte);
        }
        const qint64 left = kReadTimeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        const int slice = static_cast<int>(std::min<qint64>(kReadSliceMs, left));
        QElapsedTimer sliceClock;
        sliceClock.start();
        const bool ready = port_ != nullptr && port_->isOpen() && port_->waitForReadyRead(slice);
        // A hung-up or failed device answers at once; wait out the slice so
        // that a caller looping on silence never spins.
        if (!ready) {
            const qint64 rest = slice - sliceClock.elapsed();
            if (rest > 0)
                QThread::msleep(static_cast<unsigned long>(rest));
        }
    }
    return 0;
}

void SerialLink::close()
{
    delete port_;
    port_ = nullptr;
}

bool SerialLink::isOpen() const
{
    return port_ != nullptr && port_->isOpen();
}
