#include "res/Bitmaps.h"

#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QString>

// Q_INIT_RESOURCE must be used outside any namespace. The resources live in a
// static library: registering them here makes the lookup independent of whether
// the linker kept the library's resource initialiser.
static void registerBitmapResources()
{
    Q_INIT_RESOURCE(bitmaps);
}

static void ensureBitmapResources()
{
    static const bool registered = (registerBitmapResources(), true);
    (void)registered;
}

QPixmap loadBitmap(int id)
{
    ensureBitmapResources();
    if (id <= 0)
        return {};
    return QPixmap(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

void drawStretchedBitmap(QPainter& painter, const QRect& target, int id)
{
    if (target.isEmpty())
        return;
    // Smooth scaling is costly; the views repaint every second at one size.
    const QString key = QStringLiteral("trelvane-stretched-%1-%2x%3").arg(id).arg(target.width()).arg(target.height());
    QPixmap stretched;
    if (!QPixmapCache::find(key, &stretched)) {
        // Only the stretched copy is kept: decoded straight into an image,
        // scaled and handed over without a further copy. Keeping the original
        // as well (as a pixmap loaded by name would) filled the cache with
        // two 3 MB copies per view, until it evicted them and every paint
        // decoded and stretched again.
        ensureBitmapResources();
        QImage bitmap(QStringLiteral(":/bitmaps/%1.png").arg(id));
        if (bitmap.isNull())
            return;
        stretched = QPixmap::fromImage(bitmap.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        QPixmapCache::insert(key, stretched);
    }
    painter.drawPixmap(target.topLeft(), stretched);
}
