#pragma once

// The charger simulator on a pseudo-terminal registered as DIR/COMn, with
// its CSV log of the frames it sent.

#include "io/tools/ToolProcess.h"

#include "acquisition/MeasurementRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

class ChargerSimulator {
public:
    // Starts `scenarioArgs` as COM`port` in `portsDir`, waiting up to 30 s
    // for a reader; returns once the port is registered.
    bool start(const QString& portsDir, int port, const QStringList& scenarioArgs, const QString& logCsv)
    {
        logCsv_ = logCsv;
        link_ = QDir(portsDir).filePath(QStringLiteral("COM%1").arg(port));
        if (!process_.start(QStringLiteral("trelvane-charger-sim"),
                            scenarioArgs
                                + QStringList{QStringLiteral("--register"), portsDir, QStringLiteral("--port"),
                                              QString::number(port), QStringLiteral("--wait-for-reader"),
                                              QStringLiteral("30"), QStringLiteral("--log"), logCsv}))
            return false;
        return process_.waitForOutput(QStringLiteral("/dev/"), 10000) && QFileInfo(link_).isSymLink();
    }

    // SIGTERM: the pseudo-terminal closes and the COMn link goes, as when a cable is pulled.
    bool unplug()
    {
        process_.signal(SIGTERM);
        return process_.waitForExit(10000) == 0 && !QFileInfo(link_).isSymLink();
    }

    // Whether the frame line of `kind` ("end", "running") has been sent.
    bool sent(const QString& kind) const
    {
        QFile file(logCsv_);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(("," + kind + ",").toLatin1());
    }

    // The records the frames sent decode to (start and running frames).
    std::vector<MeasurementRecord> sentRecords() const
    {
        std::vector<MeasurementRecord> records;
        QFile file(logCsv_);
        if (!file.open(QIODevice::ReadOnly))
            return records;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> c = line.trimmed().split(',');
            if (c.size() < 18 || (c[2] != "running" && c[2] != "start"))
                continue;
            // Nine significant digits: the floats read back exactly.
            MeasurementRecord r;
            r.auxValue = c[3].toFloat();
            r.voltage = c[4].toFloat();
            r.current = c[5].toFloat();
            r.temperature = c[6].toFloat();
            r.capacity = c[7].toInt();
            for (int cell = 0; cell < 8; ++cell)
                r.cellVoltage[cell] = c[8 + cell].toFloat();
            r.batteryType = c[16].toInt();
            r.chargeMode = c[17].toInt();
            records.push_back(r);
        }
        return records;
    }

    ToolProcess& process() { return process_; }

private:
    ToolProcess process_;
    QString logCsv_;
    QString link_;
};

// Whether `logged`, apart from its stamp, is one of `sent`.
inline bool isOneOf(MeasurementRecord logged, const std::vector<MeasurementRecord>& sent)
{
    logged.elapsedSeconds = 0;
    for (const MeasurementRecord& r : sent) {
        if (sameBits(r, logged))
            return true;
    }
    return false;
}

inline std::vector<MeasurementRecord> readLog(const QString& path, qint64* size = nullptr)
{
    std::vector<MeasurementRecord> records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    const QByteArray bytes = file.readAll();
    if (size)
        *size = bytes.size();
    for (qsizetype at = 0; at + static_cast<qsizetype>(kRecordSize) <= bytes.size(); at += kRecordSize)
        records.push_back(fromBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData() + at)));
    return records;
}
