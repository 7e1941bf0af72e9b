#pragma once

#include <QBrush>
#include <QFont>
#include <QPaintDevice>
#include <QPen>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <memory>
#include <vector>

class QPainter;

// The painter calls of a paint, recorded once and played back as the same
// QPainter calls: what Qt itself must do for those pixels (the floor of a
// paint), without any of the program's own work. Records what the charts use:
// filled rectangles, pixmaps and text, each with the transform, pen, brush and
// font in force.
class PaintRecording : public QPaintDevice {
public:
    explicit PaintRecording(QSize size);
    ~PaintRecording() override;

    void replay(QPainter& painter) const;
    std::size_t operations() const { return operations_.size(); }

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    friend class RecordingEngine;
    struct Operation {
        enum class Kind { Rect, Pixmap, Text } kind;
        QTransform transform;
        QPen pen;
        QBrush brush;
        QFont font;
        QRectF rect;
        QPixmap pixmap;
        QRectF source;
        QPointF at;
        QString text;
    };

    QSize size_;
    std::unique_ptr<QPaintEngine> engine_;
    std::vector<Operation> operations_;
};
