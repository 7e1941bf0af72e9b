#include "doctor/PortListener.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QThread>

#include <algorithm>

namespace {

constexpr int kWaitSliceMs = 100; // how long a stop request may go unnoticed

} // namespace

PortListener::Capture PortListener::listen(const QString& path, double seconds, const std::atomic<bool>& stopRequested,
                                           const Progress& progress)
{
    Capture capture;
    QSerialPort port;
    // Named by the device itself, so the lock is the one every alias shares.
    const QString device = QFileInfo(path).canonicalFilePath();
    port.setPortName(device.isEmpty() ? path : device);
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    if (!port.open(QIODevice::ReadOnly)) {
        capture.error = port.errorString();
        return capture;
    }
    capture.opened = true;

    const qint64 limitMs = static_cast<qint64>(seconds * 1000.0);
    QElapsedTimer clock;
    clock.start();
    int reported = 0;
    while (!stopRequested.load() && clock.elapsed() < limitMs) {
        const int slice = static_cast<int>(std::min<qint64>(kWaitSliceMs, limitMs - clock.elapsed()));
        if (port.bytesAvailable() > 0 || port.waitForReadyRead(std::max(slice, 1))) {
            const QByteArray chunk = port.readAll();
            capture.bytes.insert(capture.bytes.end(), chunk.begin(), chunk.end());
        } else if (port.error() == QSerialPort::ResourceError) {
            capture.lost = true;
            break;
        } else if (port.error() != QSerialPort::TimeoutError && port.error() != QSerialPort::NoError) {
            // A failing device answers at once; wait out the slice instead of spinning.
            port.clearError();
            QThread::msleep(static_cast<unsigned long>(std::max(slice, 1)));
        }
        const int whole = static_cast<int>(clock.elapsed() / 1000);
        if (progress && whole > reported) {
            reported = whole;
            progress(whole, capture.bytes.size());
        }
    }
    capture.seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    return capture;
}
