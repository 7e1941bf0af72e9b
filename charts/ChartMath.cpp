#include "charts/ChartMath.h"

#include <charconv>
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
}
