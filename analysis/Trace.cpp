#include "analysis/Trace.h"

#include <algorithm>

namespace {

// Decimals follow what the charger resolves: 10 mV, 10 mA, 1 mAh, 1 degree.
constexpr std::array<TraceInfo, kTraceCount> kTraces = {{
    {"voltage", "Voltage", "V", "V", 2, PlotGroup::Voltage},
    {"current", "Current", "A", "A", 2, PlotGroup::Current},
    {"capacity", "Capacity", "mAh", "mAh", 0, PlotGroup::Capacity},
    {"temperature", "Temperature", "\u00b0", "deg", 0, PlotGroup::Temperature},
    {"cell1", "Cell 1", "V", "V", 3, PlotGroup::Cells},
    {"cell2", "Cell 2", "V", "V", 3, PlotGroup::Cells},
    {"cell3", "Cell 3", "V", "V", 3, PlotGroup::Cells},
    {"cell4", "Cell 4", "V", "V", 3, PlotGroup::Cells},
    {"cell5", "Cell 5", "V", "V", 3, PlotGroup::Cells},
    {"cell6", "Cell 6", "V", "V", 3, PlotGroup::Cells},
    {"cell7", "Cell 7", "V", "V", 3, PlotGroup::Cells},
    {"cell8", "Cell 8", "V", "V", 3, PlotGroup::Cells},
    {"spread", "Cell spread", "mV", "mV", 0, PlotGroup::Spread},
    {"power", "Power", "W", "W", 2, PlotGroup::Power},
    {"energy", "Energy", "Wh", "Wh", 3, PlotGroup::Energy},
    {"charge", "Charge (integrated)", "mAh", "mAh", 1, PlotGroup::Capacity},
}};

constexpr std::array<const char*, kPlotGroupCount> kGroupTitles = {
    "Voltage (V)", "Current (A)", "Capacity (mAh)", "Temperature (\u00b0)",
    "Cells (V)",   "Cell spread (mV)", "Power (W)", "Energy (Wh)",
};

} // namespace

const TraceInfo& traceInfo(Trace trace)
{
    return kTraces[index(trace)];
}

const char* plotGroupTitle(PlotGroup group)
{
    return kGroupTitles[static_cast<std::size_t>(group)];
}

std::string jsonKey(Trace trace)
{
    const TraceInfo& info = traceInfo(trace);
    return std::string(info.key) + "_" + info.keyUnit;
}

std::vector<Trace> basicTraces()
{
    return {Trace::Voltage, Trace::Current, Trace::Capacity, Trace::Temperature};
}

std::optional<std::vector<Trace>> parseTraceList(const std::string& text, std::string* bad)
{
    std::vector<Trace> traces;
    const auto add = [&traces](Trace t) {
        if (std::find(traces.begin(), traces.end(), t) == traces.end())
            traces.push_back(t);
    };
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string name = text.substr(at, comma - at);
        at = comma + 1;
        if (name == "cells") {
            for (int cell = 0; cell < kCellCount; ++cell)
                add(cellTrace(cell));
            continue;
        }
        std::size_t i = 0;
        while (i < kTraceCount && name != kTraces[i].key)
            ++i;
        if (i == kTraceCount) {
            if (bad)
                *bad = name;
            return std::nullopt;
        }
        add(traceAt(i));
    }
    return traces;
}
