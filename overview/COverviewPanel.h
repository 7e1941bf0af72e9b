#pragma once

#include "acquisition/SharedWords.h"
#include "recording/ChartState.h"

#include <QWidget>

#include <array>

class CImageButton;
class CQuantityChart;
class QLabel;

// The default view: the four small charts on the left; cell voltages, the
// cells-status lamp and the battery type on the right; an Exit button.
class COverviewPanel : public QWidget {
    Q_OBJECT
public:
    COverviewPanel(const ChartState& state, const SharedWords& words, QWidget* parent = nullptr);

    // Repaint with the background erased first (recording tick, exposure).
    void repaintWithErase();
    // Repaint over what is already on screen: earlier lamps stay lit until the
    // next erase (the acquisition thread's lamp updates).
    void repaintWithoutErase();

    // First live sample: show the first `count` cell indicators.
    void showCellIndicators(int count);

    CQuantityChart* chart(Quantity quantity) const { return charts_[static_cast<int>(quantity)]; }
    CImageButton* exitButton() const { return exitButton_; }
    QLabel* cellIndicator(int index) const { return cellIndicators_[index]; }
    QLabel* typeIndicator(int index) const { return typeIndicators_[index]; }

signals:
    // Exit: the close request to the main window.
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintLamp(class QPainter& painter) const;
    void paintCells(class QPainter& painter) const;
    void showTypeIndicator();

    const ChartState& state_;
    const SharedWords& words_;
    std::array<CQuantityChart*, kQuantityCount> charts_{};
    std::array<QLabel*, 8> cellIndicators_{};
    std::array<QLabel*, 4> typeIndicators_{};
    CImageButton* exitButton_ = nullptr;
    bool eraseRequested_ = false;
    bool noEraseRequested_ = false;
};
