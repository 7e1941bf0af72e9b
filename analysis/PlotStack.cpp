#include "analysis/PlotStack.h"

#include "analysis/Decimation.h"

#include <QChart>
#include <QLegend>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMostValueTicks = 6;
constexpr int kPixelsPerTimeTick = 90; // an "h:mm:ss" label with room around it
constexpr int kMostRunColours = 8;
const QColor kCursorA(200, 30, 30);
const QColor kCursorB(30, 80, 200);

const QColor kRunColours[kMostRunColours] = {
    QColor(31, 119, 180), QColor(214, 39, 40),  QColor(44, 160, 44),   QColor(148, 103, 189),
    QColor(255, 127, 14), QColor(23, 190, 207), QColor(140, 86, 75),   QColor(227, 119, 194),
};

const QColor kTraceColours[kTraceCount] = {
    QColor(31, 119, 180),  // voltage
    QColor(214, 39, 40),   // current
    QColor(44, 160, 44),   // capacity
    QColor(255, 127, 14),  // temperature
    QColor(31, 119, 180),  QColor(214, 39, 40), QColor(44, 160, 44), QColor(148, 103, 189), // cells 1-4
    QColor(255, 127, 14),  QColor(23, 190, 207), QColor(140, 86, 75), QColor(227, 119, 194), // cells 5-8
    QColor(148, 103, 189), // spread
    QColor(140, 86, 75),   // power
    QColor(23, 150, 160),  // energy
    QColor(20, 100, 20),   // charge, beside the capacity
};

// Within one plot of several runs, the traces of a run differ by line style.
constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};

void hideFromLegend(QChart* chart, QLineSeries* series)
{
    for (QLegendMarker* marker : chart->legend()->markers(series))
        marker->setVisible(false);
}

} // namespace

PlotStack::PlotStack()
{
    scene_.setBackgroundBrush(Qt::white);
}

PlotStack::~PlotStack()
{
    scene_.clear();
}

QColor PlotStack::runColour(int run)
{
    return kRunColours[static_cast<std::size_t>(run) % kMostRunColours];
}

QColor PlotStack::traceColour(Trace trace)
{
    return kTraceColours[index(trace)];
}

void PlotStack::setRuns(std::vector<PlotRun> runs)
{
    runs_ = std::move(runs);
    rebuild();
}

void PlotStack::setTraces(std::vector<Trace> traces)
{
    traces_ = std::move(traces);
    rebuild();
}

void PlotStack::setTimeRange(double from, double to)
{
    from_ = from;
    to_ = to > from ? to : from + 1;
}

void PlotStack::setCursors(std::optional<double> a, std::optional<double> b)
{
    cursorA_ = a;
    cursorB_ = b;
}

void PlotStack::setValueRange(int plot, std::optional<AxisSpan> span)
{
    if (plot >= 0 && plot < plotCount())
        plots_[static_cast<std::size_t>(plot)].fixed = span;
}

void PlotStack::clearValueRanges()
{
    for (Plot& plot : plots_)
        plot.fixed.reset();
}

void PlotStack::setSize(QSizeF size)
{
    size_ = size;
    layoutPlots();
}

void PlotStack::rebuild()
{
    scene_.clear();
    plots_.clear();
    timeLabels_.clear();
    for (std::size_t g = 0; g < kPlotGroupCount; ++g) {
        const auto group = static_cast<PlotGroup>(g);
        Plot plot;
        plot.group = group;
        for (std::size_t r = 0; r < runs_.size(); ++r) {
            for (Trace trace : traces_) {
                if (traceInfo(trace).group == group && runs_[r].data && runs_[r].data->has(trace))
                    plot.series.push_back({static_cast<int>(r), trace, nullptr});
            }
        }
        if (plot.series.empty())
            continue;

        auto* chart = new QChart;
        chart->setMargins(QMargins(0, 0, 0, 0));
        chart->setBackgroundRoundness(0);
        // The scene is white; the time grid is drawn under the transparent chart.
        chart->setBackgroundVisible(false);
        chart->setAnimationOptions(QChart::NoAnimation);
        // The legend sits in the top margin, out of the chart's own layout,
        // which would otherwise take room from the value axis.
        chart->legend()->setAlignment(Qt::AlignTop);
        chart->legend()->setContentsMargins(0, 0, 0, 0);
        chart->legend()->detachFromChart();
        chart->legend()->setMarkerShape(QLegend::MarkerShapeRectangle);
        plot.values = new QValueAxis;
        plot.values->setTruncateLabels(false); // the margin is the same in every plot, so labels may not shrink
        plot.times = new QValueAxis;
        plot.times->setVisible(false); // maps the series; the grid and labels are drawn here
        chart->addAxis(plot.times, Qt::AlignBottom);
        chart->addAxis(plot.values, Qt::AlignLeft);

        const bool several = runs_.size() > 1;
        std::vector<int> styleOfRun(runs_.size(), 0);
        for (Series& s : plot.series) {
            auto* line = new QLineSeries;
            const TraceInfo& info = traceInfo(s.trace);
            const QString label = QStringLiteral("%1 (%2)").arg(QString::fromUtf8(info.label), QString::fromUtf8(info.unit));
            // Legend labels are markup: a file named "<b>x.tvr" is shown as it is.
            line->setName(several ? runs_[static_cast<std::size_t>(s.run)].name.toHtmlEscaped() + QStringLiteral(": ") + label
                                  : label);
            QPen pen(several ? runColour(s.run) : traceColour(s.trace));
            pen.setWidth(1); // the raster engine's fast line path; wider pens go through the stroker
            pen.setCosmetic(true);
            int& style = styleOfRun[static_cast<std::size_t>(s.run)];
            pen.setStyle(several ? kStyles[style++ % std::size(kStyles)] : Qt::SolidLine);
            if (!several && s.trace == Trace::Charge)
                pen.setStyle(Qt::DashLine); // the integral beside the charger's own figure
            line->setPen(pen);
            chart->addSeries(line);
            line->attachAxis(plot.times);
            line->attachAxis(plot.values);
            s.line = line;
        }
        const auto cursor = [&](const QColor& colour, const QString& name) {
            auto* line = new QLineSeries;
            line->setName(name);
            QPen pen(colour);
            pen.setWidth(1);
            pen.setCosmetic(true);
            pen.setStyle(Qt::DashLine);
            line->setPen(pen);
            chart->addSeries(line);
            line->attachAxis(plot.times);
            line->attachAxis(plot.values);
            hideFromLegend(chart, line);
            return line;
        };
        plot.cursorA = cursor(kCursorA, QStringLiteral("A"));
        plot.cursorB = cursor(kCursorB, QStringLiteral("B"));
        plot.chart = chart;
        scene_.addItem(chart);
        plots_.push_back(std::move(plot));
    }
    layoutPlots();
}

void PlotStack::layoutPlots()
{
    scene_.setSceneRect(QRectF(QPointF(0, 0), size_));
    if (plots_.empty())
        return;
    const double height = size_.height() / static_cast<double>(plots_.size());
    for (std::size_t p = 0; p < plots_.size(); ++p) {
        const bool last = p + 1 == plots_.size();
        QChart* chart = plots_[p].chart;
        const QRectF frame(0, std::floor(height * static_cast<double>(p)), size_.width(),
                           std::floor(height * static_cast<double>(p + 1)) - std::floor(height * static_cast<double>(p)));
        chart->setGeometry(frame);
        // The same left and right edges in every plot, so one time lines up through the stack.
        const double bottom = last ? kTimeLabels + kBottomMargin : kBottomMargin;
        chart->setPlotArea(QRectF(kLeftMargin, kTopMargin, std::max(10.0, frame.width() - kLeftMargin - kRightMargin),
                                  std::max(10.0, frame.height() - kTopMargin - bottom)));
        chart->legend()->setGeometry(QRectF(kLeftMargin, 2, std::max(10.0, frame.width() - kLeftMargin - kRightMargin), kTopMargin - 4));
        chart->legend()->update();
        // Lay the chart out now: a picture is drawn without an event loop.
        chart->layout()->activate();
    }
}

QRectF PlotStack::plotArea(int plot) const
{
    const Plot& p = plots_[static_cast<std::size_t>(plot)];
    return p.chart->plotArea().translated(p.chart->pos());
}

int PlotStack::plotAt(QPointF point) const
{
    for (int p = 0; p < plotCount(); ++p) {
        if (plots_[static_cast<std::size_t>(p)].chart->geometry().contains(point))
            return p;
    }
    return -1;
}

double PlotStack::timeAt(double sceneX) const
{
    if (plots_.empty())
        return from_;
    const QRectF area = plotArea(0);
    return from_ + (sceneX - area.left()) / area.width() * (to_ - from_);
}

double PlotStack::valueAt(int plot, double sceneY) const
{
    const QRectF area = plotArea(plot);
    const AxisSpan span = valueRange(plot);
    return span.maximum - (sceneY - area.top()) / area.height() * (span.maximum - span.minimum);
}

AxisSpan PlotStack::valueRange(int plot) const
{
    return plots_[static_cast<std::size_t>(plot)].shown;
}

std::vector<std::pair<int, Trace>> PlotStack::tracesOf(int plot) const
{
    std::vector<std::pair<int, Trace>> out;
    for (const Series& s : plots_[static_cast<std::size_t>(plot)].series)
        out.emplace_back(s.run, s.trace);
    return out;
}

std::vector<QPointF> PlotStack::pointsOf(int run, Trace trace) const
{
    for (const Plot& plot : plots_) {
        for (const Series& s : plot.series) {
            if (s.run == run && s.trace == trace) {
                const QList<QPointF> points = s.line->points();
                return {points.begin(), points.end()};
            }
        }
    }
    return {};
}

void PlotStack::refresh()
{
    if (plots_.empty())
        return;
    const int columns = std::max(1, static_cast<int>(plots_.front().chart->plotArea().width()));
    for (Plot& plot : plots_) {
        feed(plot, columns);
        // Laid out now: a picture is drawn without an event loop.
        plot.chart->layout()->activate();
    }
    setTimeTicks(columns);
}

void PlotStack::feed(Plot& plot, int columns)
{
    Extent visible;
    Extent any;
    for (Series& s : plot.series) {
        const PlotRun& run = runs_[static_cast<std::size_t>(s.run)];
        const std::vector<PlotPoint> points = decimate(*run.data, s.trace, from_, to_, columns, run.offset);
        QList<QPointF> list;
        list.reserve(static_cast<qsizetype>(points.size()));
        for (const PlotPoint& p : points) {
            list.append(QPointF(p.time, p.value));
            any.take(p.value);
        }
        visible.merge(visibleExtent(points, from_, to_));
        s.line->replace(list);
    }
    // Between two samples nothing lies inside the view: fit the neighbours.
    const Extent& values = visible.empty() ? any : visible;
    // Fitted axes end on round ticks; a box keeps the values it was drawn around.
    const AxisSpan fitted = plot.fixed ? *plot.fixed : fitAxis(values.minimum, values.maximum);
    const ValueStep step = niceStep(fitted.maximum - fitted.minimum, kMostValueTicks);
    plot.shown = fitted;
    int ticks = kMostValueTicks;
    if (!plot.fixed) {
        plot.shown = {std::floor(fitted.minimum / step.step) * step.step, std::ceil(fitted.maximum / step.step) * step.step};
        ticks = static_cast<int>(std::lround((plot.shown.maximum - plot.shown.minimum) / step.step)) + 1;
    }
    plot.values->setTickType(QValueAxis::TicksFixed);
    plot.values->setTickCount(std::clamp(ticks, 2, kMostValueTicks + 2));
    plot.values->setLabelFormat(QStringLiteral("%.%1f").arg(plot.fixed ? step.decimals + 1 : step.decimals));
    plot.values->setRange(plot.shown.minimum, plot.shown.maximum);

    const auto place = [&](QLineSeries* line, const std::optional<double>& at) {
        if (at && *at >= from_ && *at <= to_)
            line->replace({QPointF(*at, plot.shown.minimum), QPointF(*at, plot.shown.maximum)});
        else
            line->clear();
    };
    place(plot.cursorA, cursorA_);
    place(plot.cursorB, cursorB_);
}

void PlotStack::setTimeTicks(int columns)
{
    const std::vector<TimeTick> ticks = timeTicks(from_, to_, std::max(1, columns / kPixelsPerTimeTick));
    // Grid lines on the ticks in every plot; labels under the last one.
    for (std::size_t p = 0; p < plots_.size(); ++p) {
        Plot& plot = plots_[p];
        plot.times->setRange(from_, to_);
        const QRectF area = plotArea(static_cast<int>(p));
        while (plot.timeGrid.size() < ticks.size()) {
            auto* line = new QGraphicsLineItem;
            line->setPen(QPen(QColor(225, 225, 225), 0));
            line->setZValue(-1);
            scene_.addItem(line);
            plot.timeGrid.push_back(line);
        }
        for (std::size_t i = 0; i < plot.timeGrid.size(); ++i) {
            plot.timeGrid[i]->setVisible(i < ticks.size());
            if (i < ticks.size()) {
                const double x = std::round(area.left() + (ticks[i].time - from_) / (to_ - from_) * area.width());
                plot.timeGrid[i]->setLine(x, area.top(), x, area.bottom());
            }
        }
    }
    while (timeLabels_.size() < ticks.size()) {
        auto* label = new QGraphicsSimpleTextItem;
        label->setBrush(QColor(60, 60, 60));
        scene_.addItem(label);
        timeLabels_.push_back(label);
    }
    const QRectF area = plotArea(plotCount() - 1);
    for (std::size_t i = 0; i < timeLabels_.size(); ++i) {
        QGraphicsSimpleTextItem* label = timeLabels_[i];
        label->setVisible(i < ticks.size());
        if (i >= ticks.size())
            continue;
        label->setText(QString::fromStdString(ticks[i].label));
        const double x = area.left() + (ticks[i].time - from_) / (to_ - from_) * area.width();
        label->setPos(std::round(x - label->boundingRect().width() / 2), area.bottom() + 4);
    }
}

void PlotStack::render(QPainter& painter, const QRectF& target)
{
    scene_.render(&painter, target, QRectF(QPointF(0, 0), size_));
}
