#pragma once

#include "analysis/RunData.h"

#include <vector>

// Runs compared in one view are shown shifted: a run's shown time is its own
// time minus its offset.

// Offsets that put every run's first sample where the first run's is (runs
// recorded by this program all start at 1 s, so they come out 0). Empty runs get 0.
std::vector<double> alignAtStart(const std::vector<const RunData*>& runs);

// The offset that moves `run` (now shown with `offset`) so that its sample
// nearest the shown time `from` appears at the shown time `to`: line up a
// feature under cursor B with cursor A.
double alignAtCursor(const RunData& run, double offset, double from, double to);
