#pragma once

#include "analysis/AnalysisSession.h"
#include "analysis/TimeAxis.h"

#include <QSize>
#include <QString>

#include <optional>
#include <vector>

// What a picture of the analysis view shows.
struct PictureRequest {
    const AnalysisSession* session = nullptr;
    std::vector<Trace> traces;
    double from = 0; // shown times
    double to = 1;
    std::optional<double> cursorA;
    std::optional<double> cursorB;
    std::vector<std::optional<AxisSpan>> valueRanges; // per plot; nothing: fit the data
    QSize size{1200, 800};
};

constexpr int kLargestPicture = 8192; // pixels each way: 256 MB of image at most

// Draws the plots at the asked size into a PNG or, for a name ending in
// ".svg", an SVG file. Needs a QGuiApplication (any platform, offscreen too)
// but no window. False with `error` set when the file cannot be written.
bool writePicture(const QString& path, const PictureRequest& request, QString* error = nullptr);

// The name a picture is written under when the file dialog gave `path` with
// `filter` chosen ("PNG(*.png)" or "SVG(*.svg)"): the extension decides the
// format, so a name without ".png" or ".svg" gets the chosen type's.
QString pictureFileName(const QString& path, const QString& filter);
