#pragma once

#include "analysis/AnalysisRun.h"
#include "analysis/RangeStats.h"
#include "analysis/TimeView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// What the analysis window shows, without the window: the open runs and how
// they are aligned, the time view over them, the two cursors (snapped to the
// samples of the chosen run) and the figures between the cursors.
class AnalysisSession {
public:
    enum class Cursor { A, B };

    // Opens and reads a log; false with `error` set when it cannot be read.
    // `progress` is told as AnalysisRun::load tells it.
    bool open(const std::string& path, std::string& error, const AnalysisRun::Progress& progress = {});
    // Takes in what the files gained since; true when anything changed.
    bool refresh();
    // Empty while every file could be read at the last refresh; otherwise
    // "PATH: reason" of one that could not. Its records read before stay.
    const std::string& followFailure() const { return followFailure_; }
    // Counts the changes of the runs' data (opened, grown, read anew).
    std::size_t generation() const { return generation_; }

    std::size_t runCount() const { return runs_.size(); }
    const AnalysisRun& run(std::size_t r) const { return *runs_[r].run; }
    double offset(std::size_t r) const { return runs_[r].offset; }

    // The run the cursors and the table belong to.
    std::size_t currentRun() const { return current_; }
    void setCurrentRun(std::size_t r);

    TimeView& view() { return view_; }
    const TimeView& view() const { return view_; }

    // A cursor at the sample of the current run nearest a shown time.
    void placeCursor(Cursor cursor, double shownTime);
    // Moves a cursor by whole samples, stopping at the ends.
    void stepCursor(Cursor cursor, long samples);
    void cursorToEnd(Cursor cursor, bool last);
    std::optional<std::size_t> cursorSample(Cursor cursor) const;
    std::optional<double> cursorTime(Cursor cursor) const; // shown time

    // Figures between the cursors (the whole run while a cursor is not placed).
    std::optional<RangeStats> stats() const;

    void alignAtStart();
    // Shifts the current run so that its sample under cursor B lies under cursor A.
    bool alignAtCursors();

private:
    struct Open {
        std::unique_ptr<AnalysisRun> run;
        double offset = 0;
    };
    void updateExtent();
    std::optional<std::size_t>& slot(Cursor cursor) { return cursor == Cursor::A ? cursorA_ : cursorB_; }
    const RunData* currentData() const;

    std::vector<Open> runs_;
    std::size_t current_ = 0;
    std::size_t generation_ = 0;
    std::string followFailure_;
    TimeView view_;
    std::optional<std::size_t> cursorA_;
    std::optional<std::size_t> cursorB_;
};
