#include "analysis/RunAlignment.h"

std::vector<double> alignAtStart(const std::vector<const RunData*>& runs)
{
    std::vector<double> offsets(runs.size(), 0.0);
    const RunData* reference = nullptr;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        if (runs[r]->empty())
            continue;
        if (!reference)
            reference = runs[r];
        offsets[r] = runs[r]->firstTime() - reference->firstTime();
    }
    return offsets;
}

double alignAtCursor(const RunData& run, double offset, double from, double to)
{
    if (run.empty())
        return offset;
    const std::size_t sample = run.nearest(from + offset);
    return run.time(sample) - to;
}
