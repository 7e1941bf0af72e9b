#pragma once

#include "acquisition/SharedWords.h"
#include "charts/ChartPainter.h"
#include "recording/ChartState.h"

#include <QPoint>
#include <QWidget>

#include <array>

class CImageButton;

// The detail view: one quantity of the run on a large plot, chosen with four
// buttons, with a cross-hair placed by a click that reads the value off at its
// height. "Exit" asks the main window to close.
class CDetailPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 700;
    static constexpr int kBackgroundBitmap = 153;
    static constexpr int kButtonImageOver = 151;
    static constexpr int kButtonImageNormal = 152;
    static constexpr int kExitButtonId = 1045;
    static constexpr PlotRect kPlotRect{100, 25, 740, 625};

    CDetailPanel(const ChartState& state, SharedWords& words, QWidget* parent = nullptr);

    // Shows the quantity with this detailSeries number (0 voltage, 1 current,
    // 2 capacity, 3 temperature), as its button does.
    void selectQuantity(int series);
    int selectedSeries() const { return series_; }
    QPoint cursorPosition() const { return cursor_; }

    // The button with a control id (1018..1021, 1045), or nullptr.
    CImageButton* button(int controlId) const;

signals:
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Button {
        int controlId;
        CImageButton* widget;
    };

    void createButtons();

    const ChartState& state_;
    ChartFont font_; // made once: every paint draws some twenty labels in it
    SharedWords& words_;
    int series_ = 0;
    QPoint cursor_{0, 0};
    std::array<Button, 5> buttons_{};
};
