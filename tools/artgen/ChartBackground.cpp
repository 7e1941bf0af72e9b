#include "Artworks.h"

#include "Palette.h"
#include "Shading.h"

#include <QPainter>

void paintChartBackground(QImage& image)
{
    constexpr int kStrip = 7;
    const QColor edge = Palette::chartField.darker(150);
    QPainter p(&image);
    p.fillRect(image.rect(), Palette::chartField);
    for (int i = 0; i < kStrip; ++i) {
        // Falls off quadratically, so the strip reads as a rounded edge, not a band.
        const double t = double(i) / kStrip;
        const QColor c = Shading::mix(edge, Palette::chartField, 1.0 - (1.0 - t) * (1.0 - t));
        Shading::vLine(p, i, 0, image.height() - 1, c);
        Shading::vLine(p, image.width() - 1 - i, 0, image.height() - 1, c);
    }
}
