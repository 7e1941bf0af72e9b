#pragma once

// The two files a charge under test leaves: the simulator's CSV of the frames
// it sent, and the .tvr log a program recorded from them.

#include "acquisition/MeasurementRecord.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <vector>

// One line of the simulator's CSV: the frame's kind as written and the record
// its columns decode to, which means something for start and running frames.
struct SentLine {
    QString kind;
    MeasurementRecord record;
};

// Lines too short to hold a frame are left out.
inline std::vector<SentLine> readSentLines(const QString& csvPath)
{
    std::vector<SentLine> lines;
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> c = line.trimmed().split(',');
        if (c.size() < 18)
            continue;
        // The CSV prints floats with nine significant digits: they read back exactly.
        SentLine sent;
        sent.kind = QString::fromLatin1(c[2]);
        MeasurementRecord& r = sent.record;
        r.auxValue = c[3].toFloat();
        r.voltage = c[4].toFloat();
        r.current = c[5].toFloat();
        r.temperature = c[6].toFloat();
        r.capacity = c[7].toInt();
        for (int cell = 0; cell < 8; ++cell)
            r.cellVoltage[cell] = c[8 + cell].toFloat();
        r.batteryType = c[16].toInt();
        r.chargeMode = c[17].toInt();
        lines.push_back(sent);
    }
    return lines;
}

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

// The whole records of a .tvr log; `size` gets the file's length in bytes.
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
