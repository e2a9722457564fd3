#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "plot/curve_chart.h"
#include "plot/plot_scene.h"

namespace oru {

// The plot window's background colour (the button face) and font.
QColor PlotBackgroundColour();
QFont PlotFont();

// Draws `scene` for `setup` into `image` (its whole size is the drawing
// area), after filling it with `background`: the same repaint as the plot
// window's.
PaintEnd RenderScene(PlotScene& scene, const PaintSetup& setup, QImage& image,
                     const QColor& background, const PlotMessageSink& tell);
// The two layers of RenderScene: the base (filled with `background`) and
// the top drawn over what `image` holds, so that a preview redraws only the
// top over a copy of the base.
PaintEnd RenderSceneBase(PlotScene& scene, const PaintSetup& setup, QImage& image,
                         const QColor& background, const PlotMessageSink& tell);
PaintEnd RenderSceneTop(PlotScene& scene, const PaintSetup& setup, QImage& image,
                        const QColor& background, const PlotMessageSink& tell);

// Makes sure a QGuiApplication exists for fonts and images, on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise. Call from the
// main thread before any drawing. An application made here keeps Qt's own
// notes ("QStandardPaths: XDG_RUNTIME_DIR not set ...") off standard error:
// a batch command prints only its own messages.
void EnsureGuiApplication();

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

}  // namespace oru
