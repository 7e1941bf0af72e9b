#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

// The program's mark (a battery on a blue tile with its charge curve) and the
// mark followed by the word "Trelvane".
class LogoMark {
public:
    // Constant-current rise, knee, constant-voltage plateau: the shape of a charge.
    static QPainterPath chargeCurve(const QRectF& r);

    static void drawMark(QPainter& p, const QRectF& square);

    // Mark of the given height with the word to its right; returns the total width.
    static double drawWordmark(QPainter& p, QPointF leftMiddle, double height, const QColor& word);
    static double wordmarkWidth(double height);
};
