#include "Decor.h"

#include "Lettering.h"
#include "LogoMark.h"
#include "Palette.h"
#include "Shading.h"

#include <QLinearGradient>
#include <QPen>
#include <algorithm>

namespace {

const QString kVersion = QStringLiteral("Version 1.0");

QFont headingFont(double size)
{
    QFont f = Lettering::font(size, true);
    f.setCapitalization(QFont::AllUppercase);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    return f;
}

} // namespace

void Decor::titleBand(QPainter& p, const QRect& r, const QString& caption, const QColor& top,
                      const QColor& bottom)
{
    Shading::band(p, r, top, bottom);
    // A thin blue line under the band, the instrument's one accent.
    Shading::hLine(p, r.left(), r.right(), r.bottom() + 1, Palette::accentDeep);

    const double h = r.height();
    const double markHeight = std::clamp(h * 0.6, 14.0, 34.0);
    const double middle = r.top() + h / 2.0;
    const double width = LogoMark::wordmarkWidth(markHeight);
    LogoMark::drawWordmark(p, QPointF(r.right() - 18 - width, middle), markHeight, Palette::lettering);

    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    Lettering::drawRaised(p, caption, QPointF(r.left() + 18, middle), Lettering::Anchor::Left,
                          headingFont(std::clamp(h * 0.26, 10.0, 15.0)), Palette::lettering,
                          bottom.darker(170));
    p.restore();
}

void Decor::footerBand(QPainter& p, const QRect& r)
{
    Shading::fillVertical(p, r, Palette::lightBandTop, Palette::lightBandBottom);
    Shading::hLine(p, r.left(), r.right(), r.top(), Palette::field.darker(150));
    Shading::hLine(p, r.left(), r.right(), r.top() + 1, Palette::lightBandTop.lighter(108));

    const double middle = r.top() + r.height() / 2.0 + 0.5;
    LogoMark::drawWordmark(p, QPointF(r.left() + 18, middle), r.height() * 0.58,
                           Palette::darkLettering);
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    Lettering::draw(p, kVersion, QPointF(r.right() - 18, middle), Lettering::Anchor::Right,
                    Lettering::font(12), Palette::darkLettering.lighter(160));
    p.restore();
}

void Decor::legendBox(QPainter& p, const QRect& r, const QString& title)
{
    Shading::frame(p, r, Palette::legendLine);
    const QFont f = headingFont(10);
    const int gapLeft = r.left() + 7;
    const int gapRight = gapLeft + int(Lettering::width(title, f)) + 8;
    Shading::hLine(p, gapLeft, gapRight, r.top(), Palette::field);
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    Lettering::draw(p, title, QPointF(gapLeft + 4, r.top()), Lettering::Anchor::Left, f,
                    Palette::legendLine);
    p.restore();
}

void Decor::panel(QPainter& p, const QRectF& r, const QString& heading)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QPen(Palette::panelLine, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    Lettering::draw(p, heading, QPointF(r.left() + 10, r.top() + 10), Lettering::Anchor::Left,
                    headingFont(9.5), Palette::dimLettering);
    p.restore();
}

void Decor::rule(QPainter& p, double x0, double x1, double y)
{
    QLinearGradient g(x0, 0, x1, 0);
    QColor clear = Palette::legendLine;
    clear.setAlpha(0);
    QColor solid = Palette::legendLine;
    solid.setAlpha(120);
    g.setColorAt(0, clear);
    g.setColorAt(0.15, solid);
    g.setColorAt(0.85, solid);
    g.setColorAt(1, clear);
    p.fillRect(QRectF(x0, y, x1 - x0, 1), g);
    // The same fade in black one row lower cuts the rule into the surface.
    QLinearGradient s(x0, 0, x1, 0);
    s.setColorAt(0, QColor(0, 0, 0, 0));
    s.setColorAt(0.15, QColor(0, 0, 0, 110));
    s.setColorAt(0.85, QColor(0, 0, 0, 110));
    s.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(x0, y + 1, x1 - x0, 1), s);
}
