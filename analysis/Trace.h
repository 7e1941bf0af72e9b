#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The quantities the analysis window can draw, one trace each. The first four
// are the record's own fields, then the eight cells, then what is derived
// from a record (spread, power) or integrated over the run (energy, charge).
enum class Trace {
    Voltage,
    Current,
    Capacity,
    Temperature,
    Cell1,
    Cell2,
    Cell3,
    Cell4,
    Cell5,
    Cell6,
    Cell7,
    Cell8,
    CellSpread,
    Power,
    Energy,
    Charge,
};

constexpr std::size_t kTraceCount = 16;
constexpr int kCellCount = 8;

// Traces of one unit and scale share one plot.
enum class PlotGroup { Voltage, Current, Capacity, Temperature, Cells, Spread, Power, Energy };
constexpr std::size_t kPlotGroupCount = 8;

struct TraceInfo {
    const char* key;     // command-line and JSON name: "voltage", "cell3", "spread"
    const char* label;   // for people: "Voltage", "Cell 3"
    const char* unit;    // for people, UTF-8: "V", "°"
    const char* keyUnit; // ASCII, appended to JSON keys: "V", "deg"
    int decimals;        // digits after the point worth showing
    PlotGroup group;
};

const TraceInfo& traceInfo(Trace trace);
constexpr std::size_t index(Trace trace) { return static_cast<std::size_t>(trace); }
constexpr Trace traceAt(std::size_t i) { return static_cast<Trace>(i); }
constexpr Trace cellTrace(int cell) { return static_cast<Trace>(static_cast<int>(Trace::Cell1) + cell); }
constexpr bool isCell(Trace trace) { return trace >= Trace::Cell1 && trace <= Trace::Cell8; }
constexpr int cellOf(Trace trace) { return static_cast<int>(trace) - static_cast<int>(Trace::Cell1); }
// Running sums over the run rather than values of one record.
constexpr bool isIntegral(Trace trace) { return trace == Trace::Energy || trace == Trace::Charge; }

const char* plotGroupTitle(PlotGroup group); // "Voltage (V)"

// "voltage_V": a key named after the trace with its unit.
std::string jsonKey(Trace trace);

// The traces drawn when nobody chose: the record's four quantities.
std::vector<Trace> basicTraces();

// Parses "voltage,current,cells": trace keys and "cells" for every cell, in any
// order, each once. Nothing on an unknown name (`bad` receives it).
std::optional<std::vector<Trace>> parseTraceList(const std::string& text, std::string* bad = nullptr);
