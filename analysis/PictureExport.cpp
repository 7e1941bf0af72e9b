#include "analysis/PictureExport.h"

#include "analysis/PlotStack.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

namespace {

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

bool writePicture(const QString& path, const PictureRequest& request, QString* error)
{
    const QSize size = request.size;
    if (size.width() < 1 || size.height() < 1 || size.width() > kLargestPicture || size.height() > kLargestPicture)
        return fail(error, QStringLiteral("The size must be from 1 to %1 pixels each way").arg(kLargestPicture));
    if (!request.session)
        return fail(error, QStringLiteral("Nothing to draw"));

    // A stack of its own, decimated for this width.
    const AnalysisSession& session = *request.session;
    PlotStack picture;
    std::vector<PlotRun> runs;
    for (std::size_t r = 0; r < session.runCount(); ++r)
        runs.push_back({&session.run(r).data(), QFile::decodeName(session.run(r).name().c_str()), session.offset(r)});
    picture.setRuns(std::move(runs));
    picture.setTraces(request.traces);
    picture.setSize(size);
    for (int p = 0; p < picture.plotCount() && p < static_cast<int>(request.valueRanges.size()); ++p)
        picture.setValueRange(p, request.valueRanges[static_cast<std::size_t>(p)]);
    picture.setTimeRange(request.from, request.to);
    picture.setCursors(request.cursorA, request.cursorB);
    picture.refresh();

    const QRectF target(QPointF(0, 0), size);
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Trelvane analysis"));
        QPainter painter;
        if (!painter.begin(&svg))
            return fail(error, QStringLiteral("The file cannot be written"));
        painter.fillRect(target, Qt::white);
        picture.render(painter, target);
        if (!painter.end())
            return fail(error, QStringLiteral("The file cannot be written"));
        // QSvgGenerator says nothing when its file could not be opened.
        if (!QFile::exists(path))
            return fail(error, QStringLiteral("The file cannot be written"));
        return true;
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.render(painter, target);
    painter.end();
    if (!image.save(path, "PNG"))
        return fail(error, QStringLiteral("The file cannot be written"));
    return true;
}
