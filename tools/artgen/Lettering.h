#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QString>

// Text placed by its visual middle, so labels line up with lamps and icons.
class Lettering {
public:
    enum class Anchor { Left, Centre, Right };

    static QFont font(double pixelSize, bool bold = false);

    // Draws text whose middle height sits on anchor.y() and whose left edge,
    // centre or right edge sits on anchor.x().
    static void draw(QPainter& p, const QString& text, QPointF anchor, Anchor horizontal,
                     const QFont& font, const QColor& colour);

    // The same with a one-pixel shadow below and right, for lettering on gradients.
    static void drawRaised(QPainter& p, const QString& text, QPointF anchor, Anchor horizontal,
                           const QFont& font, const QColor& colour, const QColor& shadow);

    static double width(const QString& text, const QFont& font);
};
