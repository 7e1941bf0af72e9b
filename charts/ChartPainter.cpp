#include "charts/ChartPainter.h"

#include "charts/ChartMath.h"
#include "res/Bitmaps.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPaintDevice>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr int kTimeTicks = 10;
constexpr int kTickLength = 5;
const QColor kTickColour = Qt::black;
}

ChartFont::ChartFont() : font(ChartPainter::labelFont()), ascent(QFontMetrics(font).ascent())
{
}

ChartPainter::ChartPainter(QPainter& painter, QSize area)
    : painter_(painter)
    , ownFont_(std::make_unique<ChartFont>())
    , font_(*ownFont_)
    , area_(area.isEmpty() ? QSize(painter.device()->width(), painter.device()->height()) : area)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

ChartPainter::ChartPainter(QPainter& painter, const ChartFont& font, QSize area)
    : painter_(painter)
    , font_(font)
    , area_(area.isEmpty() ? QSize(painter.device()->width(), painter.device()->height()) : area)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

ChartPainter::~ChartPainter() = default;

void ChartPainter::prepareText()
{
    if (!fontSet_) {
        painter_.setFont(font_.font);
        fontSet_ = true;
    }
    if (!penSet_ || penColour_ != textColour_) {
        painter_.setPen(textColour_);
        penColour_ = textColour_;
        penSet_ = true;
    }
}

QFont ChartPainter::labelFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    return font;
}

QColor ChartPainter::toQColor(ChartColour colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

void ChartPainter::drawBackground(int bitmapId, const QRect& client)
{
    drawStretchedBitmap(painter_, client, bitmapId);
}

void ChartPainter::drawText(ChartPoint at, const QString& text)
{
    prepareText();
    painter_.drawText(at.x, at.y + font_.ascent, text);
}

void ChartPainter::drawRotatedText(ChartPoint at, const QString& text)
{
    prepareText();
    painter_.save();
    painter_.translate(at.x, at.y);
    painter_.rotate(-90.0);
    painter_.drawText(0, font_.ascent, text);
    painter_.restore();
}

void ChartPainter::drawLine(int x1, int y1, int x2, int y2, const QColor& colour, int width)
{
    if (width > 1) {
        QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter_.setPen(pen);
        penSet_ = false; // text sets its own pen again
        painter_.drawLine(x1, y1, x2, y2);
        return;
    }
    // Qt's own thin lines leave out whichever end lies further right or down,
    // not the end point; rasterising here keeps the start and drops the end,
    // and fills each run of the line (along a row or a column) at once.
    ChartMath::forEachLineRun(x1, y1, x2, y2, 0, 0, area_.width(), area_.height(),
                              [&](int left, int top, int right, int bottom) {
                                  painter_.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), colour);
                              });
}

void ChartPainter::drawTimeAxis(const PlotRect& plot, int timeSpan)
{
    const int spacing = plot.width() / kTimeTicks;
    for (int i = 0; i <= kTimeTicks; ++i) {
        const int x = plot.left + i * spacing;
        drawLine(x, plot.bottom, x, plot.bottom + kTickLength, kTickColour);
        drawText({x - 30, plot.bottom + kTickLength}, QString::fromStdString(ChartMath::timeLabel(timeSpan, i)));
    }
}

void ChartPainter::drawValueAxis(const PlotRect& plot, const AxisRange& range, int ticks, float step, int labelX)
{
    const int spacing = plot.height() / ticks;
    for (int i = 0; i <= ticks; ++i) {
        const int y = plot.bottom - i * spacing;
        drawLine(plot.left, y, plot.left - kTickLength, y, kTickColour);
        const double value = ChartMath::valueLabelValue(range.minimum, range.maximum, i, step);
        drawText({labelX, y - 8}, QString::fromStdString(ChartMath::formatValue(value)));
    }
}

void ChartPainter::fillPlot(const PlotRect& plot, const QColor& colour)
{
    painter_.fillRect(QRect(plot.left, plot.top, plot.width(), plot.height()), colour);
}

void ChartPainter::drawSeries(const ChartState& state, Quantity quantity, const PlotRect& plot,
                              const AxisRange& range, const QColor& colour, bool holdFirstPointAtBottom)
{
    const int count = std::clamp(state.historyCount, 0, kHistoryCapacity);
    bool havePrevious = false;
    int previousX = 0;
    int previousY = 0;
    for (int i = 0; i < count; ++i) {
        const double value = quantityValue(state.history[static_cast<std::size_t>(i)], quantity);
        if (std::isnan(value)) {
            havePrevious = false;
            continue;
        }
        const int x = ChartMath::clampCoordinate(static_cast<double>(plot.left) + static_cast<double>(i) * state.xScale);
        int y = ChartMath::valueToY(value, range.minimum, range.maximum, plot.top, plot.bottom);
        if (i == 0 && holdFirstPointAtBottom && y > plot.bottom)
            y = plot.bottom;
        if (havePrevious)
            drawLine(previousX, previousY, x, y, colour, state.seriesPenWidth);
        havePrevious = true;
        previousX = x;
        previousY = y;
    }
}
