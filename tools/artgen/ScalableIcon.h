#pragma once

#include <QString>

// Writes the program icon as SVG: the same drawing as the bitmaps, for the
// desktop's scalable icon folder. Returns an error text, or an empty one.
QString writeScalableIcon(const QString& path);
