#include "Artworks.h"

#include "LogoMark.h"
#include "Palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

// A battery on its side whose window shows a charge curve; designed on a 64 grid
// and scaled, so the desktop's large icon is the same drawing.
void paintProgramIcon(QImage& image)
{
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(image.width() / 64.0, image.height() / 64.0);
    drawProgramIcon(p);
}

void drawProgramIcon(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF body(3, 13, 51, 38);
    const QRectF nub(53, 24, 8, 16);

    QLinearGradient metal(0, body.top(), 0, body.bottom());
    metal.setColorAt(0, QColor(120, 172, 240));
    metal.setColorAt(0.5, Palette::accent);
    metal.setColorAt(1, Palette::accentDeep);
    p.setPen(QPen(QColor(14, 40, 84), 1.5));
    p.setBrush(metal);
    p.drawRoundedRect(nub, 2.5, 2.5);
    p.drawRoundedRect(body, 7, 7);

    const QRectF window = body.adjusted(5, 5, -5, -5);
    QLinearGradient glass(0, window.top(), 0, window.bottom());
    glass.setColorAt(0, QColor(30, 34, 42));
    glass.setColorAt(1, QColor(12, 14, 18));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRoundedRect(window, 3.5, 3.5);

    const QPainterPath curve = LogoMark::chargeCurve(window.adjusted(3, 4, -3, -3));
    QPainterPath area = curve;
    area.lineTo(window.right() - 3, window.bottom() - 3);
    area.lineTo(window.left() + 3, window.bottom() - 3);
    area.closeSubpath();
    QColor glow = Palette::charge;
    glow.setAlpha(80);
    p.setBrush(glow);
    p.drawPath(area);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Palette::charge.lighter(110), 3.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(curve);

    // A sheen along the upper edge keeps the body round at small sizes.
    QColor sheen(255, 255, 255, 70);
    p.setPen(QPen(sheen, 1.5));
    p.drawLine(QPointF(body.left() + 7, body.top() + 2), QPointF(body.right() - 7, body.top() + 2));
}
