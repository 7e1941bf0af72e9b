#include "charts/CQuantityChart.h"

#include "charts/ChartPainter.h"

#include <QPainter>

namespace {
constexpr ChartPoint kReadoutAt{27, 90};
constexpr int kValueTicks = 5;
constexpr float kValueStep = 0.2f;
}

CQuantityChart::CQuantityChart(const ChartInstance& instance, const ChartState& state, QWidget* parent)
    : QWidget(parent), instance_(instance), state_(state)
{
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setContentsMargins(kEdge, kEdge, kEdge, kEdge);
}

void CQuantityChart::paintStaticEdge(QPainter& painter) const
{
    // Sunken: shadow along the top and left, highlight along the bottom and right.
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    painter.fillRect(0, 0, width(), kEdge, shadow);
    painter.fillRect(0, 0, kEdge, height(), shadow);
    painter.fillRect(0, height() - kEdge, width(), kEdge, highlight);
    painter.fillRect(width() - kEdge, kEdge, kEdge, height() - kEdge, highlight);
}

void CQuantityChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintStaticEdge(painter);

    const QRect client = clientRect();
    painter.translate(client.topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), client.size()));
    ChartPainter chart(painter, font_, client.size());
    const PlotRect& plot = state_.plotRect;
    const AxisRange& range = state_.range(instance_.quantity);

    const QRect area(QPoint(0, 0), client.size());
    painter.fillRect(area, palette().window());
    chart.drawBackground(kBackgroundBitmap, area);

    chart.setTextColour(Qt::black);
    chart.drawRotatedText(instance_.titleAt, QString::fromLatin1(instance_.title));
    chart.drawRotatedText(kReadoutAt, QString::fromStdString(readoutText(instance_, state_.snapshotRecord)));

    chart.drawTimeAxis(plot, state_.timeSpan);
    chart.drawValueAxis(plot, range, kValueTicks, kValueStep, instance_.valueLabelX);
    chart.drawText({plot.left - 70, plot.bottom + 2}, QStringLiteral("Time"));

    chart.fillPlot(plot, Qt::black);
    chart.drawSeries(state_, instance_.quantity, plot, range, ChartPainter::toQColor(instance_.colour),
                     instance_.holdFirstPointAtBottom);
}
