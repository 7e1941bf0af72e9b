// trelvane-gallery OUTDIR: renders the four chart panels and the detail chart
// before the first sample, in the middle of a charge and after replaying a
// long run, plus the looks of both button set-ups, as PNG files in OUTDIR.
#include "SyntheticCharge.h"

#include "analysis/AnalysisWindow.h"
#include "charts/CDetailPanel.h"
#include "charts/CQuantityChart.h"
#include "charts/ChartInstance.h"
#include "controls/CImageButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPixmap>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

const char* quantityName(Quantity quantity)
{
    switch (quantity) {
    case Quantity::Capacity: return "capacity";
    case Quantity::Voltage: return "voltage";
    case Quantity::Temperature: return "temperature";
    case Quantity::Current: return "current";
    }
    return "unknown";
}

bool save(const QPixmap& picture, const QDir& dir, const QString& name)
{
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (!picture.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void clickAt(QWidget& widget, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

bool renderCharts(const ChartState& state, const QString& stage, bool withCursor, const QDir& dir)
{
    bool ok = true;
    for (const ChartInstance& instance : kChartInstances) {
        CQuantityChart chart(instance, state);
        ok &= save(chart.grab(), dir, QStringLiteral("panel-%1-%2").arg(quantityName(instance.quantity), stage));
    }
    for (const DetailQuantity& quantity : kDetailQuantities) {
        SharedWords words;
        CDetailPanel detail(state, words);
        detail.selectQuantity(quantity.series);
        if (withCursor)
            clickAt(detail, {420, 325});
        ok &= save(detail.grab(), dir, QStringLiteral("detail-%1-%2").arg(quantityName(quantity.quantity), stage));
    }
    return ok;
}

bool renderButtons(const QDir& dir)
{
    const ChartState state;
    bool ok = true;
    const std::pair<int, const char*> buttons[] = {{CDetailPanel::kExitButtonId, "full"}, {1018, "short"}};
    for (const auto& [id, recipe] : buttons) {
        for (const char* look : {"normal", "over", "pressed"}) {
            SharedWords words;
            CDetailPanel detail(state, words);
            CImageButton* button = detail.button(id);
            const QString name = QStringLiteral("button-%1-%2").arg(recipe, look);
            if (qstrcmp(look, "over") == 0) {
                const QPointF centre = QRectF(button->rect()).center();
                QEnterEvent enter(centre, button->mapToGlobal(centre), button->mapToGlobal(centre));
                QApplication::sendEvent(button, &enter);
            } else if (qstrcmp(look, "pressed") == 0) {
                button->setDown(true);
            }
            // Enlarged without smoothing, so single pixels of the edge stay visible.
            const QPixmap picture = detail.grab(button->geometry().adjusted(-6, -6, 6, 6));
            ok &= save(picture.scaled(picture.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation), dir, name);
        }
    }
    return ok;
}

// The analysis window on a long charge with its cells and cursors, and two
// charges of the same pack compared.
bool renderAnalysis(const QDir& dir)
{
    const std::string first = dir.filePath(QStringLiteral("gallery-analysis-1.tvr")).toStdString();
    const std::string second = dir.filePath(QStringLiteral("gallery-analysis-2.tvr")).toStdString();
    // The second charge: the same pack a month later, a little weaker.
    QFile later(QString::fromStdString(second));
    bool written = SyntheticCharge::writeLog(first, 5400) && later.open(QIODevice::WriteOnly);
    for (int s = 1; written && s <= 4600; ++s) {
        MeasurementRecord r = SyntheticCharge::sample(s * 5400 / 4600);
        r.elapsedSeconds = s;
        r.voltage += 0.12f;
        r.capacity = r.capacity * 4600 / 5400;
        const RecordBytes bytes = toBytes(r);
        written = later.write(reinterpret_cast<const char*>(bytes.data()), kRecordSize) == static_cast<qint64>(kRecordSize);
    }
    later.close();
    if (!written) {
        std::fprintf(stderr, "cannot write the analysis logs\n");
        return false;
    }
    bool ok = true;
    {
        AnalysisWindow window;
        window.resize(1400, 860);
        window.show();
        window.openFile(QString::fromStdString(first));
        window.traceBox(Trace::Cell1)->setChecked(true);
        for (int cell = 1; cell < 4; ++cell)
            window.traceBox(cellTrace(cell))->setChecked(true);
        window.traceBox(Trace::Charge)->setChecked(true);
        window.traceBox(Trace::Temperature)->setChecked(false);
        window.session().placeCursor(AnalysisSession::Cursor::A, 600);
        window.session().placeCursor(AnalysisSession::Cursor::B, 2400);
        window.redraw();
        QApplication::processEvents();
        ok &= save(window.grab(), dir, QStringLiteral("analysis-window"));
    }
    {
        AnalysisWindow window;
        window.resize(1400, 860);
        window.show();
        window.openFiles({QString::fromStdString(first), QString::fromStdString(second)});
        window.traceBox(Trace::Temperature)->setChecked(false);
        window.traceBox(Trace::Capacity)->setChecked(false);
        window.traceBox(Trace::Energy)->setChecked(true);
        window.redraw();
        QApplication::processEvents();
        ok &= save(window.grab(), dir, QStringLiteral("analysis-compare"));
    }
    QFile::remove(QString::fromStdString(first));
    QFile::remove(QString::fromStdString(second));
    return ok;
}

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: trelvane-gallery OUTDIR\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    bool ok = renderCharts(ChartState{}, QStringLiteral("empty"), false, dir);

    const std::vector<std::pair<int, QString>> runs = {{150, QStringLiteral("midcharge")},
                                                       {5000, QStringLiteral("longrun")}};
    for (const auto& [seconds, stage] : runs) {
        const std::string log = dir.filePath(QStringLiteral("gallery-%1.tvr").arg(stage)).toStdString();
        ChartState state;
        if (!SyntheticCharge::writeLog(log, seconds) || !SyntheticCharge::replay(log, state)) {
            std::fprintf(stderr, "cannot write or replay %s\n", log.c_str());
            ok = false;
            continue;
        }
        QFile::remove(QString::fromStdString(log));
        ok &= renderCharts(state, stage, true, dir);
    }

    ok &= renderButtons(dir);
    ok &= renderAnalysis(dir);
    return ok ? 0 : 1;
}
