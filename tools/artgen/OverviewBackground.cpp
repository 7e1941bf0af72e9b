#include "Artworks.h"

#include "Decor.h"
#include "Lettering.h"
#include "Palette.h"
#include "ScreenMapping.h"
#include "Shading.h"
#include "TypeGlyphs.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The overview window is 1024 x 700; its background is 721 rows high.
const ScreenMapping kMap{{1024, 721}, {1024, 700}};

// Lamp rectangles the panel fills, in window pixels: x 840..860, y 380 + 15k, 10 high.
constexpr int kLampLeft = 840, kLampRight = 860, kLampTop = 380, kLampPitch = 15, kLampHeight = 10;

void statusLegend(QPainter& p)
{
    const QRect box(QPoint(817, 378), QPoint(951, 449));
    const std::array<QString, 4> rows{QStringLiteral("charge"), QStringLiteral("discharge"),
                                      QStringLiteral("connect"), QStringLiteral("disconnect")};
    const std::array<QColor, 4> lamps{QColor(255, 0, 0), QColor(0, 255, 0), QColor(255, 255, 0),
                                      QColor(0, 60, 255)};
    const QFont f = Lettering::font(11);
    for (int k = 0; k < 4; ++k) {
        const int top = kLampTop + kLampPitch * k;
        // An unlit lamp in a dark socket one pixel wider than the lamp all round;
        // the lowest socket would touch the frame, so it stops one row short.
        const int socketBottom = int(std::ceil(kMap.toBitmapY(top + kLampHeight + 1))) - 1;
        const QRect socket(QPoint(kLampLeft - 1, int(std::floor(kMap.toBitmapY(top - 1)))),
                           QPoint(kLampRight, std::min(socketBottom, box.bottom() - 1)));
        p.fillRect(socket, Shading::mix(lamps[k], Palette::field.darker(170), 0.80));
        Shading::frame(p, socket, Palette::field.darker(190));
        p.save();
        p.setRenderHint(QPainter::TextAntialiasing);
        Lettering::draw(p, rows[k], QPointF(868, kMap.toBitmapY(top + kLampHeight / 2.0)),
                        Lettering::Anchor::Left, f, Palette::lettering);
        p.restore();
    }
    Decor::legendBox(p, box, QStringLiteral("Cells status"));
}

void typeLegend(QPainter& p)
{
    // Where indicators 1050..1053 sit: x 831, 32 x 32, in window pixels.
    const std::array<int, 4> tops{472, 504, 535, 567};
    const std::array<TypeGlyphs::Kind, 4> kinds{TypeGlyphs::Kind::LithiumPolymer, TypeGlyphs::Kind::LeadAcid,
                                                TypeGlyphs::Kind::NickelMetalHydride,
                                                TypeGlyphs::Kind::NickelCadmium};
    const std::array<QString, 4> rows{QStringLiteral("Li-Ion/poly"), QStringLiteral("Pb"),
                                      QStringLiteral("NiMH"), QStringLiteral("NiCd")};
    const QFont f = Lettering::font(11);
    for (int k = 0; k < 4; ++k) {
        const double top = kMap.toBitmapY(tops[k]);
        const double bottom = kMap.toBitmapY(tops[k] + 32);
        TypeGlyphs::draw(p, kinds[k], QRectF(831, top, 32, bottom - top), Palette::legendIcon);
        p.save();
        p.setRenderHint(QPainter::TextAntialiasing);
        Lettering::draw(p, rows[k], QPointF(872, (top + bottom) / 2), Lettering::Anchor::Left, f,
                        Palette::lettering);
        p.restore();
    }
    // The frame last: the lowest icon reaches down to its bottom line.
    Decor::legendBox(p, QRect(QPoint(818, 472), QPoint(952, 617)), QStringLiteral("Cells type"));
}

} // namespace

void paintOverviewBackground(QImage& image)
{
    QPainter p(&image);
    p.fillRect(image.rect(), Palette::field);
    Decor::titleBand(p, QRect(0, 0, 1024, 56), QStringLiteral("Overview"), Palette::bandTop,
                      Palette::bandBottom);
    Decor::footerBand(p, QRect(0, 681, 1024, 40));
    // The cell rows (x 820.., y 85 + 35 k) and their indicators (x 885, from y 78).
    const double top = kMap.toBitmapY(62), bottom = kMap.toBitmapY(358);
    Decor::panel(p, QRectF(806, top, 200, bottom - top), QStringLiteral("Cells"));
    statusLegend(p);
    typeLegend(p);
}
