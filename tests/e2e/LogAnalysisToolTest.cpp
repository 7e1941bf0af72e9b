// trelvane-log stats and plot as programs, on logs with known answers: the
// figures in text and JSON (which must parse), ranges given in h:mm:ss, a
// gap in the stamps left unbridged, pictures of the asked size and SVG that
// parses, and the exit statuses of what cannot be done.
#include "e2e/ToolRun.h"

#include "acquisition/MeasurementRecord.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

// 3.5 A at 14 V with four cells for `seconds` records; stamps jump by `gap`
// seconds after record `gapAfter` (0: no gap).
QString writeLog(const QTemporaryDir& dir, const QString& name, int seconds, int gapAfter = 0, int gap = 0)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    for (int s = 1; s <= seconds; ++s) {
        MeasurementRecord r;
        r.elapsedSeconds = gapAfter > 0 && s > gapAfter ? s + gap : s;
        r.voltage = 14.0f;
        r.current = 3.5f;
        r.capacity = s;
        r.temperature = 30.0f;
        for (int c = 0; c < 4; ++c)
            r.cellVoltage[c] = 3.5f;
        r.cellVoltage[3] = s == 100 ? 3.625f : 3.5f;
        r.chargeMode = 1;
        const RecordBytes bytes = toBytes(r);
        file.write(reinterpret_cast<const char*>(bytes.data()), kRecordSize);
    }
    return path;
}

QJsonObject statsJson(const QStringList& args, ToolResult* result = nullptr)
{
    const ToolResult r = runTool("trelvane-log", QStringList{"stats", "--json"} + args);
    if (result)
        *result = r;
    return QJsonDocument::fromJson(r.out).object();
}

TEST(LogStatsTool, FiguresOfARangeInTextAndJson)
{
    QTemporaryDir dir;
    const QString log = writeLog(dir, "run.tvr", 3601);
    const struct {
        QStringList range;
        double from, to, charge, energy, spread, spreadAt;
    } cases[] = {
        {{}, 1, 3601, 3.5 * 3600 / 3.6, 14 * 3.5, 125, 100},
        {{"--from", "0:10:00", "--to", "0:40:00"}, 600, 2400, 3.5 * 1800 / 3.6, 14 * 3.5 / 2, 0, 600},
        {{"--to", "90"}, 1, 90, 3.5 * 89 / 3.6, 14 * 3.5 * 89 / 3600, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.range.join(' ').toStdString());
        ToolResult r;
        const QJsonObject json = statsJson(QStringList{log} + c.range, &r);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        ASSERT_FALSE(json.isEmpty()) << r.out.toStdString();
        EXPECT_EQ(json["from_s"].toDouble(), c.from);
        EXPECT_EQ(json["to_s"].toDouble(), c.to);
        EXPECT_EQ(json["duration_s"].toDouble(), c.to - c.from);
        EXPECT_NEAR(json["charge_delta_mAh"].toDouble(), c.charge, 1e-6);
        EXPECT_EQ(json["capacity_delta_mAh"].toDouble(), c.to - c.from);
        EXPECT_NEAR(json["energy_Wh"].toDouble(), c.energy, 1e-6);
        EXPECT_NEAR(json["mean_current_A"].toDouble(), 3.5, 1e-9);
        EXPECT_NEAR(json["largest_spread_mV"].toDouble(), c.spread, 1e-6);
        EXPECT_EQ(json["largest_spread_time_s"].toDouble(), c.spreadAt);
        const QJsonObject cell4 = json["quantities"].toObject()["cell4_V"].toObject();
        EXPECT_EQ(cell4["start"].toDouble(), 3.5);
        EXPECT_FALSE(json["quantities"].toObject().contains("cell5_V"));
    }
    const ToolResult text = runTool("trelvane-log", {"stats", log, "--from", "0:10:00", "--to", "0:40:00"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_TRUE(text.out.contains("Duration: 0:30:00")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("Delta mAh (integrated current): 1750.0 mAh")) << text.out.toStdString();
}

TEST(LogStatsTool, AGapInTheStampsIsNotBridged)
{
    QTemporaryDir dir;
    // Records 1..1800 then 2401..4200: ten minutes were not recorded.
    const QString log = writeLog(dir, "gap.tvr", 3600, 1800, 600);
    const QJsonObject json = statsJson({log});
    EXPECT_EQ(json["duration_s"].toDouble(), 4199);
    EXPECT_NEAR(json["charge_delta_mAh"].toDouble(), 3.5 * 3598 / 3.6, 1e-6);
    EXPECT_NEAR(json["mean_current_A"].toDouble(), 3.5, 1e-9);
}

TEST(LogStatsTool, WhatCannotBeDoneEndsWithItsStatus)
{
    QTemporaryDir dir;
    const QString log = writeLog(dir, "run.tvr", 100);
    const QString empty = writeLog(dir, "empty.tvr", 0);
    const struct {
        QStringList args;
        int status;
        const char* says;
    } cases[] = {
        {{"stats", log, "--from", "1:00:00"}, 1, "no record between"},
        {{"stats", empty}, 1, "holds no record"},
        {{"stats", dir.filePath("missing.tvr")}, 1, "No such file"},
        {{"stats", log, "--from", "ten"}, 2, "--from"},
        {{"stats", log, "--from", "1:00:00", "--to", "0:10:00"}, 2, "--from 1:00:00 is after --to 0:10:00"},
        {{"plot", log, "-o", dir.filePath("x.png"), "--from", "20", "--to", "10"}, 2, "is after --to"},
        {{"stats"}, 2, ""},
        {{"plot", log}, 2, "-o OUT.png"},
        {{"plot", log, "-o", dir.filePath("x.png"), "--size", "10x10"}, 2, "--size"},
        {{"plot", log, "-o", dir.filePath("x.png"), "--traces", "voltage,volume"}, 2, "volume"},
        {{"plot", log, "-o", dir.filePath("no/such/x.png")}, 1, "no/such/x.png: No such file or directory"},
        {{"csv", log, "-o", log}, 1, "is the log being read"},
        {{"stats", "--help"}, 0, ""},
        {{"plot", "--help"}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolResult r = runTool("trelvane-log", c.args);
        EXPECT_EQ(r.exitCode, c.status) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    }
    EXPECT_TRUE(runTool("trelvane-log", {"stats", "--help"}).out.contains("largest_spread_time_s"));
    EXPECT_EQ(QFileInfo(log).size(), 100 * qint64{kRecordSize}) << "the log named as csv's output was harmed";
}

TEST(LogPlotTool, DrawsPngOfTheAskedSizeAndSvgThatParsesWithoutADisplay)
{
    QTemporaryDir dir;
    const QString first = writeLog(dir, "first.tvr", 7200);
    const QString second = writeLog(dir, "second.tvr", 3000);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");

    const QString png = dir.filePath("view.png");
    ToolResult r = runTool("trelvane-log", {"plot", first, second, "-o", png, "--size", "800x600", "--from", "0:10:00",
                                            "--traces", "voltage,current,cells,spread,charge"},
                           60000, env);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(800, 600));
    // Something besides the white background was drawn.
    int inked = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4)
            inked += image.pixel(x, y) != qRgb(255, 255, 255);
    }
    EXPECT_GT(inked, 200);

    const QString svg = dir.filePath("view.svg");
    r = runTool("trelvane-log", {"plot", first, "-o", svg}, 60000, env);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString root;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && root.isEmpty())
            root = xml.name().toString();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(root, QStringLiteral("svg"));
}

} // namespace
