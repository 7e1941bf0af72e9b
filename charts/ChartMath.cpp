#include "charts/ChartMath.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdio>

namespace ChartMath {

std::string timeLabel(int timeSpan, int i)
{
    // 64-bit so that no span the int can hold overflows i * step.
    const long long step = timeSpan / 10;
    const long long s = static_cast<long long>(i) * step;
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", s / 3600, (s % 3600) / 60, s % 60);
    return text;
}

double valueLabelValue(float minimum, float maximum, int i, float step)
{
    const double lo = minimum;
    const double hi = maximum;
    return lo + (hi - lo) * i * static_cast<double>(step);
}

std::string formatValue(double value)
{
    // std::to_chars never consults the locale, unlike printf, which a Qt
    // application's setlocale() would switch to a decimal comma.
    char text[400]; // wide enough for the largest finite double in fixed notation
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    if (result.ec != std::errc())
        return "?";
    return std::string(text, result.ptr);
}

int clampCoordinate(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= kCoordinateLimit)
        return kCoordinateLimit;
    if (v <= -kCoordinateLimit)
        return -kCoordinateLimit;
    return static_cast<int>(v); // truncation toward zero
}

int valueToY(double v, float minimum, float maximum, int top, int bottom)
{
    const int height = bottom - top;
    const float scale = height != 0 ? static_cast<float>((static_cast<double>(maximum) - minimum) / height) : 0.0f;
    if (scale == 0.0f || !std::isfinite(scale) || std::isnan(v))
        return top + height / 2;
    return clampCoordinate((static_cast<double>(maximum) - v) / static_cast<double>(scale) + top);
}

double readoutValue(float minimum, float maximum, int cursorY, int top)
{
    constexpr float k = 1 / 600.0f;
    const double hi = maximum;
    return hi - (hi - minimum) * (static_cast<double>(cursorY) - top) * static_cast<double>(k);
}

std::vector<Pixel> linePixels(int x1, int y1, int x2, int y2, int left, int top, int right, int bottom)
{
    const std::int64_t dx = static_cast<std::int64_t>(x2) - x1;
    const std::int64_t dy = static_cast<std::int64_t>(y2) - y1;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t steps = xMajor ? std::llabs(dx) : std::llabs(dy);
    const std::int64_t minorDelta = xMajor ? dy : dx;
    const std::int64_t majorStart = xMajor ? x1 : y1;
    const std::int64_t minorStart = xMajor ? y1 : x1;
    const int direction = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const std::int64_t low = xMajor ? left : top;   // the box along the major axis
    const std::int64_t high = xMajor ? right : bottom;
    const std::int64_t minorLow = xMajor ? top : left;
    const std::int64_t minorHigh = xMajor ? bottom : right;

    // Only the steps whose major coordinate falls inside the box are walked.
    std::int64_t first = 0;
    std::int64_t last = steps - 1;
    if (direction > 0) {
        first = std::max(first, low - majorStart);
        last = std::min(last, high - 1 - majorStart);
    } else {
        first = std::max(first, majorStart - high + 1);
        last = std::min(last, majorStart - low);
    }

    std::vector<Pixel> pixels;
    if (last >= first)
        pixels.reserve(static_cast<std::size_t>(last - first + 1));
    const std::int64_t span = std::llabs(minorDelta);
    const int minorDirection = minorDelta < 0 ? -1 : 1;
    for (std::int64_t k = first; k <= last; ++k) {
        // Rounded to the nearest row, a half step towards the start.
        const auto offset = static_cast<std::int64_t>((static_cast<__int128>(2) * k * span + steps - 1) / (2 * steps));
        const std::int64_t minor = minorStart + minorDirection * offset;
        if (minor < minorLow || minor >= minorHigh)
            continue;
        const std::int64_t major = majorStart + direction * k;
        pixels.push_back(xMajor ? Pixel{static_cast<int>(major), static_cast<int>(minor)}
                                : Pixel{static_cast<int>(minor), static_cast<int>(major)});
    }
    return pixels;
}
}
