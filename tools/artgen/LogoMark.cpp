#include "LogoMark.h"

#include "Lettering.h"
#include "Palette.h"

#include <QLinearGradient>
#include <QPen>
#include <algorithm>

namespace {

const QString kWord = QStringLiteral("Trelvane");

QFont wordFont(double height) { return Lettering::font(height * 0.74, true); }

} // namespace

QPainterPath LogoMark::chargeCurve(const QRectF& r)
{
    const double l = r.left(), t = r.top(), w = r.width(), h = r.height(), b = r.bottom();
    QPainterPath path(QPointF(l, b - 0.08 * h));
    path.cubicTo(QPointF(l + 0.22 * w, b - 0.30 * h), QPointF(l + 0.30 * w, t + 0.30 * h),
                 QPointF(l + 0.55 * w, t + 0.16 * h));
    path.quadTo(QPointF(l + 0.75 * w, t + 0.06 * h), QPointF(r.right(), t + 0.06 * h));
    return path;
}

void LogoMark::drawMark(QPainter& p, const QRectF& square)
{
    const double s = square.width();
    const double x = square.left(), y = square.top();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient tile(square.topLeft(), square.bottomLeft());
    tile.setColorAt(0, Palette::accent.lighter(115));
    tile.setColorAt(1, Palette::accentDeep);
    p.setPen(QPen(Palette::accentDeep.darker(140), std::max(1.0, s * 0.03)));
    p.setBrush(tile);
    p.drawRoundedRect(square.adjusted(0.5, 0.5, -0.5, -0.5), s * 0.2, s * 0.2);

    const QRectF body(x + 0.14 * s, y + 0.30 * s, 0.64 * s, 0.42 * s);
    const QRectF nub(body.right(), y + 0.42 * s, 0.08 * s, 0.18 * s);
    const QColor outline(236, 242, 250);
    p.setBrush(QColor(18, 44, 90, 150));
    p.setPen(QPen(outline, std::max(1.0, s * 0.06)));
    p.drawRoundedRect(body, s * 0.05, s * 0.05);
    p.setPen(Qt::NoPen);
    p.setBrush(outline);
    p.drawRect(nub);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::charge, std::max(1.2, s * 0.075), Qt::SolidLine, Qt::RoundCap));
    p.drawPath(chargeCurve(body.adjusted(0.10 * s, 0.08 * s, -0.08 * s, -0.06 * s)));
    p.restore();
}

double LogoMark::wordmarkWidth(double height)
{
    return height * 1.28 + Lettering::width(kWord, wordFont(height));
}

double LogoMark::drawWordmark(QPainter& p, QPointF leftMiddle, double height, const QColor& word)
{
    drawMark(p, QRectF(leftMiddle.x(), leftMiddle.y() - height / 2, height, height));
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    Lettering::draw(p, kWord, QPointF(leftMiddle.x() + height * 1.28, leftMiddle.y()),
                    Lettering::Anchor::Left, wordFont(height), word);
    p.restore();
    return wordmarkWidth(height);
}
