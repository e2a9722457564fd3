#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "plot/curve_chart.h"
#include "plot/plot_pictures.h"
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

}  // namespace oru
