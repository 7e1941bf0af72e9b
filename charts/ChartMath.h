#pragma once

#include <string>
#include <vector>

// Numbers and texts of the chart panels and the detail chart, exactly as the
// charts draw them, free of any painting.
namespace ChartMath {

// Coordinates handed to the painter stay within this magnitude, so that a
// wild value can neither overflow an int nor upset the rasteriser.
constexpr int kCoordinateLimit = 32767;

// "%02d:%02d:%02d" of the i-th time label (i = 0..10) for a time span; the
// hours field widens past two digits.
std::string timeLabel(int timeSpan, int i);

// min + (max - min) * i * step, with step a single-precision constant
// (0.2f for the small charts, 0.1f for the detail chart), computed in double.
double valueLabelValue(float minimum, float maximum, int i, float step);

// "%.2f" with a decimal point whatever the process locale says.
std::string formatValue(double value);

// The vertical pixel of value v: scale = float((max - min) / (bottom - top)),
// y = trunc((max - v) / scale + top). An empty or undefined range (scale 0,
// NaN or infinite) maps every value to the middle row of the plot, and so does
// a NaN value; results are clamped to +-kCoordinateLimit.
int valueToY(double v, float minimum, float maximum, int top, int bottom);

// The detail chart's read-out at cursor height cy:
// max - (max - min) * (cy - top) * (1/600.0f), in double.
double readoutValue(float minimum, float maximum, int cursorY, int top);

struct Pixel {
    int x = 0;
    int y = 0;
    bool operator==(const Pixel&) const = default;
};

// The pixels of a one-pixel line from (x1, y1) towards (x2, y2) in drawing
// order, the start painted and the end point left out whichever way the line
// runs, keeping only those inside the box [left, right) x [top, bottom).
// A zero-length line has no pixels.
std::vector<Pixel> linePixels(int x1, int y1, int x2, int y2, int left, int top, int right, int bottom);

// Truncates toward zero into [-kCoordinateLimit, kCoordinateLimit]; NaN gives 0.
int clampCoordinate(double v);
}
