// trelvane-library trend: a pack's runs and how it changed since its first runs.
#include "LibraryCommands.h"

#include "CommandLine.h"
#include "LibraryOptions.h"
#include "RunListing.h"
#include "analysis/StatsReport.h"
#include "library/PackTrend.h"

namespace {

std::string signedValue(const std::optional<double>& v, int decimals, const char* unit)
{
    if (!v)
        return "-";
    const std::string text = formatValue(*v, decimals);
    return (*v >= 0 && text[0] != '-' ? "+" : "") + text + unit;
}

std::string csvValue(const std::optional<double>& v, int decimals)
{
    return v ? formatValue(*v, decimals) : "";
}

std::string referenceLine(const char* what, const ModeReference& r)
{
    if (r.runs == 0)
        return {};
    return std::string("First ") + what + " (the reference): " + std::to_string(r.runs) + (r.runs == 1 ? " run, " : " runs, ")
           + formatValue(r.capacity, 0) + " mAh, " + formatValue(r.energy, 2) + " Wh, end spread "
           + (r.endSpread ? formatValue(*r.endSpread, 0) + " mV" : std::string("-")) + "\n";
}

} // namespace

int runTrend(int argc, const char* const* argv)
{
    cli::CommandLine line(std::string(kLibraryTool) + " trend", "PACK [--csv]",
                          "Shows a pack's runs oldest first with capacity, energy and end cell spread, and\n"
                          "each run's change against the pack's first runs of the same mode (charges\n"
                          "against charges, discharges against discharges): the mean of up to 3 first\n"
                          "runs, marked '*'. Capacity is the charger's count (the integrated current\n"
                          "when the charger counted nothing).",
                          "Exit status:\n"
                          "  0  done\n"
                          "  1  the library could not be read, or there is no such pack\n"
                          "  2  the command line is wrong");
    LibraryOptions::declare(line);
    line.flag("csv", 0, "comma-separated, with a header line of keys");
    line.positionals("PACK", 1, 1);
    return LibraryOptions::withLibrary(argc, argv, line, RunLibrary::Access::Read,
                                       [](RunLibrary& library, const cli::CommandLine& l) {
        const bool csv = l.isSet("csv");
        const PackInfo pack = library.pack(l.arguments()[0]);
        const std::vector<LibraryRun> listed = library.runs(pack.id);
        std::vector<PackRun> runs;
        for (const LibraryRun& r : listed)
            runs.push_back(r.packRun());
        const PackTrend trend = packTrend(runs);

        RunListing table(csv ? std::vector<std::string>{"id", "start", "mode", "reference", "capacity_mAh",
                                                        "capacity_change_pct", "integrated_mAh", "energy_Wh",
                                                        "energy_change_pct", "end_spread_mV", "end_spread_change_mV",
                                                        "largest_spread_mV", "peak_temperature_deg", "file"}
                             : std::vector<std::string>{"Run", "Start", "Mode", "Capacity (mAh)", "Change", "Energy (Wh)",
                                                        "Change", "End spread (mV)", "Change", "Peak temp. (°)", "File"});
        for (std::size_t i = 0; i < listed.size(); ++i) {
            const LibraryRun& r = listed[i];
            const TrendRow& row = trend.rows[i];
            const RunFigures& f = r.figures;
            if (csv) {
                table.add({std::to_string(r.id), isoTime(r.startTime), modeName(f.mode), row.reference ? "1" : "0",
                           formatValue(f.judgedCapacity(), 1), csvValue(row.capacityChange, 2),
                           formatValue(f.integratedCapacity, 1), formatValue(f.energy, 3), csvValue(row.energyChange, 2),
                           csvValue(f.endSpread, 1), csvValue(row.endSpreadChange, 1), csvValue(f.largestSpread, 1),
                           csvValue(f.peakTemperature, 0), csvField(r.path)});
            } else {
                table.add({std::to_string(r.id) + (row.reference ? "*" : ""), localTime(r.startTime), modeName(f.mode),
                           formatValue(f.judgedCapacity(), 0), signedValue(row.capacityChange, 1, " %"),
                           formatValue(f.energy, 2), signedValue(row.energyChange, 1, " %"),
                           f.endSpread ? formatValue(*f.endSpread, 0) : "-", signedValue(row.endSpreadChange, 0, " mV"),
                           f.peakTemperature ? formatValue(*f.peakTemperature, 0) : "-",
                           r.path.empty() ? "(no file)" : r.path});
            }
        }
        if (csv)
            return print(table.csv()) ? cli::kExitOk : cli::kExitFailure;

        std::string text = "Pack \"" + pack.name + "\": " + chemistryName(packChemistry(runs)) + ", "
                           + (pack.nominalCapacity ? "nominal " + formatValue(*pack.nominalCapacity, 0) + " mAh, " : "")
                           + (pack.cells ? std::to_string(*pack.cells) + " cells, " : "") + std::to_string(runs.size())
                           + (runs.size() == 1 ? " run\n" : " runs\n");
        text += referenceLine("charges", trend.charges) + referenceLine("discharges", trend.discharges);
        if (!runs.empty())
            text += "\n" + table.text();
        return print(text) ? cli::kExitOk : cli::kExitFailure;
    });
}
