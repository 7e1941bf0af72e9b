#pragma once

#include "charts/ChartInstance.h"
#include "recording/ChartState.h"

#include <QWidget>

// One small chart panel: a quantity of the recorded history against time,
// with its title, the latest value and both axes. It reads everything it draws
// by const reference and paints the whole panel on every update().
class CQuantityChart : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 770;
    static constexpr int kHeight = 130;
    static constexpr int kBackgroundBitmap = 154;

    CQuantityChart(const ChartInstance& instance, const ChartState& state, QWidget* parent = nullptr);

    const ChartInstance& instance() const { return instance_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ChartInstance& instance_;
    const ChartState& state_;
};
