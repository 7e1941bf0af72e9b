#include "analysis/AnalysisSession.h"

#include "analysis/RunAlignment.h"

#include <algorithm>

bool AnalysisSession::open(const std::string& path, std::string& error, const AnalysisRun::Progress& progress)
{
    auto run = std::make_unique<AnalysisRun>(path);
    if (!run->load(progress)) {
        error = run->error();
        return false;
    }
    runs_.push_back({std::move(run), 0});
    ++generation_;
    alignAtStart();
    view_.reset();
    return true;
}

bool AnalysisSession::refresh()
{
    bool changed = false;
    followFailure_.clear();
    for (std::size_t r = 0; r < runs_.size(); ++r) {
        const AnalysisRun::Update update = runs_[r].run->refresh();
        if (update == AnalysisRun::Update::Failed)
            followFailure_ = runs_[r].run->path() + ": " + runs_[r].run->error();
        if (update == AnalysisRun::Update::Restarted && r == current_) {
            // Samples the cursors pointed at may be gone.
            cursorA_.reset();
            cursorB_.reset();
        }
        changed |= update == AnalysisRun::Update::Grew || update == AnalysisRun::Update::Restarted;
    }
    if (changed) {
        ++generation_;
        // Keep the cursors on samples that exist.
        const RunData* data = currentData();
        for (auto* c : {&cursorA_, &cursorB_}) {
            if (*c && (!data || **c >= data->size()))
                c->reset();
        }
        updateExtent();
    }
    return changed;
}

void AnalysisSession::setCurrentRun(std::size_t r)
{
    if (r >= runs_.size() || r == current_)
        return;
    // The cursors stay at their shown times, snapped to the new run's samples.
    const std::optional<double> a = cursorTime(Cursor::A);
    const std::optional<double> b = cursorTime(Cursor::B);
    current_ = r;
    cursorA_.reset();
    cursorB_.reset();
    if (a)
        placeCursor(Cursor::A, *a);
    if (b)
        placeCursor(Cursor::B, *b);
}

const RunData* AnalysisSession::currentData() const
{
    return current_ < runs_.size() ? &runs_[current_].run->data() : nullptr;
}

void AnalysisSession::placeCursor(Cursor cursor, double shownTime)
{
    const RunData* data = currentData();
    if (!data || data->empty())
        return;
    slot(cursor) = data->nearest(shownTime + runs_[current_].offset);
}

void AnalysisSession::stepCursor(Cursor cursor, long samples)
{
    const RunData* data = currentData();
    if (!data || data->empty())
        return;
    std::optional<std::size_t>& at = slot(cursor);
    if (!at) {
        // An unplaced cursor starts from the middle of the view.
        placeCursor(cursor, (view_.from() + view_.to()) / 2);
        return;
    }
    const long last = static_cast<long>(data->size()) - 1;
    at = static_cast<std::size_t>(std::clamp(static_cast<long>(*at) + samples, 0L, last));
}

void AnalysisSession::cursorToEnd(Cursor cursor, bool last)
{
    const RunData* data = currentData();
    if (data && !data->empty())
        slot(cursor) = last ? data->size() - 1 : 0;
}

std::optional<std::size_t> AnalysisSession::cursorSample(Cursor cursor) const
{
    return cursor == Cursor::A ? cursorA_ : cursorB_;
}

std::optional<double> AnalysisSession::cursorTime(Cursor cursor) const
{
    const std::optional<std::size_t> at = cursorSample(cursor);
    const RunData* data = currentData();
    if (!at || !data || *at >= data->size())
        return std::nullopt;
    return data->time(*at) - runs_[current_].offset;
}

std::optional<RangeStats> AnalysisSession::stats() const
{
    const RunData* data = currentData();
    if (!data || data->empty())
        return std::nullopt;
    return rangeStats(*data, cursorA_.value_or(0), cursorB_.value_or(data->size() - 1));
}

void AnalysisSession::updateExtent()
{
    Extent extent;
    for (const Open& o : runs_) {
        const RunData& data = o.run->data();
        if (!data.empty()) {
            extent.take(data.firstTime() - o.offset);
            extent.take(data.lastTime() - o.offset);
        }
    }
    if (!extent.empty())
        view_.setExtent(extent.minimum, extent.maximum);
}

void AnalysisSession::alignAtStart()
{
    std::vector<const RunData*> data;
    for (const Open& o : runs_)
        data.push_back(&o.run->data());
    const std::vector<double> offsets = ::alignAtStart(data);
    for (std::size_t r = 0; r < runs_.size(); ++r)
        runs_[r].offset = offsets[r];
    updateExtent();
}

bool AnalysisSession::alignAtCursors()
{
    const std::optional<double> a = cursorTime(Cursor::A);
    const std::optional<double> b = cursorTime(Cursor::B);
    if (!a || !b)
        return false;
    Open& o = runs_[current_];
    o.offset = alignAtCursor(o.run->data(), o.offset, *b, *a);
    // The run moved under the cursors: both now mark the lined-up feature.
    placeCursor(Cursor::A, *a);
    placeCursor(Cursor::B, *a);
    updateExtent();
    return true;
}
