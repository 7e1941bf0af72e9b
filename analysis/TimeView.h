#pragma once

// The stretch of time a view shows within the extent of the open runs:
// zoomed around a point, panned, set to a box, or reset to the whole extent.
// It never leaves the extent and never shows less than kShortestSpan, so the
// view always holds something to look at. While it shows the whole extent it
// keeps doing so as a growing run extends it.
class TimeView {
public:
    static constexpr double kShortestSpan = 4; // seconds

    // The times of the open runs' first and last samples.
    void setExtent(double first, double last);
    double extentFrom() const { return extentFrom_; }
    double extentTo() const { return extentTo_; }

    double from() const { return from_; }
    double to() const { return to_; }
    double span() const { return to_ - from_; }
    bool showsAll() const { return from_ <= extentFrom_ && to_ >= extentTo_; }

    // factor < 1 zooms in, > 1 out; `at` stays where it is on the screen.
    void zoom(double at, double factor);
    void pan(double seconds);
    void show(double from, double to);
    void reset();

private:
    void clamp();

    double extentFrom_ = 0;
    double extentTo_ = kShortestSpan;
    double from_ = 0;
    double to_ = kShortestSpan;
};
