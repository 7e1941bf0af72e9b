// trelvane-library pack: packs, their thresholds, and which runs are theirs.
#include "LibraryCommands.h"

#include "CommandLine.h"
#include "LibraryOptions.h"
#include "RunListing.h"
#include "library/LibraryError.h"
#include "analysis/StatsReport.h"
#include "library/PackHealth.h"

namespace {

const std::string kPackTool = std::string(kLibraryTool) + " pack";

// Limits that no real pack reaches: they only catch typing slips.
constexpr double kMaxCapacity = 1'000'000; // mAh
constexpr std::int64_t kMaxCells = 8;      // what a record holds
constexpr double kMaxMillivolts = 5000;
constexpr double kMaxTemperature = 200;

using LibraryOptions::Check;
using LibraryOptions::Work;

// The pack commands write by default, and list the library options after their own.
int withLibrary(int argc, const char* const* argv, cli::CommandLine& line, const Work& work,
                RunLibrary::Access access = RunLibrary::Access::Write, const Check& valid = {})
{
    LibraryOptions::declare(line);
    return LibraryOptions::withLibrary(argc, argv, line, access, work, valid);
}

// A value option that "default" (or "none") sets back; nothing when a value is bad.
std::optional<LibraryOptions::Setting> setting(const cli::CommandLine& line, const std::string& name, double max)
{
    LibraryOptions::Setting s;
    if (!line.isSet(name))
        return s;
    s.given = true;
    const std::string text = line.value(name);
    if (text == "default" || text == "none")
        return s;
    const std::optional<double> v = line.number(name, 0, max, 0);
    if (!v)
        return std::nullopt;
    s.value = *v;
    return s;
}

void declareFigures(cli::CommandLine& line)
{
    line.option("capacity", 0, "MAH", "nominal capacity in mAh ('none' to clear)");
    line.option("cells", 0, "N", "number of cells in series ('none' to clear)");
}

// Applies --capacity and --cells; false after reporting a bad value.
bool applyFigures(const cli::CommandLine& line, PackInfo& pack)
{
    const auto capacity = setting(line, "capacity", kMaxCapacity);
    const auto cells = setting(line, "cells", kMaxCells);
    if (!capacity || !cells)
        return false;
    if (capacity->given)
        pack.nominalCapacity = capacity->value;
    if (cells->given) {
        if (cells->value && (*cells->value < 1 || *cells->value != static_cast<int>(*cells->value))) {
            cli::report(line.tool(), "--cells", "needs a whole number from 1 to 8");
            return false;
        }
        pack.cells = cells->value ? std::optional<int>(static_cast<int>(*cells->value)) : std::nullopt;
    }
    return true;
}

bool figuresValid(const cli::CommandLine& line)
{
    PackInfo probe;
    return applyFigures(line, probe);
}

int packAdd(int argc, const char* const* argv)
{
    cli::CommandLine line(kPackTool + " add", "NAME [--capacity MAH] [--cells N] [--notes TEXT]",
                          "Adds a pack. Its nominal capacity, when given, is what the capacity warning\n"
                          "compares with; without it the pack's first runs are.");
    declareFigures(line);
    line.option("notes", 0, "TEXT", "anything worth keeping about the pack");
    line.positionals("NAME", 1, 1);
    return withLibrary(argc, argv, line, [](RunLibrary& library, const cli::CommandLine& l) {
        PackInfo pack;
        pack.name = l.arguments()[0];
        pack.notes = l.value("notes");
        if (!applyFigures(l, pack))
            return cli::kExitUsage;
        library.addPack(pack);
        return cli::kExitOk;
    }, RunLibrary::Access::Write, figuresValid);
}

int packRename(int argc, const char* const* argv)
{
    cli::CommandLine line(kPackTool + " rename", "OLD NEW", "Gives a pack another name; its runs stay with it.");
    line.positionals("OLD NEW", 2, 2);
    return withLibrary(argc, argv, line, [](RunLibrary& library, const cli::CommandLine& l) {
        library.renamePack(l.arguments()[0], l.arguments()[1]);
        return cli::kExitOk;
    });
}

int packAssign(int argc, const char* const* argv)
{
    cli::CommandLine line(kPackTool + " assign", "NAME RUN... | --none RUN...",
                          "Assigns runs to a pack (or to none). A RUN is a run number from 'list' or a log\n"
                          "file; a log the library does not hold yet is read and added first.");
    line.flag("none", 0, "take the runs out of their pack");
    line.positionals("NAME RUN...", 1, -1);
    return withLibrary(argc, argv, line, [&line](RunLibrary& library, const cli::CommandLine& l) {
        const bool none = l.isSet("none");
        std::vector<std::string> runs = l.arguments();
        std::optional<std::int64_t> pack;
        if (!none) {
            if (runs.size() < 2)
                return line.usageError("missing RUN");
            pack = library.pack(runs.front()).id;
            runs.erase(runs.begin());
        }
        const auto ids = LibraryOptions::resolveRuns(library, runs);
        if (!ids)
            return cli::kExitFailure;
        library.assign(*ids, pack);
        return cli::kExitOk;
    });
}

int packNotes(int argc, const char* const* argv)
{
    cli::CommandLine line(kPackTool + " notes", "NAME TEXT", "Replaces a pack's notes ('' clears them).");
    line.positionals("NAME TEXT", 2, 2);
    return withLibrary(argc, argv, line, [](RunLibrary& library, const cli::CommandLine& l) {
        PackInfo pack = library.pack(l.arguments()[0]);
        pack.notes = l.arguments()[1];
        library.updatePack(pack);
        return cli::kExitOk;
    }, RunLibrary::Access::Write, figuresValid);
}

int packSet(int argc, const char* const* argv)
{
    cli::CommandLine line(
        kPackTool + " set", "NAME [options]",
        "Sets a pack's nominal figures and the thresholds of its warnings. A threshold\n"
        "given as 'default' goes back to the default for the pack's chemistry (see\n"
        "'trelvane-library check': it explains every threshold in force).");
    declareFigures(line);
    line.option("capacity-share", 0, "PERCENT", "warn when the capacity falls below this share (default 80)");
    line.option("spread", 0, "MV", "warn when the cells end a charge further apart (default 30 for lithium)");
    line.option("spread-growth", 0, "MV", "warn when the end spread grew this much over the last 4 charges (10)");
    line.option("temperature", 0, "DEGREES", "warn when the last run peaked above this (45 lithium, 50 others)");
    line.positionals("NAME", 1, 1);
    return withLibrary(argc, argv, line, [](RunLibrary& library, const cli::CommandLine& l) {
        PackInfo pack = library.pack(l.arguments()[0]);
        if (!applyFigures(l, pack))
            return cli::kExitUsage;
        const struct {
            const char* option;
            double max;
            std::optional<double> PackThresholds::*field;
        } thresholds[] = {
            {"capacity-share", 100, &PackThresholds::capacityShare},
            {"spread", kMaxMillivolts, &PackThresholds::endSpread},
            {"spread-growth", kMaxMillivolts, &PackThresholds::spreadGrowth},
            {"temperature", kMaxTemperature, &PackThresholds::temperature},
        };
        for (const auto& t : thresholds) {
            const auto s = setting(l, t.option, t.max);
            if (!s)
                return cli::kExitUsage;
            if (s->given)
                pack.thresholds.*t.field = s->value;
        }
        library.updatePack(pack);
        return cli::kExitOk;
    }, RunLibrary::Access::Write, figuresValid);
}

int packList(int argc, const char* const* argv)
{
    cli::CommandLine line(kPackTool + " list", "", "Lists the packs with their figures and number of runs.");
    line.positionals({}, 0, 0);
    return withLibrary(
        argc, argv, line,
        [](RunLibrary& library, const cli::CommandLine&) {
            RunListing listing({"Pack", "Capacity (mAh)", "Cells", "Runs", "Notes"});
            for (const PackInfo& pack : library.packs()) {
                listing.add({pack.name, pack.nominalCapacity ? formatValue(*pack.nominalCapacity, 0) : "-",
                             pack.cells ? std::to_string(*pack.cells) : "-",
                             std::to_string(library.packRuns(pack.id).size()), pack.notes});
            }
            return print(listing.text()) ? cli::kExitOk : cli::kExitFailure;
        },
        RunLibrary::Access::Read);
}

} // namespace

int runPack(int argc, const char* const* argv)
{
    cli::Commands commands(kPackTool, "Names packs and assigns runs to them.",
                           "Exit status:\n"
                           "  0  done\n"
                           "  1  the library could not be read or written, or no such pack or run\n"
                           "  2  the command line is wrong");
    commands.add("add", "NAME [--capacity MAH] [--cells N] [--notes TEXT]", "add a pack", packAdd);
    commands.add("rename", "OLD NEW", "rename a pack", packRename);
    commands.add("assign", "NAME RUN... | --none RUN...", "assign runs (numbers or log files) to a pack", packAssign);
    commands.add("notes", "NAME TEXT", "replace a pack's notes", packNotes);
    commands.add("set", "NAME [options]", "nominal figures and warning thresholds", packSet);
    commands.add("list", "", "the packs", packList);
    return commands.run(argc - 1, argv + 1);
}
