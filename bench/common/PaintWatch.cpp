#include "bench/common/PaintWatch.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QWidget>

void PaintWatch::watch(QWidget* widget)
{
    counts_.emplace(widget, 0);
    widget->installEventFilter(this);
}

int PaintWatch::paints(const QWidget* widget) const
{
    const auto it = counts_.find(widget);
    return it == counts_.end() ? 0 : it->second;
}

void PaintWatch::mark()
{
    marks_ = counts_;
}

bool PaintWatch::waitForPaints(const std::vector<QWidget*>& widgets, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const auto allPainted = [&] {
        for (const QWidget* w : widgets)
            if (paints(w) <= marks_[w])
                return false;
        return true;
    };
    while (!allPainted()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

void PaintWatch::settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool PaintWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        const auto it = counts_.find(watched);
        if (it != counts_.end())
            ++it->second;
    }
    return QObject::eventFilter(watched, event);
}
