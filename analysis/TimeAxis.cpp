#include "analysis/TimeAxis.h"

#include "recording/LogCsv.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kSteps[] = {1,    2,    5,    10,    15,    30,    60,    120,   300,  600,
                             900,  1800, 3600, 7200,  10800, 21600, 43200, 86400, 172800, 432000,
                             864000};
constexpr double kMargin = 0.05;      // of the span, above and below
constexpr double kFlatMargin = 0.05;  // of the value, for a flat trace
constexpr double kLargestClock = 9.0e15; // seconds that still fit an int64 exactly

} // namespace

std::string clockText(double seconds)
{
    if (!std::isfinite(seconds) || std::fabs(seconds) > kLargestClock)
        return "-";
    return LogCsv::clock(static_cast<std::int64_t>(std::llround(seconds)));
}

std::vector<TimeTick> timeTicks(double from, double to, int mostTicks)
{
    std::vector<TimeTick> ticks;
    if (!(to > from) || mostTicks < 1 || !std::isfinite(from) || !std::isfinite(to))
        return ticks;
    double step = 0;
    for (double s : kSteps) {
        if ((to - from) / s <= mostTicks) {
            step = s;
            break;
        }
    }
    if (step == 0) // longer than the table: whole multiples of its last step
        step = kSteps[std::size(kSteps) - 1] * std::ceil((to - from) / mostTicks / kSteps[std::size(kSteps) - 1]);
    for (double t = std::ceil(from / step) * step; t <= to; t += step)
        ticks.push_back({t, clockText(t)});
    return ticks;
}

std::optional<double> parseClock(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    double total = 0;
    int fields = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t colon = text.find(':', at);
        if (colon == std::string::npos)
            colon = text.size();
        const std::string part = text.substr(at, colon - at);
        if (part.empty() || part.size() > 12 || part.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const double v = std::stod(part);
        // Minutes and seconds after a colon are below 60.
        if (fields > 0 && (v >= 60 || part.size() != 2))
            return std::nullopt;
        total = total * 60 + v;
        ++fields;
        at = colon + 1;
    }
    if (fields > 3)
        return std::nullopt;
    return total;
}

AxisSpan fitAxis(double minimum, double maximum)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || minimum > maximum)
        return {};
    double room = (maximum - minimum) * kMargin;
    if (room == 0)
        room = minimum == 0 ? 1 : std::fabs(minimum) * kFlatMargin;
    const double low = minimum - room;
    const double high = maximum + room;
    if (!std::isfinite(low) || !std::isfinite(high))
        return {minimum, maximum > minimum ? maximum : minimum + 1};
    return {low, high};
}

ValueStep niceStep(double span, int mostTicks)
{
    if (!std::isfinite(span) || span <= 0 || mostTicks < 1)
        return {};
    const double raw = span / mostTicks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * power;
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) {
            step = m * power;
            break;
        }
    }
    const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 9);
    return {step, decimals};
}
