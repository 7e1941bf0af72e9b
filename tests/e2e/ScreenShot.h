#pragma once

// A screenshot of the whole X display (taken with trelvane-xshot) and the
// pixel questions the end-to-end tests ask of it.

#include <QColor>
#include <QImage>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>

class ScreenShot {
public:
    // Empty image when the tool failed.
    static ScreenShot take(const QProcessEnvironment& environment, const QString& savePath);

    bool isNull() const { return image_.isNull(); }
    const QImage& image() const { return image_; }

    // Pixels in `area` whose channels are each within `tolerance` of `colour`.
    int countColour(const QRect& area, const QColor& colour, int tolerance = 0) const;

    // Pixels of `area` that match no pixel of `reference` within one pixel of
    // the same place (so a stretch rounded differently still matches),
    // `reference` being drawn with its top-left at `origin` on the screen.
    int countUnlike(const QRect& area, const QImage& reference, QPoint origin, int tolerance) const;

private:
    QImage image_;
};
