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
}

void CQuantityChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    ChartPainter chart(painter);
    const PlotRect& plot = state_.plotRect;
    const AxisRange& range = state_.range(instance_.quantity);

    painter.fillRect(rect(), palette().window());
    chart.drawBackground(kBackgroundBitmap, rect());

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
