#pragma once

#include <QPainter>
#include <QSize>

// Backgrounds are stretched over windows of another size. Pictures are laid out
// in window pixels and drawn through this mapping, so that what must line up with
// a control or lamp does so after the stretch.
struct ScreenMapping {
    QSize bitmap;
    QSize window;

    double toBitmapX(double windowX) const { return windowX * bitmap.width() / window.width(); }
    double toBitmapY(double windowY) const { return windowY * bitmap.height() / window.height(); }

    // Makes the painter take window coordinates.
    void apply(QPainter& p) const
    {
        p.scale(double(bitmap.width()) / window.width(), double(bitmap.height()) / window.height());
    }
};
