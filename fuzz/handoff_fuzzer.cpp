// Fuzz target: the plot hand-off. The first three bytes choose the datum,
// the input format and the output format; the rest is read as the input
// track and as the output track. Every hand-off line written must read back
// as a plot line of four values. Any crash, sanitizer report or broken
// invariant (std::abort) is a finding.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "plot/handoff.h"
#include "plot/plot_files.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void ReadsBack(const oru::HandoffText& handoff) {
  const oru::PlotFileData plot = oru::ParsePlotFile(handoff.text);
  Check(plot.lines.size() == static_cast<std::size_t>(handoff.written));
  for (const oru::PlotLine& line : plot.lines) Check(line.fields == 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  oru::HandoffChoices choices;
  choices.datum = data[0] % 2 == 0 ? oru::DatumChoice::Wgs84 : oru::DatumChoice::Ed50;
  choices.input_format = static_cast<oru::InputFormat>(data[1] % 3);
  choices.output_format = static_cast<oru::OutputFormat>(data[2] % 3);
  const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);
  ReadsBack(oru::AllPointsText(text, choices));
  ReadsBack(oru::SelectedPointsText(text, choices));
  return 0;
}
