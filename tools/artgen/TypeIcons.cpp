#include "Artworks.h"

#include "Palette.h"
#include "TypeGlyphs.h"

#include <QPainter>

namespace {

void paintTypeIcon(QImage& image, TypeGlyphs::Kind kind)
{
    QPainter p(&image);
    p.fillRect(image.rect(), Palette::field);
    TypeGlyphs::draw(p, kind, QRectF(0, 0, 32, 32), Palette::accent);
}

} // namespace

void paintCellIcon(QImage& image) { paintTypeIcon(image, TypeGlyphs::Kind::Cell); }
void paintLeadAcidIcon(QImage& image) { paintTypeIcon(image, TypeGlyphs::Kind::LeadAcid); }
void paintLithiumIcon(QImage& image) { paintTypeIcon(image, TypeGlyphs::Kind::LithiumPolymer); }
void paintNiMHIcon(QImage& image) { paintTypeIcon(image, TypeGlyphs::Kind::NickelMetalHydride); }
void paintNiCdIcon(QImage& image) { paintTypeIcon(image, TypeGlyphs::Kind::NickelCadmium); }
