#include "Artworks.h"

#include "Decor.h"
#include "Lettering.h"
#include "LogoMark.h"
#include "Palette.h"
#include "ScreenMapping.h"
#include "Shading.h"

#include <QPainter>
#include <QRadialGradient>

// Laid out in the dialog's pixels (387 x 191 dialog units = 580 x 334): the edit
// boxes start at x 147, y 157 and 197; the SAVE and Open buttons at x 435; the
// port list at (28, 280); start, read and Exit at y 276..306.
void paintControlBackground(QImage& image)
{
    const ScreenMapping map{image.size(), {580, 334}};
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    map.apply(p);

    const QRectF all(0, 0, 580, 334);
    Shading::fillVertical(p, all, QColor(64, 61, 58), QColor(34, 33, 31));
    QRadialGradient glow(QPointF(90, 30), 260);
    glow.setColorAt(0, QColor(90, 120, 170, 70));
    glow.setColorAt(1, QColor(90, 120, 170, 0));
    p.fillRect(all, glow);

    LogoMark::drawWordmark(p, QPointF(22, 46), 42, Palette::lettering);
    const double wordLeft = 22 + 42 * 1.28;
    Lettering::draw(p, QStringLiteral("Charger monitor and log replay"), QPointF(wordLeft + 1, 80),
                    Lettering::Anchor::Left, Lettering::font(12), Palette::dimLettering);
    Lettering::drawRaised(p, QStringLiteral("Version 1.0"), QPointF(556, 46), Lettering::Anchor::Right,
                          Lettering::font(14), Palette::lettering, QColor(20, 20, 20));

    Decor::rule(p, 16, 564, 112);
    const QFont label = Lettering::font(13);
    Lettering::draw(p, QStringLiteral("Log save path"), QPointF(137, 167.5), Lettering::Anchor::Right,
                    label, Palette::lettering);
    Lettering::draw(p, QStringLiteral("Open log file"), QPointF(137, 207.5), Lettering::Anchor::Right,
                    label, Palette::lettering);

    Decor::rule(p, 16, 564, 246);
    Lettering::draw(p, QStringLiteral("Port"), QPointF(29, 268), Lettering::Anchor::Left, label,
                    Palette::lettering);
}
