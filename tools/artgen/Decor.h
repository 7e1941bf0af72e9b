#pragma once

#include <QPainter>
#include <QRect>
#include <QString>

// Furniture the window backgrounds share: the title band, the light footer with
// the logo, framed legend boxes and quiet panels.
class Decor {
public:
    // Band with a caption at the left and the logo with the name at the right.
    static void titleBand(QPainter& p, const QRect& r, const QString& caption,
                          const QColor& top, const QColor& bottom);

    // Light band along the bottom edge: logo at the left, version at the right.
    static void footerBand(QPainter& p, const QRect& r);

    // A one-pixel light frame on exactly the pixels of r (right and bottom
    // inclusive) with its title set into the top line.
    static void legendBox(QPainter& p, const QRect& r, const QString& title);

    // A faint rounded outline with a small heading, grouping controls placed on it.
    static void panel(QPainter& p, const QRectF& r, const QString& heading);

    // A horizontal rule that fades out towards both ends.
    static void rule(QPainter& p, double x0, double x1, double y);
};
