#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

// Gradient fills and pixel-exact lines shared by the pictures.
namespace Shading {

// Linear blend: t = 0 gives a, t = 1 gives b.
QColor mix(const QColor& a, const QColor& b, double t);

void fillVertical(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom);
void fillHorizontal(QPainter& p, const QRectF& r, const QColor& left, const QColor& right);

// One-pixel lines on whole pixels, never anti-aliased; both end points are painted.
void hLine(QPainter& p, int x0, int x1, int y, const QColor& c);
void vLine(QPainter& p, int x, int y0, int y1, const QColor& c);
void frame(QPainter& p, const QRect& r, const QColor& c); // r.right()/bottom() inclusive

// A band with a light top edge and a dark bottom edge, like brushed metal.
void band(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom);

} // namespace Shading
