#include "bench/common/PaintRecording.h"

#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

class RecordingEngine : public QPaintEngine {
public:
    explicit RecordingEngine(PaintRecording& device) : QPaintEngine(QPaintEngine::AllFeatures), device_(device) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & DirtyTransform)
            transform_ = state.transform();
        if (state.state() & DirtyPen)
            pen_ = state.pen();
        if (state.state() & DirtyBrush)
            brush_ = state.brush();
        if (state.state() & DirtyFont)
            font_ = state.font();
    }

    void drawRects(const QRectF* rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            add(PaintRecording::Operation::Kind::Rect).rect = rects[i];
    }
    void drawRects(const QRect* rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            add(PaintRecording::Operation::Kind::Rect).rect = QRectF(rects[i]);
    }
    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& source) override
    {
        auto& op = add(PaintRecording::Operation::Kind::Pixmap);
        op.rect = r;
        op.pixmap = pixmap;
        op.source = source;
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        auto& op = add(PaintRecording::Operation::Kind::Text);
        op.at = p;
        op.text = item.text();
        op.font = item.font();
    }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}

private:
    PaintRecording::Operation& add(PaintRecording::Operation::Kind kind)
    {
        device_.operations_.push_back({kind, transform_, pen_, brush_, font_, {}, {}, {}, {}, {}});
        return device_.operations_.back();
    }

    PaintRecording& device_;
    QTransform transform_;
    QPen pen_;
    QBrush brush_;
    QFont font_;
};

PaintRecording::PaintRecording(QSize size) : size_(size), engine_(std::make_unique<RecordingEngine>(*this)) {}

PaintRecording::~PaintRecording() = default;

QPaintEngine* PaintRecording::paintEngine() const
{
    return engine_.get();
}

int PaintRecording::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return size_.width();
    case PdmHeight: return size_.height();
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return 96;
    case PdmDepth: return 32;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
    default: return 1;
    }
}

void PaintRecording::replay(QPainter& painter) const
{
    for (const Operation& op : operations_) {
        painter.setTransform(op.transform);
        switch (op.kind) {
        case Operation::Kind::Rect:
            painter.fillRect(op.rect, op.brush);
            break;
        case Operation::Kind::Pixmap:
            painter.drawPixmap(op.rect, op.pixmap, op.source);
            break;
        case Operation::Kind::Text:
            painter.setPen(op.pen);
            painter.setFont(op.font);
            painter.drawText(op.at, op.text);
            break;
        }
    }
}
