#include "charts/CDetailPanel.h"

#include "charts/ChartInstance.h"
#include "charts/ChartMath.h"
#include "charts/ChartPainter.h"
#include "controls/CImageButton.h"
#include "controls/DialogUnits.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kValueTicks = 10;
constexpr float kValueStep = 0.1f;
const QColor kPlotColour(100, 100, 100);
const QColor kCursorColour(20, 20, 20);

struct ButtonLayout {
    int controlId;
    const char* caption;
    int x, y, width, height;
    bool fullSetUp;
};

// In the panel's tab order.
constexpr ButtonLayout kButtonLayout[] = {
    {1018, "Voltage", 549, 202, 55, 13, false},
    {1019, "Current", 549, 225, 55, 13, true},
    {1020, "Capacity", 549, 248, 55, 13, true},
    {1021, "Temperature", 549, 271, 55, 13, true},
    {1045, "Exit", 557, 345, 50, 16, true},
};
}

CDetailPanel::CDetailPanel(const ChartState& state, SharedWords& words, QWidget* parent)
    : QWidget(parent), state_(state), words_(words)
{
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(QFont(QStringLiteral("Arial"), 8));
    series_ = detailQuantity(words_.detailSeries.load()).series;
    createButtons();
}

void CDetailPanel::createButtons()
{
    std::size_t slot = 0;
    for (const ButtonLayout& layout : kButtonLayout) {
        auto* widget = new CImageButton(QString::fromLatin1(layout.caption), this);
        widget->setGeometry(DialogUnits::rect(layout.x, layout.y, layout.width, layout.height));
        if (layout.fullSetUp)
            widget->fullSetUp(kButtonImageOver, kButtonImageNormal);
        else
            widget->shortSetUp(kButtonImageOver, kButtonImageNormal);
        buttons_[slot++] = {layout.controlId, widget};

        if (layout.controlId == kExitButtonId) {
            connect(widget, &QPushButton::clicked, this, &CDetailPanel::closeRequested);
            continue;
        }
        for (const DetailQuantity& quantity : kDetailQuantities)
            if (quantity.buttonId == layout.controlId)
                connect(widget, &QPushButton::clicked, this, [this, series = quantity.series] { selectQuantity(series); });
    }
}

CImageButton* CDetailPanel::button(int controlId) const
{
    for (const Button& b : buttons_)
        if (b.controlId == controlId)
            return b.widget;
    return nullptr;
}

void CDetailPanel::selectQuantity(int series)
{
    series_ = detailQuantity(series).series;
    words_.detailSeries.store(series_);
    update();
}

void CDetailPanel::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const PlotRect& plot = kPlotRect;
    if (event->button() == Qt::LeftButton && plot.left < p.x() && p.x() < plot.right && plot.top < p.y()
        && p.y() < plot.bottom) {
        cursor_ = p;
        update();
    }
    QWidget::mousePressEvent(event);
}

void CDetailPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    ChartPainter chart(painter, font_);
    const PlotRect& plot = kPlotRect;
    const DetailQuantity& quantity = detailQuantity(series_);
    const AxisRange& range = state_.range(quantity.quantity);

    painter.fillRect(rect(), palette().window());
    chart.drawBackground(kBackgroundBitmap, rect());

    chart.setTextColour(Qt::white);
    chart.drawRotatedText(quantity.titleAt, QString::fromLatin1(quantity.title));
    chart.drawTimeAxis(plot, state_.timeSpan);
    chart.drawValueAxis(plot, range, kValueTicks, kValueStep, plot.left - 45);

    chart.fillPlot(plot, kPlotColour);
    chart.drawSeries(state_, quantity.quantity, plot, range, ChartPainter::toQColor(quantity.colour), false);

    chart.drawLine(plot.left, cursor_.y(), plot.right, cursor_.y(), kCursorColour, state_.seriesPenWidth);
    chart.drawLine(cursor_.x(), plot.top, cursor_.x(), plot.bottom, kCursorColour, state_.seriesPenWidth);
    const double readout = ChartMath::readoutValue(range.minimum, range.maximum, cursor_.y(), plot.top);
    chart.drawText({cursor_.x() + 10, cursor_.y() + 10}, QString::fromStdString(ChartMath::formatValue(readout)));
}
