// Fuzz target: the plot window's file readers. The bytes are read as a
// hand-off file, a coastline file and a block-number file; the records and
// extents must be consistent with what was read. Any crash, sanitizer
// report or broken invariant (std::abort) is a finding.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "plot/plot_files.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const oru::PlotFileData plot = oru::ParsePlotFile(text);
  std::size_t labelled = 0;
  for (const oru::PlotLine& line : plot.lines) {
    Check(line.fields >= 1 && line.fields <= 5);
    if (line.fields == 5) Check(line.label == static_cast<std::int32_t>(labelled++));
  }
  Check(labelled == plot.labels.size());
  Check(!plot.lines.empty() || oru::SelectionExtent(plot) == std::nullopt);

  const oru::CoastData coast = oru::ParseCoastFile(text);
  for (const std::size_t i : coast.full) {
    Check(i < coast.records.size() && coast.records[i].fields == 3);
  }
  Check(coast.full.size() >= 2 || oru::CoastExtent(coast) == std::nullopt);

  const oru::BlockData blocks = oru::ParseBlockFile(text);
  for (const oru::BlockLabel& b : blocks.labels) Check(!b.label.empty());
  return 0;
}
