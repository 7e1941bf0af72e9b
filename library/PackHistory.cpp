#include "library/PackHistory.h"

#include <algorithm>

Chemistry packChemistry(const std::vector<PackRun>& runs)
{
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        const Chemistry c = chemistryOf(it->figures.batteryType);
        if (c != Chemistry::Unknown)
            return c;
    }
    return Chemistry::Unknown;
}

std::vector<std::size_t> runsOfMode(const std::vector<PackRun>& runs, RunFigures::Mode mode)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].figures.mode == mode)
            out.push_back(i);
    }
    return out;
}

std::size_t firstRunCount(std::size_t n)
{
    return std::clamp<std::size_t>(n > 0 ? n - 1 : 0, 1, history::kFirstRuns);
}
