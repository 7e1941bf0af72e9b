#pragma once

#include <QObject>

#include <map>
#include <vector>

class QWidget;

// Counts the paint events that watched widgets receive, and runs the event
// loop until each of a set of widgets has painted again.
class PaintWatch : public QObject {
public:
    void watch(QWidget* widget);

    int paints(const QWidget* widget) const;

    // Marks the present counts; waitForPaints() waits for paints after this.
    void mark();

    // Processes events until every widget in `widgets` has received a paint
    // since mark(), or until `timeoutMs` has passed; false on time-out.
    bool waitForPaints(const std::vector<QWidget*>& widgets, int timeoutMs);

    // Processes events until nothing is left to do (no paint pending).
    static void settle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::map<const QObject*, int> counts_;
    std::map<const QObject*, int> marks_;
};
