#include "Lettering.h"

#include <QFontMetricsF>

QFont Lettering::font(double pixelSize, bool bold)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    f.setPixelSize(static_cast<int>(pixelSize + 0.5));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

double Lettering::width(const QString& text, const QFont& font)
{
    return QFontMetricsF(font).horizontalAdvance(text);
}

void Lettering::draw(QPainter& p, const QString& text, QPointF anchor, Anchor horizontal,
                     const QFont& font, const QColor& colour)
{
    const QFontMetricsF m(font);
    double x = anchor.x();
    if (horizontal == Anchor::Centre)
        x -= m.horizontalAdvance(text) / 2;
    else if (horizontal == Anchor::Right)
        x -= m.horizontalAdvance(text);
    // Centre on the cap height: lower-case words then sit where the eye expects.
    const double baseline = anchor.y() + m.capHeight() / 2;
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QPointF(x, baseline), text);
    p.restore();
}

void Lettering::drawRaised(QPainter& p, const QString& text, QPointF anchor, Anchor horizontal,
                           const QFont& font, const QColor& colour, const QColor& shadow)
{
    draw(p, text, anchor + QPointF(1, 1), horizontal, font, shadow);
    draw(p, text, anchor, horizontal, font, colour);
}
