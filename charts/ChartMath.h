#pragma once

#include <string>

// Numbers and texts of the chart panels and the detail chart, exactly as the
// charts draw them, free of any painting.
namespace ChartMath {

// "%02d:%02d:%02d" of the i-th time label (i = 0..10) for a time span.
std::string timeLabel(int timeSpan, int i);

// min + (max - min) * i * step, with step a single-precision constant
// (0.2f for the small charts, 0.1f for the detail chart), computed in double.
double valueLabelValue(float minimum, float maximum, int i, float step);
std::string formatValue(double value); // "%.2f" in the C locale

// The vertical pixel of value v: scale = float((max - min) / plotHeight),
// y = trunc((max - v) / scale + top). An empty range (scale 0) maps every
// value to the middle row of the plot; results are clamped to a safe range
// so that no float-to-int conversion overflows.
int valueToY(double v, float minimum, float maximum, int top, int bottom);

// The detail chart's read-out at cursor height cy: max - (max - min) * (cy - top) * (1/600.0f).
double readoutValue(float minimum, float maximum, int cursorY, int top);

// Clamp a coordinate into a range the painter handles sanely.
int clampCoordinate(double v);
}
