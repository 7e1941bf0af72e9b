#include "analysis/TimeView.h"

#include <algorithm>
#include <cmath>

void TimeView::setExtent(double first, double last)
{
    if (!std::isfinite(first) || !std::isfinite(last) || last < first)
        return;
    const bool all = showsAll();
    extentFrom_ = first;
    // A run of one sample still gets an axis to stand on.
    extentTo_ = std::max(last, first + kShortestSpan);
    if (all)
        reset();
    else
        clamp();
}

void TimeView::reset()
{
    from_ = extentFrom_;
    to_ = extentTo_;
}

void TimeView::zoom(double at, double factor)
{
    if (!std::isfinite(at) || !std::isfinite(factor) || factor <= 0)
        return;
    const double old = span();
    const double span = std::max(kShortestSpan, old * factor);
    // `at` keeps its place: the same fraction of the view lies before it.
    const double fraction = std::clamp((at - from_) / old, 0.0, 1.0);
    from_ = at - fraction * span;
    to_ = from_ + span;
    clamp();
}

void TimeView::pan(double seconds)
{
    if (!std::isfinite(seconds))
        return;
    from_ += seconds;
    to_ += seconds;
    clamp();
}

void TimeView::show(double from, double to)
{
    if (!std::isfinite(from) || !std::isfinite(to))
        return;
    if (to < from)
        std::swap(from, to);
    if (to - from < kShortestSpan) {
        const double middle = (from + to) / 2;
        from = middle - kShortestSpan / 2;
        to = middle + kShortestSpan / 2;
    }
    from_ = from;
    to_ = to;
    clamp();
}

void TimeView::clamp()
{
    const double extent = extentTo_ - extentFrom_;
    double span = std::clamp(to_ - from_, std::min(kShortestSpan, extent), extent);
    // Keep the span, slide it back inside.
    from_ = std::clamp(from_, extentFrom_, extentTo_ - span);
    to_ = from_ + span;
}
