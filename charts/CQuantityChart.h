#pragma once

#include "charts/ChartInstance.h"
#include "charts/ChartPainter.h"
#include "recording/ChartState.h"

#include <QWidget>

class QPainter;

// One small chart panel: a quantity of the recorded history against time,
// with its title, the latest value and both axes. It reads everything it draws
// by const reference and paints the whole panel on every update().
class CQuantityChart : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 770;
    static constexpr int kHeight = 130;
    static constexpr int kBackgroundBitmap = 154;
    // The panel has a one-pixel sunken static edge; everything it draws is
    // in client coordinates, inside that edge.
    static constexpr int kEdge = 1;

    CQuantityChart(const ChartInstance& instance, const ChartState& state, QWidget* parent = nullptr);

    const ChartInstance& instance() const { return instance_; }
    // The client area inside the static edge, in widget coordinates (768 x 128).
    QRect clientRect() const { return rect().adjusted(kEdge, kEdge, -kEdge, -kEdge); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintStaticEdge(QPainter& painter) const;

    const ChartInstance& instance_;
    const ChartState& state_;
    ChartFont font_; // made once: every paint draws some twenty labels in it
};
