#include "Shading.h"

#include <QLinearGradient>
#include <algorithm>

namespace Shading {

QColor mix(const QColor& a, const QColor& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                  channel(a.blue(), b.blue()));
}

void fillVertical(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(r, g);
}

void fillHorizontal(QPainter& p, const QRectF& r, const QColor& left, const QColor& right)
{
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, left);
    g.setColorAt(1, right);
    p.fillRect(r, g);
}

void hLine(QPainter& p, int x0, int x1, int y, const QColor& c)
{
    p.fillRect(QRect(QPoint(std::min(x0, x1), y), QPoint(std::max(x0, x1), y)), c);
}

void vLine(QPainter& p, int x, int y0, int y1, const QColor& c)
{
    p.fillRect(QRect(QPoint(x, std::min(y0, y1)), QPoint(x, std::max(y0, y1))), c);
}

void frame(QPainter& p, const QRect& r, const QColor& c)
{
    hLine(p, r.left(), r.right(), r.top(), c);
    hLine(p, r.left(), r.right(), r.bottom(), c);
    vLine(p, r.left(), r.top(), r.bottom(), c);
    vLine(p, r.right(), r.top(), r.bottom(), c);
}

void band(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom)
{
    fillVertical(p, r, top, bottom);
    const QRect px = r.toAlignedRect();
    hLine(p, px.left(), px.right(), px.top(), top.lighter(118));
    hLine(p, px.left(), px.right(), px.bottom(), bottom.darker(135));
}

} // namespace Shading
