#include "Artworks.h"

#include "Decor.h"
#include "Palette.h"
#include "ScreenMapping.h"

#include <QPainter>

void paintDetailBackground(QImage& image)
{
    // The detail window is 1024 x 700; its background is 721 rows high.
    const ScreenMapping map{image.size(), {1024, 700}};
    QPainter p(&image);
    p.fillRect(image.rect(), Palette::field);
    Decor::titleBand(p, QRect(0, 0, 1024, 23), QStringLiteral("Detail window"),
                      QColor(150, 146, 140), QColor(114, 110, 105));
    Decor::footerBand(p, QRect(0, 681, 1024, 40));
    // Around the four quantity buttons (x 823, y 353..500 in window pixels).
    const double top = map.toBitmapY(326), bottom = map.toBitmapY(512);
    Decor::panel(p, QRectF(808, top, 112, bottom - top), QStringLiteral("Quantity"));
}
