#include "e2e/ScreenShot.h"

#include <QProcess>

#include <cstdlib>

#ifndef TRELVANE_BIN_DIR
#error TRELVANE_BIN_DIR names the folder of the built programs
#endif

namespace {

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

ScreenShot ScreenShot::take(const QProcessEnvironment& environment, const QString& savePath)
{
    ScreenShot shot;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TRELVANE_BIN_DIR "/trelvane-xshot"), {savePath});
    if (!process.waitForStarted(10000) || !process.waitForFinished(30000) || process.exitCode() != 0)
        return shot;
    shot.image_ = QImage(savePath).convertToFormat(QImage::Format_RGB32);
    return shot;
}

int ScreenShot::countColour(const QRect& area, const QColor& colour, int tolerance) const
{
    const QRect clipped = area & image_.rect();
    int count = 0;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (near(image_.pixel(x, y), colour.rgb(), tolerance))
                ++count;
        }
    }
    return count;
}

int ScreenShot::countUnlike(const QRect& area, const QImage& reference, QPoint origin, int tolerance) const
{
    const QRect clipped = area & image_.rect();
    int count = 0;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QRgb seen = image_.pixel(x, y);
            bool matched = false;
            for (int dy = -1; dy <= 1 && !matched; ++dy) {
                for (int dx = -1; dx <= 1 && !matched; ++dx) {
                    const QPoint at(x - origin.x() + dx, y - origin.y() + dy);
                    matched = reference.valid(at) && near(reference.pixel(at), seen, tolerance);
                }
            }
            if (!matched)
                ++count;
        }
    }
    return count;
}
