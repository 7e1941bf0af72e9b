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

// The same pixels as linePixels, as the runs they form, found by stepping
// with an integer error term from run to run (no division per pixel): horizontal runs for a
// line that is at least as wide as it is high, vertical runs otherwise. Each
// run is handed to `onRun(left, top, right, bottom)` (inclusive) as soon as it
// ends, in drawing order.
template <class OnRun>
void forEachLineRun(int x1, int y1, int x2, int y2, int left, int top, int right, int bottom, OnRun&& onRun);

// Truncates toward zero into [-kCoordinateLimit, kCoordinateLimit]; NaN gives 0.
int clampCoordinate(double v);

template <class OnRun>
void forEachLineRun(int x1, int y1, int x2, int y2, int left, int top, int right, int bottom, OnRun&& onRun)
{
    using I = long long;
    const I dx = static_cast<I>(x2) - x1;
    const I dy = static_cast<I>(y2) - y1;
    const I adx = dx < 0 ? -dx : dx;
    const I ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const I steps = xMajor ? adx : ady;
    if (steps == 0)
        return;
    const I minorDelta = xMajor ? dy : dx;
    const I majorStart = xMajor ? x1 : y1;
    const I minorStart = xMajor ? y1 : x1;
    const I direction = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const I low = xMajor ? left : top;
    const I high = xMajor ? right : bottom;
    const I minorLow = xMajor ? top : left;
    const I minorHigh = xMajor ? bottom : right;

    // Only the steps whose major coordinate falls inside the box are walked.
    I first = 0;
    I last = steps - 1;
    if (direction > 0) {
        first = first > low - majorStart ? first : low - majorStart;
        last = last < high - 1 - majorStart ? last : high - 1 - majorStart;
    } else {
        first = first > majorStart - high + 1 ? first : majorStart - high + 1;
        last = last < majorStart - low ? last : majorStart - low;
    }
    if (last < first)
        return;

    // offset(k) = floor((2 k span + steps - 1) / (2 steps)): the nearest row,
    // a half step towards the start. One division for the first step; after
    // it the remainder grows by 2 span per step and carries at most once.
    const I span = minorDelta < 0 ? -minorDelta : minorDelta;
    const I minorDirection = minorDelta < 0 ? -1 : 1;
    const I twoSteps = 2 * steps;
    const I twoSpan = 2 * span;
    const __int128 start = static_cast<__int128>(2) * first * span + steps - 1;
    I offset = static_cast<I>(start / twoSteps);
    I remainder = static_cast<I>(start % twoSteps);

    // Pixels with one offset form a run: from k on, the offset next changes
    // after ceil((2 steps - remainder) / (2 span)) steps. Short runs are
    // counted by adding; only a run longer than four pixels takes a division.
    constexpr I kCountedRun = 4;
    for (I k = first; k <= last;) {
        const I minor = minorStart + minorDirection * offset;
        I sameRow = 1;
        if (span == 0) {
            sameRow = last - k + 1;
        } else {
            I carried = remainder + twoSpan;
            while (carried < twoSteps && sameRow < kCountedRun) {
                carried += twoSpan;
                ++sameRow;
            }
            if (carried < twoSteps)
                sameRow = (twoSteps - remainder + twoSpan - 1) / twoSpan;
        }
        const I end = last < k + sameRow - 1 ? last : k + sameRow - 1;
        if (minor >= minorLow && minor < minorHigh) {
            const I from = majorStart + direction * k;
            const I to = majorStart + direction * end;
            const auto a = static_cast<int>(from < to ? from : to);
            const auto b = static_cast<int>(from < to ? to : from);
            const auto m = static_cast<int>(minor);
            if (xMajor)
                onRun(a, m, b, m);
            else
                onRun(m, a, m, b);
        }
        remainder += (end - k + 1) * twoSpan;
        if (remainder >= twoSteps) {
            remainder -= twoSteps;
            ++offset;
        }
        k = end + 1;
    }
}
}
