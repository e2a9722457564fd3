#include "plot/tracks_handoff.h"

namespace oru {
namespace {

// Appends the vertices `numbers` (1-based; all of them when null) of one
// track to `out`, the first with the pen up unless it begins the file.
void AppendTrack(const PlotTrack& track, const std::vector<std::int64_t>* numbers,
                 std::int32_t colour, HandoffText& out) {
  PlotProjector projector(track.datum);
  const std::int64_t n = numbers != nullptr ? static_cast<std::int64_t>(numbers->size())
                                            : static_cast<std::int64_t>(track.first.size());
  bool pen_up = out.written > 0;
  for (std::int64_t i = 0; i < n; ++i) {
    const std::int64_t k = numbers != nullptr ? (*numbers)[i] - 1 : i;
    if (k < 0 || k >= static_cast<std::int64_t>(track.first.size())) {
      ++out.skipped;
      continue;
    }
    double x = track.first[k];
    double y = track.second[k];
    if (track.geographic && projector.ToPlot(track.first[k], track.second[k], x, y) != 0) {
      ++out.skipped;
      continue;
    }
    AppendPlotLine(out.text, x, y, colour, pen_up ? 3 : 2);
    pen_up = false;
    ++out.written;
  }
}

}  // namespace

TracksHandoff TracksHandoffTexts(const std::vector<PlotTrack>& tracks) {
  TracksHandoff handoff;
  for (const PlotTrack& track : tracks) {
    AppendTrack(track, nullptr, kAllPointsColour, handoff.all);
    AppendTrack(track, &track.kept, kSelectedPointsColour, handoff.selected);
  }
  return handoff;
}

}  // namespace oru
