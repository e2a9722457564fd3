// The entry function of liboru-plot-image.so (plot/plot_pictures.h).
#include "plot/plot_image.h"
#include "plot/plot_pictures.h"

extern "C" __attribute__((visibility("default"))) const void* oru_plot_image_entry() {
  static const oru::PlotImageEntry entry{oru::PlotImageEntry::kVersion, &oru::RenderPlotImage,
                                         &oru::RenderCurveImage};
  return &entry;
}
