#include "analysis/PictureExport.h"

#include "analysis/PlotStack.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace {

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

QString pictureFileName(const QString& path, const QString& filter)
{
    if (path.isEmpty())
        return path;
    for (const QLatin1StringView known : {QLatin1StringView(".png"), QLatin1StringView(".svg")}) {
        if (path.endsWith(known, Qt::CaseInsensitive))
            return path;
    }
    return path + (filter.contains(QStringLiteral("*.svg")) ? QStringLiteral(".svg") : QStringLiteral(".png"));
}

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

    // Drawn into memory first, then written in one go through a file that
    // replaces the target whole or not at all: the SVG generator's text stream
    // drops a short write without a word, so only our own count can tell.
    QByteArray bytes;
    QBuffer encoded(&bytes);
    encoded.open(QIODevice::WriteOnly);
    const QRectF target(QPointF(0, 0), size);
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&encoded);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Trelvane analysis"));
        QPainter painter;
        if (!painter.begin(&svg))
            return fail(error, QStringLiteral("The picture cannot be drawn"));
        painter.fillRect(target, Qt::white);
        picture.render(painter, target);
        painter.end();
    } else {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        picture.render(painter, target);
        painter.end();
        if (!image.save(&encoded, "PNG"))
            return fail(error, QStringLiteral("The picture cannot be encoded"));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        // A short write leaves no error of its own behind.
        const QString why = file.error() != QFileDevice::NoError ? file.errorString()
                                                                  : QStringLiteral("The disk took only part of the file");
        file.cancelWriting();
        return fail(error, why);
    }
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}
