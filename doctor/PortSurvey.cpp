#include "doctor/PortSurvey.h"

#include "acquisition/PortNames.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

constexpr const char* kByIdDir = "/dev/serial/by-id";

QString resolved(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

PortSurvey::PortSurvey()
{
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString device = resolved(info.systemLocation());
        if (device.isEmpty())
            continue;
        SurveyedPort& port = entryFor(device);
        port.enumerated = true;
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        port.hasUsbIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        port.vendorId = info.vendorIdentifier();
        port.productId = info.productIdentifier();
    }
    for (int n = kFirstMonitorPort; n <= kLastMonitorPort; ++n) {
        const QString path = devicePathForPort(n);
        const QString device = resolved(path);
        if (device.isEmpty())
            continue;
        SurveyedPort& port = entryFor(device);
        port.monitorPorts << n;
        port.monitorPaths << path;
    }
    const QFileInfoList links = QDir(QString::fromLatin1(kByIdDir)).entryInfoList(QDir::System | QDir::Files
                                                                                  | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links) {
        const QString device = resolved(link.absoluteFilePath());
        if (device.isEmpty())
            continue;
        // Only for devices found otherwise: a link alone names no port.
        for (SurveyedPort& port : ports_) {
            if (port.device == device)
                port.byIdLinks << link.absoluteFilePath();
        }
    }
    std::sort(ports_.begin(), ports_.end(), [](const SurveyedPort& a, const SurveyedPort& b) {
        // The monitor's ports first, in their order; then the rest by name.
        const int na = a.monitorPorts.isEmpty() ? 1000 : a.monitorPorts.first();
        const int nb = b.monitorPorts.isEmpty() ? 1000 : b.monitorPorts.first();
        return na != nb ? na < nb : a.device < b.device;
    });
}

SurveyedPort& PortSurvey::entryFor(const QString& device)
{
    for (SurveyedPort& port : ports_) {
        if (port.device == device)
            return port;
    }
    SurveyedPort port;
    port.device = device;
    ports_.append(port);
    return ports_.last();
}

std::optional<SurveyedPort> PortSurvey::monitorPort(int n) const
{
    for (const SurveyedPort& port : ports_) {
        if (port.monitorPorts.contains(n))
            return port;
    }
    return std::nullopt;
}

std::optional<SurveyedPort> PortSurvey::forPath(const QString& path) const
{
    const QString device = resolved(path);
    if (device.isEmpty())
        return std::nullopt;
    for (const SurveyedPort& port : ports_) {
        if (port.device == device)
            return port;
    }
    SurveyedPort port;
    port.device = device;
    return port;
}

QString PortSurvey::entryDescription(const std::optional<SurveyedPort>& port, int n)
{
    if (!port)
        return QStringLiteral("not present");
    QString text = port->device;
    const int at = static_cast<int>(port->monitorPorts.indexOf(n));
    if (at >= 0 && port->monitorPaths.at(at) != port->device)
        text += QStringLiteral(" via ") + port->monitorPaths.at(at);
    if (!port->description.isEmpty())
        text += QStringLiteral(": ") + port->description;
    return text;
}
