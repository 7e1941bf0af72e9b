#include "analysis/PlotView.h"

#include "analysis/PlotStack.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QWheelEvent>

#include <cmath>

PlotView::PlotView(PlotStack& stack, QWidget* parent) : QGraphicsView(stack.scene(), parent), stack_(stack)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFrameShape(QFrame::NoFrame);
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
}

void PlotView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    emit resized(viewport()->size());
}

void PlotView::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0 || stack_.plotCount() == 0)
        return;
    const QPointF at = mapToScene(event->position().toPoint());
    emit zoomAt(stack_.timeAt(at.x()), std::pow(kWheelZoom, notches));
    event->accept();
}

void PlotView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    setFocus(Qt::MouseFocusReason);
    button_ = event->button();
    pressedAt_ = lastAt_ = event->position().toPoint();
    dragging_ = false;
    event->accept();
}

void PlotView::mouseMoveEvent(QMouseEvent* event)
{
    if (button_ == Qt::NoButton)
        return;
    const QPoint at = event->position().toPoint();
    if (!dragging_ && (at - pressedAt_).manhattanLength() < QApplication::startDragDistance())
        return;
    dragging_ = true;
    if (button_ == Qt::LeftButton) {
        const double dt = stack_.timeAt(mapToScene(lastAt_).x()) - stack_.timeAt(mapToScene(at).x());
        lastAt_ = at;
        emit panBy(dt);
    } else {
        band_->setGeometry(QRect(pressedAt_, at).normalized());
        band_->show();
    }
    event->accept();
}

void PlotView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != button_)
        return;
    const Qt::MouseButton button = button_;
    button_ = Qt::NoButton;
    band_->hide();
    const QPointF at = mapToScene(event->position().toPoint());
    if (!dragging_) {
        if (stack_.plotAt(at) >= 0)
            emit cursorAt(button == Qt::LeftButton ? AnalysisSession::Cursor::A : AnalysisSession::Cursor::B,
                          stack_.timeAt(at.x()));
    } else if (button == Qt::RightButton) {
        const QPointF start = mapToScene(pressedAt_);
        const int plot = stack_.plotAt(start);
        if (plot >= 0)
            emit boxChosen(plot, stack_.timeAt(start.x()), stack_.timeAt(at.x()), stack_.valueAt(plot, start.y()),
                           stack_.valueAt(plot, at.y()));
    }
    dragging_ = false;
    event->accept();
}

void PlotView::keyPressEvent(QKeyEvent* event)
{
    // The window handles the keys; the view must not scroll with them.
    event->ignore();
}
