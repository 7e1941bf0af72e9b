#include "Artworks.h"

#include "Palette.h"
#include "Shading.h"

#include <QPainter>
#include <cmath>

namespace {

// The button faces are drawn without anti-aliasing: pure white marks exactly the
// pixels the button treats as transparent, and no near-white fringe appears.
struct FaceStyle {
    QColor top;
    QColor bottom;
    QColor border;
    int cornerRadius = 1;       // 1: only the corner pixel itself is cut away
    bool transparentBottomRow = false;
};

bool outsideUpperCorner(int x, int y, int width, int radius)
{
    if (y >= radius)
        return false;
    const int cx = x < radius ? x : (x >= width - radius ? width - 1 - x : -1);
    if (cx < 0)
        return false;
    if (radius == 1)
        return true;
    // Distance of the pixel centre from the corner arc's centre.
    const double dx = radius - (cx + 0.5);
    const double dy = radius - (y + 0.5);
    return std::hypot(dx, dy) > radius;
}

void paintFace(QImage& image, const FaceStyle& style)
{
    const int w = image.width();
    const int faceRows = image.height() - (style.transparentBottomRow ? 1 : 0);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int y = 0; y < faceRows; ++y) {
            const QColor c = Shading::mix(style.top, style.bottom, double(y) / (faceRows - 1));
            // The upper part a shade lighter: a soft gloss across the face.
            Shading::hLine(p, 0, w - 1, y, y < faceRows * 0.45 ? c.lighter(107) : c);
        }
        // A lit top edge and a darker rim give the face its relief.
        Shading::hLine(p, 1, w - 2, 1, style.top.lighter(112));
        Shading::frame(p, QRect(0, 0, w, faceRows), style.border);
    }
    const QRgb key = Palette::transparentKey.rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < w; ++x) {
            const bool cut = (style.transparentBottomRow && y == image.height() - 1)
                || outsideUpperCorner(x, y, w, style.cornerRadius);
            if (cut)
                image.setPixel(x, y, key);
        }
    // Along a rounded corner the rim follows the arc.
    if (style.cornerRadius > 1)
        for (int y = 0; y < style.cornerRadius; ++y)
            for (int x = 0; x < w; ++x)
                if (image.pixel(x, y) != key && x > 0 && x < w - 1
                    && (image.pixel(x - 1, y) == key || image.pixel(x + 1, y) == key
                        || (y > 0 && image.pixel(x, y - 1) == key)))
                    image.setPixel(x, y, style.border.rgb());
}

} // namespace

void paintSmallButtonOver(QImage& image)
{
    paintFace(image, {QColor(176, 176, 173), QColor(128, 128, 125), QColor(90, 89, 87)});
}

void paintSmallButtonOut(QImage& image)
{
    paintFace(image, {QColor(104, 101, 97), QColor(62, 60, 57), QColor(34, 33, 31), 1, true});
}

void paintLargeButtonOver(QImage& image)
{
    paintFace(image, {QColor(180, 180, 177), QColor(126, 126, 123), QColor(88, 87, 85), 0, true});
}

void paintLargeButtonOut(QImage& image)
{
    paintFace(image, {QColor(108, 105, 101), QColor(60, 58, 55), QColor(32, 31, 29), 5});
}
