#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "plot/curve_chart.h"
#include "plot/plot_files.h"

// The pictures of the plot and of the curve as PNG bytes, drawn with QtGui
// (plot_image.cpp) behind a header without toolkit types, so that the batch
// command can open them on demand (plot_image_entry.h).
namespace oru {

struct PlotImageRequest {
  std::filesystem::path handoff_dir;  // AllePunten.dat and Selectie.dat
  int width = 1920;
  int height = 1080;
  bool xy_input = false;
  bool open_on_track = true;  // the track's extent with a margin, else the window's
  LookupPlaces places;
};

// What the plot window shows after the run whose hand-off files lie in
// `handoff_dir`, at its default extent or opened on the track, as the bytes of a PNG file in
// `png` (the caller writes them, whole or not at all). Returns an empty
// text, or why there is no picture; the messages the window would have
// shown go to `messages`.
std::string RenderPlotImage(const PlotImageRequest& request, std::vector<std::string>& messages,
                            std::string& png);

// The curve of deviation against points kept, log-log, with `chosen_count`
// marked (DrawCurveChart), as the bytes of a PNG file of `width` x `height`
// pixels in `png`. Returns an empty text, or why there is no picture.
std::string RenderCurveImage(const std::vector<CurvePoint>& curve, std::int64_t chosen_count,
                             int width, int height, std::string& png);

// The functions above as one table: the batch command opens it from
// liboru-plot-image.so for --plot-image and --curve-image alone, so that its
// other runs do not load Qt.
struct PlotImageEntry {
  // Changed with any change of this table or of the types it passes.
  static constexpr int kVersion = 1;
  int version = kVersion;
  std::string (*render_plot_image)(const PlotImageRequest& request,
                                   std::vector<std::string>& messages, std::string& png);
  std::string (*render_curve_image)(const std::vector<CurvePoint>& curve,
                                    std::int64_t chosen_count, int width, int height,
                                    std::string& png);
};

// The shared object's file and entry function (extern "C", returning a
// `const PlotImageEntry*`).
inline constexpr const char* kPlotImageModuleFile = "liboru-plot-image.so";
inline constexpr const char* kPlotImageEntryName = "oru_plot_image_entry";

}  // namespace oru
