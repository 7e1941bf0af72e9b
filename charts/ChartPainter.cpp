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

ChartPainter::ChartPainter(QPainter& painter, QSize area)
    : painter_(painter)
    , area_(area.isEmpty() ? QSize(painter.device()->width(), painter.device()->height()) : area)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
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
    const QFont font = labelFont();
    painter_.setFont(font);
    painter_.setPen(textColour_);
    painter_.drawText(at.x, at.y + QFontMetrics(font).ascent(), text);
}

void ChartPainter::drawRotatedText(ChartPoint at, const QString& text)
{
    const QFont font = labelFont();
    painter_.save();
    painter_.setFont(font);
    painter_.setPen(textColour_);
    painter_.translate(at.x, at.y);
    painter_.rotate(-90.0);
    painter_.drawText(0, QFontMetrics(font).ascent(), text);
    painter_.restore();
}

void ChartPainter::drawLine(int x1, int y1, int x2, int y2, const QColor& colour, int width)
{
    if (width > 1) {
        QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter_.setPen(pen);
        painter_.drawLine(x1, y1, x2, y2);
        return;
    }
    // Qt's own thin lines leave out whichever end lies further right or down,
    // not the end point; rasterising here keeps the start and drops the end.
    const std::vector<ChartMath::Pixel> pixels =
        ChartMath::linePixels(x1, y1, x2, y2, 0, 0, area_.width(), area_.height());
    if (pixels.empty())
        return;
    // Consecutive pixels of a thin line form runs along a row (flat lines) or a
    // column (steep ones): one fill per run instead of one point per pixel.
    std::size_t start = 0;
    for (std::size_t i = 1; i <= pixels.size(); ++i) {
        if (i < pixels.size()) {
            const ChartMath::Pixel& first = pixels[start];
            const ChartMath::Pixel& previous = pixels[i - 1];
            const ChartMath::Pixel& next = pixels[i];
            const bool column = next.x == first.x && std::abs(next.y - previous.y) == 1;
            const bool row = next.y == first.y && std::abs(next.x - previous.x) == 1;
            if (column || row)
                continue;
        }
        const ChartMath::Pixel& a = pixels[start];
        const ChartMath::Pixel& b = pixels[i - 1];
        const QPoint topLeft(std::min(a.x, b.x), std::min(a.y, b.y));
        const QPoint bottomRight(std::max(a.x, b.x), std::max(a.y, b.y));
        painter_.fillRect(QRect(topLeft, bottomRight), colour);
        start = i;
    }
    // The painter is left as drawing the points left it: with the line's pen.
    QPen pen(colour);
    pen.setWidth(1);
    pen.setCosmetic(true);
    painter_.setPen(pen);
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
