#pragma once

#include "library/PackHistory.h"

#include <QWidget>

#include <array>
#include <vector>

class QChart;
class QChartView;

// A pack's capacity, energy and end cell spread over its runs, oldest first,
// one plot each; charges and discharges as separate lines, since they are
// compared only among themselves.
class TrendChart : public QWidget {
    Q_OBJECT
public:
    enum class Quantity { Capacity, Energy, EndSpread };
    static constexpr int kQuantityCount = 3;

    explicit TrendChart(QWidget* parent = nullptr);

    void setHistory(const std::vector<PackRun>& runsOldestFirst);
    QChart* chart(Quantity quantity) const;

private:
    std::array<QChartView*, kQuantityCount> views_{};
};
