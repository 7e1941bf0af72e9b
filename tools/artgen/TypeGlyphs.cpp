#include "TypeGlyphs.h"

#include "Lettering.h"
#include "Shading.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPen>

namespace {

// Fill of a solid body: the colour, slightly lit from above.
QLinearGradient bodyFill(double top, double bottom, const QColor& c)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, c.lighter(125));
    g.setColorAt(1, c.darker(125));
    return g;
}

} // namespace

void TypeGlyphs::draw(QPainter& p, Kind kind, const QRectF& box, const QColor& colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(box.topLeft());
    p.scale(box.width() / 32.0, box.height() / 32.0);
    switch (kind) {
    case Kind::Cell: cell(p, colour); break;
    case Kind::LeadAcid: leadAcid(p, colour); break;
    case Kind::LithiumPolymer: lithiumPolymer(p, colour); break;
    case Kind::NickelMetalHydride: labelledBattery(p, colour, QStringLiteral("NiMH")); break;
    case Kind::NickelCadmium: labelledBattery(p, colour, QStringLiteral("NiCd")); break;
    }
    p.restore();
}

void TypeGlyphs::cell(QPainter& p, const QColor& c)
{
    p.setPen(QPen(c, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(9, 6, 14, 23), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(QRectF(13, 3, 6, 3));

    QPainterPath bolt;
    bolt.moveTo(19.5, 9);
    bolt.lineTo(12, 19);
    bolt.lineTo(15.5, 19);
    bolt.lineTo(13, 26.5);
    bolt.lineTo(20.5, 15.5);
    bolt.lineTo(17, 15.5);
    bolt.closeSubpath();
    p.setBrush(c.lighter(130));
    p.drawPath(bolt);
}

void TypeGlyphs::leadAcid(QPainter& p, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(bodyFill(6, 10, c));
    p.drawRect(QRectF(7, 6, 5, 4));
    p.drawRect(QRectF(20, 6, 5, 4));
    p.setBrush(bodyFill(10, 28, c));
    p.drawRoundedRect(QRectF(3, 10, 26, 18), 2, 2);
    // The terminals' signs, cut out of the body in the field colour.
    const QColor cut = c.darker(260);
    p.setBrush(cut);
    p.drawRect(QRectF(7, 15, 5, 1.6));
    p.drawRect(QRectF(20, 15, 5, 1.6));
    p.drawRect(QRectF(21.7, 13.3, 1.6, 5));
    p.drawRect(QRectF(5, 21.5, 22, 1.2));
}

void TypeGlyphs::lithiumPolymer(QPainter& p, const QColor& c)
{
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        const double y = 7 + i * 7.5;
        p.setBrush(bodyFill(y, y + 5, c));
        p.drawRoundedRect(QRectF(4, y, 24, 5), 1.5, 1.5);
    }
}

void TypeGlyphs::labelledBattery(QPainter& p, const QColor& c, const QString& label)
{
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1.8, 8.8, 26.4, 14.4), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(QRectF(28.2, 12.5, 2.6, 7));
    // Nine pixels is too small for smoothed glyphs; whole pixels read sharper.
    QFont f = Lettering::font(9, true);
    f.setStyleStrategy(QFont::NoAntialias);
    Lettering::draw(p, label, QPointF(15, 16), Lettering::Anchor::Centre, f, c.lighter(115));
}
