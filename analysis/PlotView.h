#pragma once

#include "analysis/AnalysisSession.h"

#include <QGraphicsView>

class PlotStack;
class QRubberBand;

// Shows a PlotStack and turns the pointer into requests: the wheel zooms
// around the pointer, a left drag pans, a right drag zooms to a box, a left
// click places cursor A and a right click cursor B.
class PlotView : public QGraphicsView {
    Q_OBJECT
public:
    static constexpr double kWheelZoom = 0.8; // span factor per wheel notch

    explicit PlotView(PlotStack& stack, QWidget* parent = nullptr);

signals:
    void resized(QSize size);
    void zoomAt(double time, double factor);
    void panBy(double seconds);
    void boxChosen(int plot, double fromTime, double toTime, double lowValue, double highValue);
    void cursorAt(AnalysisSession::Cursor cursor, double time);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    PlotStack& stack_;
    QRubberBand* band_ = nullptr;
    Qt::MouseButton button_ = Qt::NoButton;
    QPoint pressedAt_;
    QPoint lastAt_;
    bool dragging_ = false;
};
