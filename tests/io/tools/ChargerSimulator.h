#pragma once

// The charger simulator on a pseudo-terminal registered as DIR/COMn, with
// its CSV log of the frames it sent.

#include "io/tools/ChargeFiles.h"
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
        for (const SentLine& line : readSentLines(logCsv_)) {
            if (line.kind == QLatin1String("running") || line.kind == QLatin1String("start"))
                records.push_back(line.record);
        }
        return records;
    }

    ToolProcess& process() { return process_; }

private:
    ToolProcess process_;
    QString logCsv_;
    QString link_;
};
