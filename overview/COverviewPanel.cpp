#include "overview/COverviewPanel.h"

#include "charts/CQuantityChart.h"
#include "charts/ChartInstance.h"
#include "charts/ChartMath.h"
#include "controls/CImageButton.h"
#include "controls/DialogUnits.h"
#include "overview/BatteryIndicator.h"
#include "res/Bitmaps.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr int kLampLeft = 840;
constexpr int kLampTop = 380;
constexpr int kLampWidth = 20;
constexpr int kLampHeight = 10;
constexpr int kLampPitch = 15;

const QColor kLampColours[4] = {
    QColor(255, 0, 0),   // charge
    QColor(0, 255, 0),   // discharge
    QColor(255, 255, 0), // connect
    QColor(0, 60, 255),  // disconnect
};

// Cell indicator controls 1054..1061 and type indicators 1050..1053, in dialog units.
constexpr int kCellIndicatorX = 590;
constexpr int kCellIndicatorY[8] = {45, 64, 84, 104, 124, 144, 162, 181};
constexpr int kTypeIndicatorX = 554;
constexpr int kTypeIndicatorY[4] = {270, 288, 306, 324};
constexpr int kTypeIndicatorBitmap[4] = {163, 162, 164, 165}; // Li-Ion/poly, Pb, NiMH, NiCd
constexpr int kCellBitmap = 161;

constexpr int kCellRowTop = 85;
constexpr int kCellRowPitch = 35;
constexpr int kCellLabelX = 820;
constexpr int kCellValueX = 930;

QLabel* makeIndicator(QWidget* parent, int bitmapId, int dx, int dy)
{
    auto* label = new QLabel(parent);
    QPixmap pixmap = loadBitmap(bitmapId);
    label->setPixmap(pixmap);
    // Static bitmap controls size themselves to their bitmap.
    label->setGeometry(QRect(DialogUnits::point(dx, dy), pixmap.isNull() ? QSize(32, 32) : pixmap.size()));
    label->hide();
    return label;
}

} // namespace

COverviewPanel::COverviewPanel(const ChartState& state, const SharedWords& words, QWidget* parent)
    : QWidget(parent), state_(state), words_(words)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    resize(1024, 700);

    const auto& instances = kChartInstances;
    for (int k = 0; k < kQuantityCount; ++k) {
        auto* chart = new CQuantityChart(instances[k], state_, this);
        chart->setGeometry(10, 70 + 150 * k, 770, 130);
        chart->show();
        charts_[static_cast<int>(instances[k].quantity)] = chart;
    }

    for (int i = 0; i < 4; ++i)
        typeIndicators_[i] = makeIndicator(this, kTypeIndicatorBitmap[i], kTypeIndicatorX, kTypeIndicatorY[i]);
    for (int i = 0; i < 8; ++i)
        cellIndicators_[i] = makeIndicator(this, kCellBitmap, kCellIndicatorX, kCellIndicatorY[i]);

    exitButton_ = new CImageButton(QStringLiteral("Exit"), this);
    exitButton_->setGeometry(DialogUnits::rect(571, 349, 53, 14));
    exitButton_->fullSetUp(151, 152);
    connect(exitButton_, &QPushButton::clicked, this, &COverviewPanel::closeRequested);
}

void COverviewPanel::repaintWithErase()
{
    eraseRequested_ = true;
    update();
}

void COverviewPanel::repaintWithoutErase()
{
    noEraseRequested_ = true;
    update();
}

void COverviewPanel::showCellIndicators(int count)
{
    for (int i = 0; i < count && i < 8; ++i)
        cellIndicators_[i]->show();
}

void COverviewPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Only a paint asked for solely without erase keeps the earlier pixels;
    // exposure and the tick's invalidation redraw the background.
    const bool erase = eraseRequested_ || !noEraseRequested_;
    eraseRequested_ = false;
    noEraseRequested_ = false;
    if (erase)
        drawStretchedBitmap(painter, rect(), 150);
    painter.setPen(Qt::white);
    paintLamp(painter);
    paintCells(painter);
    showTypeIndicator();
}

void COverviewPanel::paintLamp(QPainter& painter) const
{
    const int status = words_.cellsStatus.load();
    if (status < 0 || status > 3)
        return;
    painter.fillRect(QRect(kLampLeft, kLampTop + kLampPitch * status, kLampWidth, kLampHeight), kLampColours[status]);
}

void COverviewPanel::paintCells(QPainter& painter) const
{
    const int count = std::min(words_.cellCount.load(), 8);
    const QFontMetrics metrics(font());
    for (int i = 1; i <= count; ++i) {
        const float value = state_.snapshotRecord.cellVoltage[i - 1];
        if (value == 0.0f)
            continue;
        const int y = kCellRowTop + kCellRowPitch * (i - 1) + metrics.ascent();
        painter.drawText(kCellLabelX, y, QStringLiteral("cells%1").arg(i));
        painter.drawText(kCellValueX, y, QString::fromStdString(ChartMath::formatValue(value)));
    }
}

void COverviewPanel::showTypeIndicator()
{
    const auto indicator = batteryIndicatorFor(words_.frameVariant.load(), state_.snapshotRecord.batteryType);
    if (indicator == BatteryIndicator::None)
        return;
    QLabel* label = typeIndicators_[static_cast<int>(indicator)];
    // Indicators are only ever shown; showing is deferred out of the paint.
    if (!label->isVisibleTo(this))
        QMetaObject::invokeMethod(label, &QWidget::show, Qt::QueuedConnection);
}
