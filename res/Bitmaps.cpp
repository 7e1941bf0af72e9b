#include "res/Bitmaps.h"

#include <QPainter>
#include <QString>

// Q_INIT_RESOURCE must be used outside any namespace. The resources live in a
// static library: registering them here makes the lookup independent of whether
// the linker kept the library's resource initialiser.
static void registerBitmapResources()
{
    Q_INIT_RESOURCE(bitmaps);
}

QPixmap loadBitmap(int id)
{
    static const bool registered = (registerBitmapResources(), true);
    (void)registered;
    if (id <= 0)
        return {};
    return QPixmap(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

void drawStretchedBitmap(QPainter& painter, const QRect& target, int id)
{
    const QPixmap bitmap = loadBitmap(id);
    if (bitmap.isNull())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, bitmap);
    painter.restore();
}
