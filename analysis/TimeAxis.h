#pragma once

#include <optional>
#include <string>
#include <vector>

// Ticks of a time axis labelled in h:mm:ss, on steps a person counts in
// (1, 2, 5, 10, 15, 30 s; 1, 2, 5, 10, 15, 30 min; 1, 2, 3, 6, 12 h; days).
struct TimeTick {
    double time = 0;
    std::string label;
};
std::vector<TimeTick> timeTicks(double from, double to, int mostTicks);

// "h:mm:ss" of a time in seconds, rounded to the second.
std::string clockText(double seconds);

// Reads "H:MM:SS", "M:SS" or plain seconds ("90"); nothing on anything else.
std::optional<double> parseClock(const std::string& text);

// An axis range around the values [minimum, maximum] with a little room
// above and below, so a flat trace is a line in the middle, not on an edge.
struct AxisSpan {
    double minimum = 0;
    double maximum = 1;
};
AxisSpan fitAxis(double minimum, double maximum);

// A round step (1, 2 or 5 times a power of ten) that cuts `span` into at most
// `mostTicks` pieces, and the digits after the point its labels need.
struct ValueStep {
    double step = 1;
    int decimals = 0;
};
ValueStep niceStep(double span, int mostTicks);
