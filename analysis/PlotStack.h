#pragma once

#include "analysis/RunData.h"
#include "analysis/TimeAxis.h"

#include <QColor>
#include <QGraphicsScene>
#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QChart;
class QGraphicsLineItem;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QPainter;
class QValueAxis;

// One open run as the plots see it.
struct PlotRun {
    const RunData* data = nullptr;
    QString name;
    double offset = 0; // seconds subtracted from the run's times
};

// The analysis plots: one chart per kind of quantity that has a chosen trace
// (voltage, current, capacity and integrated charge, temperature, cells,
// spread, power, energy), stacked and sharing one time axis, drawn by Qt
// Charts in a graphics scene. Every trace is fed decimated to the pixel
// columns of its plot, so the scene never holds more than two points per
// column whatever the length of the run. The same stack draws the window's
// view and the exported pictures.
class PlotStack : public QObject {
    Q_OBJECT
public:
    static constexpr int kLeftMargin = 64;  // room for value labels
    static constexpr int kRightMargin = 32; // half an h:mm:ss label
    static constexpr int kTopMargin = 30;   // room for the legend
    static constexpr int kBottomMargin = 10; // half a value label below the lowest tick
    static constexpr int kTimeLabels = 22;  // under the last plot

    PlotStack();
    ~PlotStack() override;

    QGraphicsScene* scene() { return &scene_; }

    void setRuns(std::vector<PlotRun> runs);
    void setTraces(std::vector<Trace> traces);
    void setTimeRange(double from, double to);
    void setCursors(std::optional<double> a, std::optional<double> b);
    // A value range fixed by a box zoom for one plot; nothing: fit the data.
    void setValueRange(int plot, std::optional<AxisSpan> span);
    void clearValueRanges();
    std::optional<AxisSpan> fixedValueRange(int plot) const { return plots_[static_cast<std::size_t>(plot)].fixed; }
    void setSize(QSizeF size);
    QSizeF size() const { return size_; }

    // Feeds the series and axes from the present settings.
    void refresh();

    int plotCount() const { return static_cast<int>(plots_.size()); }
    PlotGroup plotGroup(int plot) const { return plots_[static_cast<std::size_t>(plot)].group; }
    // The plot area of a plot in scene coordinates.
    QRectF plotArea(int plot) const;
    // The plot at a scene point, -1 if none.
    int plotAt(QPointF point) const;
    double timeAt(double sceneX) const;
    double valueAt(int plot, double sceneY) const;
    AxisSpan valueRange(int plot) const;
    // The traces drawn in a plot, with the run they belong to.
    std::vector<std::pair<int, Trace>> tracesOf(int plot) const;
    // Points of a run's trace as last fed to the chart.
    std::vector<QPointF> pointsOf(int run, Trace trace) const;

    void render(QPainter& painter, const QRectF& target);

    static QColor runColour(int run);
    static QColor traceColour(Trace trace);

private:
    struct Series {
        int run;
        Trace trace;
        QLineSeries* line;
    };
    struct Plot {
        PlotGroup group;
        QChart* chart = nullptr;
        QValueAxis* values = nullptr;
        QValueAxis* times = nullptr;
        QLineSeries* cursorA = nullptr;
        QLineSeries* cursorB = nullptr;
        std::vector<Series> series;
        std::vector<QGraphicsLineItem*> timeGrid; // behind the chart
        std::optional<AxisSpan> fixed;
        AxisSpan shown;
    };

    void rebuild();
    void layoutPlots();
    void feed(Plot& plot, int columns);
    void setTimeTicks(int columns);

    QGraphicsScene scene_;
    std::vector<PlotRun> runs_;
    std::vector<Trace> traces_;
    std::vector<Plot> plots_;
    double from_ = 0;
    double to_ = 1;
    std::optional<double> cursorA_;
    std::optional<double> cursorB_;
    QSizeF size_{800, 600};
    // The h:mm:ss labels under the last plot, placed by hand: cheaper than
    // an axis that lays its labels out anew whenever the view moves.
    std::vector<QGraphicsSimpleTextItem*> timeLabels_;
};
