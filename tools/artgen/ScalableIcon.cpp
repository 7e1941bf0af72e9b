#include "ScalableIcon.h"

#include "Artworks.h"

#include <QFile>
#include <QPainter>
#include <QSvgGenerator>

namespace {

constexpr int kDesignGrid = 64; // the icon's drawing coordinates

} // namespace

QString writeScalableIcon(const QString& path)
{
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(kDesignGrid, kDesignGrid));
    svg.setViewBox(QRect(0, 0, kDesignGrid, kDesignGrid));
    svg.setTitle(QStringLiteral("Trelvane"));
    svg.setDescription(QStringLiteral("The Trelvane program icon"));
    QPainter painter;
    if (!painter.begin(&svg))
        return QStringLiteral("cannot be written");
    drawProgramIcon(painter);
    if (!painter.end())
        return QStringLiteral("cannot be written");
    // QSvgGenerator reports no write error of its own: read the file back.
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly) || !written.readAll().contains("</svg>"))
        return QStringLiteral("was not written completely");
    return {};
}
