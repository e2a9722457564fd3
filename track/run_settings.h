#pragma once

#include <cstdint>

#include "geodesy/datum.h"

namespace oru {

// The five choices of a run. The numeric values are the item indexes of the
// main window's radio groups, so that recorded choices stay comparable with
// what the window shows.
enum class CalculationType : int { Ellipsoidic = 0, Planar = 1 };
enum class DatumChoice : int { Wgs84 = 0, Ed50 = 1 };
enum class Criterion : int { MaximumDeviation = 0, NumberOfPoints = 1 };
enum class InputFormat : int { OruKvl = 0, AsciiDms = 1, AsciiXY = 2 };
enum class OutputFormat : int { OruKvl = 0, Ascii = 1, Kel = 2 };
// How the points to keep are chosen: the iterative Douglas-Peucker selection,
// or the fewest points that honour the tolerance (the least deviation for a
// number of points).
enum class SelectionMethod : int { DouglasPeucker = 0, Optimal = 1 };

// The datum string of a choice of the window's "Geodetic datum".
inline const char* DatumString(DatumChoice datum) {
  return datum == DatumChoice::Ed50 ? kEd50DatumString : kWgs84DatumString;
}

// What the selection engine needs besides the two coordinate sequences.
struct SelectionSettings {
  SelectionMethod method = SelectionMethod::DouglasPeucker;
  CalculationType calculation = CalculationType::Ellipsoidic;
  InputFormat input_format = InputFormat::OruKvl;
  double threshold = 0.0;         // metres; 0.0 for "Number of points"
  std::int64_t wanted_count = 0;  // points to keep; the line count for "Maximum deviation"
  DatumParams datum{};            // read datum for geographic input, empty for X, Y
  // Whether to measure every point's deviation from the new line at the end
  // for the quality figures (one more exact measure per point).
  bool quality_figures = false;
};

// True when the engine's coordinates are degrees that a planar calculation
// must first project to metres.
inline bool IsGeographic(InputFormat format) { return format != InputFormat::AsciiXY; }

}  // namespace oru
