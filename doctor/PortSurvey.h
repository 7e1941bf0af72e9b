#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One serial device and every name it is reached by.
struct SurveyedPort {
    QString device;            // the device itself, every link resolved (/dev/ttyUSB0, /dev/pts/3)
    QList<int> monitorPorts;   // n for which the monitor's COMn is this device (3..15)
    QStringList monitorPaths;  // the path each of those COMn resolves through, in the same order
    QStringList byIdLinks;     // /dev/serial/by-id links to it
    QString description;       // as the system's port enumeration has them; empty when it does not list the device
    QString manufacturer;
    QString serialNumber;
    bool hasUsbIds = false;
    quint16 vendorId = 0;
    quint16 productId = 0;
    bool enumerated = false;   // listed by the system's port enumeration
};

// The serial ports present: the system's enumeration (Qt's), the monitor's
// COM3..COM15 (which also reach pseudo-terminals through
// $TRELVANE_PORTS_DIR) and the /dev/serial/by-id links, merged by device.
class PortSurvey {
public:
    static constexpr int kFirstMonitorPort = 3;
    static constexpr int kLastMonitorPort = 15;

    PortSurvey(); // looks once; the lists below are that moment's

    const QList<SurveyedPort>& ports() const { return ports_; }
    // The device behind COMn, when there is one.
    std::optional<SurveyedPort> monitorPort(int n) const;
    // The device a path names (with whatever the survey knows of it); nothing when the path leads nowhere.
    std::optional<SurveyedPort> forPath(const QString& path) const;

    // For the control dialog's COMn entry: the device and its description, or "not present".
    static QString entryDescription(const std::optional<SurveyedPort>& port, int n);

private:
    SurveyedPort& entryFor(const QString& device);

    QList<SurveyedPort> ports_;
};
