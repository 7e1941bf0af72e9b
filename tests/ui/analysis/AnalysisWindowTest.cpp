// The analysis window on the offscreen platform: logs of 0, 1, 2 and many
// records and one with a trailing fragment, a log growing while it is open,
// cursors placed with the mouse and the keyboard and the table's figures,
// zoom, pan, box and reset, and the exports (PNG of the asked size, SVG that
// parses, CSV equal to `trelvane-log csv` over the cursor range).
#include "analysis/AnalysisWindow.h"
#include "analysis/PictureExport.h"
#include "analysis/PlotView.h"
#include "recording/LogCsv.h"

#include "core/recording/TempDir.h"

#include <QChart>
#include <QCheckBox>
#include <QGraphicsScene>
#include <QLegend>
#include <QLegendMarker>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QSvgRenderer>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cmath>
#include <filesystem>
#include <csignal>
#include <optional>
#include <fstream>

namespace {

using Cursor = AnalysisSession::Cursor;

// Record s: voltage 12 V + 1 mV a second, 2 A, capacity s / 2, four cells.
MeasurementRecord charge(int s)
{
    MeasurementRecord r;
    r.elapsedSeconds = s;
    r.voltage = 12.0f + 0.001f * static_cast<float>(s);
    r.current = 2.0f;
    r.capacity = s / 2;
    r.temperature = 25.0f;
    for (int c = 0; c < 4; ++c)
        r.cellVoltage[c] = 3.0f + 0.00025f * static_cast<float>(s) + 0.001f * static_cast<float>(c);
    r.chargeMode = 1;
    return r;
}

std::vector<MeasurementRecord> charges(int from, int count)
{
    std::vector<MeasurementRecord> rs;
    for (int s = from; s < from + count; ++s)
        rs.push_back(charge(s));
    return rs;
}

void append(const std::string& path, const std::vector<MeasurementRecord>& rs, std::size_t tail = 0)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    for (const MeasurementRecord& r : rs) {
        const RecordBytes b = toBytes(r);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    const std::string junk(tail, '\x7f');
    out.write(junk.data(), static_cast<std::streamsize>(junk.size()));
}

// Pixels of `colour` in a picture.
int pixelsOf(const QImage& image, const QColor& colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
    }
    return n;
}

// The labels of the visible legend entries of every plot.
QStringList legendLabels(PlotStack& stack)
{
    QStringList labels;
    for (QGraphicsItem* item : stack.scene()->items()) {
        auto* chart = dynamic_cast<QChart*>(item);
        if (chart == nullptr || !chart->legend()->isVisible())
            continue;
        for (QLegendMarker* marker : chart->legend()->markers()) {
            if (marker->isVisible())
                labels << marker->label();
        }
    }
    return labels;
}

class AnalysisWindowTest : public ::testing::Test {
protected:
    void open(const std::vector<std::string>& paths)
    {
        window_.resize(1280, 820);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        for (const std::string& p : paths)
            window_.openFile(QString::fromStdString(p));
        QCoreApplication::processEvents();
    }

    // The viewport point over shown time t in the first plot.
    QPoint pointAt(double t, double heightFraction = 0.5) const
    {
        PlotStack& stack = const_cast<AnalysisWindow&>(window_).plots();
        const QRectF area = stack.plotArea(0);
        const TimeView& view = const_cast<AnalysisWindow&>(window_).session().view();
        const double x = area.left() + (t - view.from()) / view.span() * area.width();
        return QPoint(static_cast<int>(std::lround(x)), static_cast<int>(area.top() + area.height() * heightFraction));
    }

    QString tableText(int row, int column) const
    {
        const QTableWidgetItem* item = window_.table()->item(row, column);
        return item ? item->text() : QString();
    }
    QString aggregate(const QString& label) const
    {
        QTableWidget* t = window_.aggregatesTable();
        for (int row = 0; row < t->rowCount(); ++row) {
            if (t->item(row, 0)->text() == label)
                return t->item(row, 1)->text();
        }
        return QStringLiteral("(missing)");
    }

    TempDir dir_;
    AnalysisWindow window_;
};

TEST_F(AnalysisWindowTest, OpensLogsOfAnyLengthAndSkipsATrailingFragment)
{
    const struct {
        const char* name;
        int records;
        std::size_t tail;
        int plots;   // with the basic traces on
        double span; // of the view
    } cases[] = {
        {"empty", 0, 0, 0, TimeView::kShortestSpan},
        {"one record", 1, 0, 4, TimeView::kShortestSpan},
        {"two records", 2, 0, 4, TimeView::kShortestSpan},
        {"a day", 86400, 0, 4, 86399},
        {"trailing fragment", 100, 17, 4, 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.file(std::string(c.name) + ".tvr");
        append(path, charges(1, c.records), c.tail);
        AnalysisWindow window;
        window.resize(1000, 700);
        window.show();
        ASSERT_TRUE(window.openFile(QString::fromStdString(path)));
        EXPECT_EQ(window.session().run(0).data().size(), static_cast<std::size_t>(c.records));
        EXPECT_EQ(window.session().run(0).trailingBytes(), static_cast<int>(c.tail));
        EXPECT_EQ(window.plots().plotCount(), c.plots);
        EXPECT_DOUBLE_EQ(window.session().view().span(), c.span);
        // The axis starts at the first sample: no empty half.
        if (c.records > 1) {
            EXPECT_EQ(window.session().view().from(), 1);
        }
        // Two samples and more draw the voltage line in its colour.
        const QImage shot = window.view()->viewport()->grab().toImage();
        if (c.records >= 2) {
            EXPECT_GT(pixelsOf(shot, PlotStack::traceColour(Trace::Voltage)), 10);
        }
    }
    // A file that cannot be read is told in a box that shows its name as text, not markup.
    AnalysisWindow window;
    const QString missing = QString::fromStdString(dir_.file("<b>missing</b>.tvr"));
    EXPECT_FALSE(window.openFile(missing));
    EXPECT_EQ(window.session().runCount(), 0u);
    QMessageBox* box = window.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains(missing));
    EXPECT_TRUE(box->informativeText().endsWith(QStringLiteral("No such file or directory")));
    for (QLabel* label : box->findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        }
    }
}

TEST_F(AnalysisWindowTest, ALogGrowingWhileOpenShowsTheNewRecords)
{
    const std::string path = dir_.file("live.tvr");
    append(path, charges(1, 30));
    open({path});
    window_.traceBox(Trace::Cell1)->setChecked(true);
    EXPECT_EQ(window_.session().view().to(), 30);
    const std::size_t before = window_.plots().pointsOf(0, Trace::Voltage).size();

    // A box zoom on the first plot stays while records arrive.
    window_.plots().setValueRange(0, AxisSpan{11.0, 13.0});
    append(path, charges(31, 10));
    window_.follow();
    ASSERT_TRUE(window_.plots().fixedValueRange(0).has_value());
    EXPECT_EQ(window_.plots().fixedValueRange(0)->maximum, 13.0);
    EXPECT_EQ(window_.session().run(0).data().size(), 40u);
    EXPECT_EQ(window_.session().view().to(), 40) << "the whole-run view follows the growing run";
    const std::vector<QPointF> points = window_.plots().pointsOf(0, Trace::Voltage);
    EXPECT_GT(points.size(), before);
    EXPECT_EQ(points.back().x(), 40);
    EXPECT_FLOAT_EQ(static_cast<float>(points.back().y()), charge(40).voltage);

    // The follow timer does the same on its own.
    append(path, charges(41, 5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_.session().run(0).data().size() == 45; }, 5000));
}

TEST_F(AnalysisWindowTest, AFollowedLogThatCannotBeReadAnyMoreIsToldInTheStatusLine)
{
    const std::string path = dir_.file("live.tvr");
    append(path, charges(1, 30));
    open({path});
    const QString hint = window_.statusLabel()->text();
    const struct {
        const char* step;
        bool readable; // after the step
        std::size_t records;
    } steps[] = {
        {"a folder takes the log's place", false, 30},
        {"still a folder: told once, nothing lost", false, 30},
        {"a log again", true, 5},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        std::filesystem::remove_all(path);
        if (s.readable)
            append(path, charges(1, 5));
        else
            std::filesystem::create_directory(path);
        window_.follow();
        EXPECT_EQ(window_.session().run(0).data().size(), s.records);
        const QString status = window_.statusLabel()->text();
        if (s.readable) {
            EXPECT_EQ(status, hint);
        } else {
            EXPECT_TRUE(status.startsWith(QStringLiteral("Cannot read ") + QString::fromStdString(path)))
                << status.toStdString();
        }
    }
}

TEST_F(AnalysisWindowTest, CursorsPlacedByMouseAndKeyboardFillTheTable)
{
    const std::string path = dir_.file("run.tvr");
    append(path, charges(1, 3601));
    open({path});
    PlotView* view = window_.view();

    // Left click: A near 0:10:00; right click: B near 0:40:00; both snap to a sample.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(600));
    QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, pointAt(2400));
    const std::optional<double> a = window_.session().cursorTime(Cursor::A);
    const std::optional<double> b = window_.session().cursorTime(Cursor::B);
    ASSERT_TRUE(a && b);
    const double secondsPerPixel = window_.session().view().span() / window_.plots().plotArea(0).width();
    EXPECT_NEAR(*a, 600, secondsPerPixel + 0.5);
    EXPECT_NEAR(*b, 2400, secondsPerPixel + 0.5);
    EXPECT_EQ(*a, std::round(*a)) << "snapped to a sample";

    // Keyboard: B active, 5 samples right, then A to the first sample.
    QTest::keyClick(view, Qt::Key_B);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(view, Qt::Key_Right);
    EXPECT_EQ(*window_.session().cursorTime(Cursor::B), *b + 5);
    QTest::keyClick(view, Qt::Key_A);
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(*window_.session().cursorTime(Cursor::A), 1);
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(*window_.session().cursorTime(Cursor::A), 61);

    // The table: voltage at A and B and their difference, the aggregates between.
    const double tb = *b + 5;
    ASSERT_EQ(window_.table()->item(0, 0)->text(), QStringLiteral("Voltage (V)"));
    EXPECT_EQ(tableText(0, 1), QStringLiteral("12.061"));
    EXPECT_EQ(tableText(0, 2), QString::number(12.0 + 0.001 * tb, 'f', 3));
    EXPECT_EQ(tableText(0, 3), QString::number(0.001 * (tb - 61), 'f', 3));
    EXPECT_EQ(aggregate(QStringLiteral("Duration")), QString::fromStdString(LogCsv::clock(static_cast<long>(tb) - 61)));
    EXPECT_EQ(aggregate(QStringLiteral("Mean current")), QStringLiteral("2.000 A"));
    EXPECT_EQ(aggregate(QStringLiteral("Delta mAh (integrated current)")),
              QString::number(2.0 * (tb - 61) / 3.6, 'f', 1) + QStringLiteral(" mAh"));
    EXPECT_EQ(window_.table()->horizontalHeaderItem(1)->text(), QStringLiteral("A 0:01:01"));
}

TEST_F(AnalysisWindowTest, ZoomPanBoxAndResetChangeTheVisibleRangeAsStated)
{
    const std::string path = dir_.file("run.tvr");
    append(path, charges(1, 7201));
    open({path});
    PlotView* view = window_.view();
    const TimeView& shown = window_.session().view();
    ASSERT_EQ(shown.from(), 1);
    ASSERT_EQ(shown.to(), 7201);

    // One wheel notch in at 1:00:00: the span shrinks by the wheel factor, 1:00:00 stays put.
    const QPoint at = pointAt(3600);
    const double before = window_.plots().timeAt(at.x());
    QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_NEAR(shown.span(), 7200 * PlotView::kWheelZoom, 1e-6);
    EXPECT_NEAR(window_.plots().timeAt(at.x()), before, 1e-6);

    // A left drag of 50 pixels to the left shows later times by 50 pixels' worth.
    const double perPixel = shown.span() / window_.plots().plotArea(0).width();
    const double from = shown.from();
    const QPoint start = pointAt(3600);
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent move(QEvent::MouseMove, start - QPoint(50, 0), view->viewport()->mapToGlobal(start - QPoint(50, 0)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, start - QPoint(50, 0));
    EXPECT_NEAR(shown.from() - from, 50 * perPixel, 1e-6);
    EXPECT_FALSE(window_.session().cursorTime(Cursor::A)) << "a drag places no cursor";

    // A right drag draws a box: the view becomes its times, the plot its values.
    const QPoint boxFrom = pointAt(3000, 0.25);
    const QPoint boxTo = pointAt(3300, 0.75);
    const double t0 = window_.plots().timeAt(boxFrom.x());
    const double t1 = window_.plots().timeAt(boxTo.x());
    QTest::mousePress(view->viewport(), Qt::RightButton, Qt::NoModifier, boxFrom);
    QMouseEvent drag(QEvent::MouseMove, boxTo, view->viewport()->mapToGlobal(boxTo), Qt::NoButton, Qt::RightButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drag);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, Qt::NoModifier, boxTo);
    EXPECT_NEAR(shown.from(), t0, 1e-6);
    EXPECT_NEAR(shown.to(), t1, 1e-6);
    EXPECT_TRUE(window_.plots().fixedValueRange(0).has_value());

    // R shows the whole run again with fitted values.
    QTest::keyClick(view, Qt::Key_R);
    EXPECT_EQ(shown.from(), 1);
    EXPECT_EQ(shown.to(), 7201);
    EXPECT_FALSE(window_.plots().fixedValueRange(0).has_value());
}

TEST_F(AnalysisWindowTest, ExportsAPictureOfTheAskedSizeAnSvgThatParsesAndTheCursorRangeAsCsv)
{
    const std::string path = dir_.file("run.tvr");
    const std::vector<MeasurementRecord> rs = charges(1, 1000);
    append(path, rs);
    open({path});
    window_.session().placeCursor(Cursor::A, 100.2);
    window_.session().placeCursor(Cursor::B, 250);
    window_.redraw();

    const QString png = QString::fromStdString(dir_.file("view.png"));
    ASSERT_TRUE(window_.exportPicture(png, QSize(640, 480)));
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(640, 480));

    const QString svg = QString::fromStdString(dir_.file("view.svg"));
    ASSERT_TRUE(window_.exportPicture(svg, QSize(900, 600)));
    QFile svgFile(svg);
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svgFile);
    int elements = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            ++elements;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(elements, 10);
    EXPECT_TRUE(QSvgRenderer(svg).isValid());
    EXPECT_FALSE(window_.exportPicture(QString::fromStdString(dir_.file("no/such/dir/x.png")), QSize(100, 100)));
    EXPECT_FALSE(window_.exportPicture(png, QSize(0, 100)));

    // Records 100..250 (A at 100.2 s snapped to 100), as trelvane-log csv prints them.
    const QString csv = QString::fromStdString(dir_.file("range.csv"));
    ASSERT_TRUE(window_.exportCsv(csv, false));
    std::string want = LogCsv::header() + "\n";
    for (int s = 100; s <= 250; ++s)
        want += LogCsv::row(rs[static_cast<std::size_t>(s - 1)]) + "\n";
    QFile csvFile(csv);
    ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(csvFile.readAll().toStdString(), want);

    ASSERT_TRUE(window_.exportCsv(csv, true));
    QFile all(csv);
    ASSERT_TRUE(all.open(QIODevice::ReadOnly));
    EXPECT_EQ(all.readAll().count('\n'), 1001);
}

TEST_F(AnalysisWindowTest, RunNamesInTheLegendAreTextNotMarkup)
{
    const std::string bold = dir_.file("<b>BOLD.tvr");
    const std::string italic = dir_.file("<i>ital.tvr");
    append(bold, charges(1, 100));
    append(italic, charges(1, 100));
    open({bold, italic});
    const QString svg = QString::fromStdString(dir_.file("legend.svg"));
    ASSERT_TRUE(window_.exportPicture(svg, QSize(1200, 800)));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString drawn;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::Characters)
            drawn += xml.text();
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(drawn.contains(QStringLiteral("<b>BOLD.tvr"))) << drawn.left(400).toStdString();
    EXPECT_TRUE(drawn.contains(QStringLiteral("<i>ital.tvr"))) << drawn.left(400).toStdString();
}

TEST(PictureFileName, TheChosenTypeDecidesTheExtensionOfANameWithoutOne)
{
    const QString png = QStringLiteral("PNG(*.png)");
    const QString svg = QStringLiteral("SVG(*.svg)");
    const struct {
        QString path;
        QString filter;
        QString written;
    } cases[] = {
        {"/d/view", svg, "/d/view.svg"},
        {"/d/view", png, "/d/view.png"},
        {"/d/view.svg", png, "/d/view.svg"}, // a name given in full is kept
        {"/d/view.PNG", svg, "/d/view.PNG"},
        {"/d/view.v2", svg, "/d/view.v2.svg"},
        {"", svg, ""}, // cancelled
    };
    for (const auto& c : cases)
        EXPECT_EQ(pictureFileName(c.path, c.filter), c.written) << c.path.toStdString() << " " << c.filter.toStdString();
}

// Writes fail past `bytes` while it lives, for root too; the signal that
// would end the process is ignored so that the write reports EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedSignal_)(int) = SIG_DFL;
};

TEST_F(AnalysisWindowTest, APictureThatCannotBeWrittenWholeIsAFailureAndLeavesNoFile)
{
    const std::string path = dir_.file("run.tvr");
    append(path, charges(1, 1000));
    open({path});
    const struct {
        const char* name;
        bool full; // the disk takes no more than a few bytes
    } cases[] = {
        {"no/such/folder/view.png", false},
        {"no/such/folder/view.svg", false},
        {"full.png", true},
        {"full.svg", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = QString::fromStdString(dir_.file(c.name));
        QString error;
        bool written = false;
        {
            std::optional<FileSizeLimit> limit;
            if (c.full)
                limit.emplace(512);
            written = window_.exportPicture(target, QSize(640, 480), &error);
        }
        EXPECT_FALSE(written) << QFileInfo(target).size();
        EXPECT_FALSE(error.isEmpty()) << error.toStdString();
        EXPECT_FALSE(QFile::exists(target)) << "a partial picture stays behind";
    }
}

TEST_F(AnalysisWindowTest, RunsOfDifferentLengthsAreOverlaidWithALegend)
{
    const std::string first = dir_.file("march.tvr");
    const std::string second = dir_.file("april.tvr");
    append(first, charges(1, 3000));
    append(second, charges(101, 1000)); // its first 100 records lost: aligned at its start
    open({first, second});
    EXPECT_EQ(window_.runList()->count(), 2);
    EXPECT_EQ(window_.runList()->item(1)->text(), QStringLiteral("april.tvr"));
    EXPECT_EQ(window_.session().offset(1), 100);
    const double column = window_.session().view().span() / window_.plots().plotArea(0).width();
    EXPECT_NEAR(window_.plots().pointsOf(1, Trace::Voltage).front().x(), 1, column);
    EXPECT_EQ(window_.session().view().to(), 3000);
    // The legend tells the runs apart: every trace once per run.
    const QStringList labels = legendLabels(window_.plots());
    EXPECT_TRUE(labels.contains(QStringLiteral("march.tvr: Voltage (V)"))) << labels.join(" | ").toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("april.tvr: Voltage (V)"))) << labels.join(" | ").toStdString();
    EXPECT_EQ(labels.filter(QStringLiteral("march.tvr: ")).size(), labels.filter(QStringLiteral("april.tvr: ")).size());

    // The second run carries the cursors: B on its sample at 0:05:00, A at 0:10:00, B onto A.
    window_.runList()->setCurrentRow(1);
    window_.session().placeCursor(Cursor::A, 600);
    window_.session().placeCursor(Cursor::B, 300);
    window_.alignAtCursors();
    EXPECT_EQ(window_.session().offset(1), 400 - 600);
    // Its sample recorded at 400 s now shows at 600 s.
    const std::vector<QPointF> shifted = window_.plots().pointsOf(1, Trace::Voltage);
    ASSERT_FALSE(shifted.empty());
    EXPECT_NEAR(shifted.front().x(), 101 + 200, column);
}

} // namespace
