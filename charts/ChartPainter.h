#pragma once

#include "charts/ChartInstance.h"
#include "recording/ChartState.h"

#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>

#include <memory>

class QPainter;
class QRect;

// The charts' 9-point "Arial" and its ascent: made once per panel, not for
// every label of every paint.
struct ChartFont {
    ChartFont();
    QFont font;
    int ascent = 0;
};

// The drawing pieces the small chart panels and the detail chart share: the
// stretched background, text at a top-left reference point (upright or
// running upward), the time and value axes, the plot fill and the series
// polyline. Lines leave their end point unpainted, as the charts expect.
class ChartPainter {
public:
    // Lines are clipped to [0, area) in the painter's coordinates; an empty
    // area means the whole paint device.
    explicit ChartPainter(QPainter& painter, QSize area = {});
    ChartPainter(QPainter& painter, const ChartFont& font, QSize area = {});
    ~ChartPainter();

    // The 9-point "Arial" of the charts.
    static QFont labelFont();
    static QColor toQColor(ChartColour colour);

    void drawBackground(int bitmapId, const QRect& client);
    void setTextColour(const QColor& colour) { textColour_ = colour; }
    void drawText(ChartPoint at, const QString& text);
    void drawRotatedText(ChartPoint at, const QString& text);

    // From (x1, y1) towards (x2, y2), the end point excluded; no antialiasing.
    void drawLine(int x1, int y1, int x2, int y2, const QColor& colour, int width = 1);

    // Eleven ticks below the plot with their clock-time labels.
    void drawTimeAxis(const PlotRect& plot, int timeSpan);
    // ticks + 1 ticks left of the plot, labelled min + (max - min) * i * step.
    void drawValueAxis(const PlotRect& plot, const AxisRange& range, int ticks, float step, int labelX);
    void fillPlot(const PlotRect& plot, const QColor& colour);

    // The history of one quantity as a polyline, entry i at x = left + i * xScale.
    // NaN samples break the line rather than being drawn anywhere.
    void drawSeries(const ChartState& state, Quantity quantity, const PlotRect& plot, const AxisRange& range,
                    const QColor& colour, bool holdFirstPointAtBottom);

private:
    // Font and pen for text, set on the painter only when they change.
    void prepareText();

    QPainter& painter_;
    std::unique_ptr<ChartFont> ownFont_; // when the caller keeps none
    const ChartFont& font_;
    QSize area_;
    QColor textColour_ = Qt::black;
    bool fontSet_ = false;
    QColor penColour_;
    bool penSet_ = false;
};
