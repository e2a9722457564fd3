#include "plot/plot_scene.h"

#include "geodesy/error_messages.h"
#include "plot/handoff.h"

namespace oru {

void PlotScene::Tell(const PlotMessageSink& tell, const std::string& text,
                     const std::string& cause) {
  if (!shown_.insert(text + '\x1f' + cause).second) return;
  if (tell) tell(text);
}

void PlotScene::FixExtent(const PlotExtent& e) {
  view.extent = e;
  ExtentFixed = true;
}

// A track outside the coastline file's area would open on an empty sea:
// then the view opens on the track with its margin (TrackExtent), with the
// world coastline behind it
// when that file is found. A track within the area keeps the file's extent
// unless the setup asks to open on the track.
void PlotScene::FindTheTrack(const PaintSetup& setup, std::filesystem::path& coast_path,
                             Rect& extent) {
  const auto all = cache_.Plot(setup.handoff_dir / kAllPointsFile);
  const std::optional<Rect> track = all ? TrackExtent(*all) : std::nullopt;
  if (!track) return;
  const bool inside = Contains(extent, *track);
  if (inside && !setup.open_on_track) return;
  if (!inside) {
    if (const auto world = FindLayerFile(kWorldCoast, setup.places)) {
      replaced_coast_ = CoastFile;
      coast_path = *world;
      CoastFile = world->string();
      StaticText3 = CoastFile;
    }
  }
  extent = *track;
}

PaintEnd PlotScene::Paint(Canvas& canvas, std::int32_t width, std::int32_t height,
                          const PaintSetup& setup, const PlotMessageSink& tell) {
  const PaintEnd end = PaintBase(canvas, width, height, setup, tell);
  return end == PaintEnd::Drawn ? PaintTop(canvas, setup, tell) : end;
}

std::shared_ptr<const PlotFileData> PlotScene::AllPoints(const PaintSetup& setup) {
  return cache_.Plot(setup.handoff_dir / kAllPointsFile);
}

PaintEnd PlotScene::PaintBase(Canvas& canvas, std::int32_t width, std::int32_t height,
                              const PaintSetup& setup, const PlotMessageSink& tell) {
  view.W = width > 0 ? width : 1;
  view.Hp = height > 0 ? height : 1;
  if (!ExtentFixed && !replaced_coast_.empty()) {
    CoastFile = replaced_coast_;
    replaced_coast_.clear();
  }
  if (CoastFile.size() < 2) CoastFile = kWorldCoast;
  StaticText3 = setup.xy_input ? kNoBackgroundText : CoastFile;

  auto coast_path = FindLayerFile(CoastFile, setup.places);
  if (!coast_path) {
    Tell(tell, kCoastMissing, CoastFile);
    return PaintEnd::NothingDrawn;
  }
  CoastFile = coast_path->string();
  BackgroundOn = !setup.xy_input;

  const std::filesystem::path selection_path = setup.handoff_dir / kSelectedPointsFile;
  bool selection_missing = false;
  if (!ExtentFixed) {
    std::optional<Rect> extent;
    if (BackgroundOn) {
      const auto coast = cache_.Coast(*coast_path);
      if (coast) extent = CoastExtent(*coast);
      if (!extent) {
        Tell(tell, kCoastNotOpenForExtent, CoastFile);
        BackgroundOn = false;
      } else {
        FindTheTrack(setup, *coast_path, *extent);
      }
    }
    if (!BackgroundOn) {
      const auto selection = cache_.Plot(selection_path);
      if (!selection) {
        Tell(tell, kSelectionNotOpen, selection_path.string());
        selection_missing = true;
        extent = Rect{kNorthSeaExtent.XMin, kNorthSeaExtent.YMin, kNorthSeaExtent.XMax,
                      kNorthSeaExtent.YMax};
      } else if (setup.xy_input) {
        // X, Y tracks open on the whole track with a margin.
        const auto all = cache_.Plot(setup.handoff_dir / kAllPointsFile);
        if (!all) return PaintEnd::CloseWindow;
        extent = TrackExtent(*all);
        if (!extent) return PaintEnd::NothingDrawn;
      } else {
        extent = SelectionExtent(*selection);
        if (!extent) return PaintEnd::NothingDrawn;
      }
    }
    view.extent = ToExtent(*extent);
    FullExtent = view.extent;
  }
  if (selection_missing) return PaintEnd::CloseWindow;
  view.Fit();

  if (BackgroundOn) {
    const auto coast = cache_.Coast(*coast_path);
    if (!coast) {
      Tell(tell, kCoastNotOpenForDrawing, CoastFile);
    } else {
      DrawCoastline(*coast, view, canvas);
    }
  }

  DrawMemo memo(view.W, view.Hp);
  const auto all = cache_.Plot(setup.handoff_dir / kAllPointsFile);
  if (!all) return PaintEnd::CloseWindow;
  canvas.SetPenColor(kBlack);
  DrawPlotFile(*all, kBlack, view, canvas, &memo);
  return PaintEnd::Drawn;
}

PaintEnd PlotScene::PaintTop(Canvas& canvas, const PaintSetup& setup, const PlotMessageSink& tell) {
  DrawMemo memo(view.W, view.Hp);
  std::shared_ptr<const PlotFileData> selection = preview;
  if (!selection) selection = cache_.Plot(setup.handoff_dir / kSelectedPointsFile);
  if (!selection) return PaintEnd::CloseWindow;
  canvas.SetPenColor(kRed);
  if (!selection->first_line_empty) DrawPlotFile(*selection, kRed, view, canvas, &memo);

  int error = 0;
  last_scale_bar = DrawScaleBar(view, canvas, error, setup.xy_input);
  if (error != 0) Tell(tell, Error_Message(error), "scale bar");
  DrawBlocks(canvas, setup, tell);
  DrawScaleBarLabel(last_scale_bar, canvas);
  return PaintEnd::Drawn;
}

void PlotScene::DrawBlocks(Canvas& canvas, const PaintSetup& setup, const PlotMessageSink& tell) {
  if (!BlockLabelsWanted(BackgroundOn, last_scale_bar.length, CoastFile)) return;
  canvas.SetPenColor(kBlack);
  canvas.SetBrushHollow();
  const auto block_path = FindLayerFile(kBlockNumberFile, setup.places);
  if (!block_path) {
    Tell(tell, kBlocksMissing, kBlockNumberFile);
    return;
  }
  BlockFile = block_path->string();
  const auto blocks = cache_.Blocks(*block_path);
  if (!blocks) {
    Tell(tell, kBlocksNotOpen, BlockFile);
    return;
  }
  DrawBlockLabels(*blocks, view, canvas);
}

CursorTexts PlotScene::MouseMove(std::int32_t px, std::int32_t py, bool plane) {
  const PlotPoint p = view.ToPlot(px, py);
  Cursor = p;
  return plane ? PlaneReadOut(p.x, p.y) : CursorReadOut(p.x, p.y);
}

void PlotScene::PanWest() {
  view.PanWest();
  ExtentFixed = true;
}
void PlotScene::PanEast() {
  view.PanEast();
  ExtentFixed = true;
}
void PlotScene::PanNorth() {
  view.PanNorth();
  ExtentFixed = true;
}
void PlotScene::PanSouth() {
  view.PanSouth();
  ExtentFixed = true;
}
void PlotScene::ZoomIn() {
  view.ZoomIn();
  ExtentFixed = true;
}
void PlotScene::ZoomOut() {
  view.ZoomOut();
  ExtentFixed = true;
}
void PlotScene::ZoomOutAroundCursor() {
  view.ZoomOutAround(Cursor.x, Cursor.y);
  ExtentFixed = true;
}

void PlotScene::ZoomToDrag(PlotPoint start, PlotPoint end, const PlotMessageSink& tell) {
  ExtentFixed = true;
  if (!view.ZoomToDrag(start.x, start.y, end.x, end.y) && tell) tell(kDragTooSmall);
}

void PlotScene::ShowHundredPercent() {
  view.ShowFixed(CoastFile.find("orthSea") != std::string::npos);
  ExtentFixed = true;
}

bool PlotScene::ShowWholeBackground(const PaintSetup& setup, const PlotMessageSink& tell) {
  ExtentFixed = true;
  // Decided by the input format rather than by the last repaint, which may
  // have ended before it knew (no coastline file anywhere).
  if (setup.xy_input) {
    view.extent = FullExtent;
    return true;
  }
  const auto coast_path = FindLayerFile(CoastFile, setup.places);
  if (!coast_path) {
    Tell(tell, kCoastMissing, CoastFile);
    return false;
  }
  CoastFile = coast_path->string();
  const auto coast = cache_.Coast(*coast_path);
  const auto extent = coast ? CoastExtent(*coast) : std::nullopt;
  if (!extent) {
    Tell(tell, kCoastNotOpenForExtent, CoastFile);
    return false;
  }
  FixExtent(ToExtent(*extent));
  return true;
}

bool PlotScene::ChooseCoastFile(const std::string& path, const PaintSetup& setup,
                                const PlotMessageSink& tell) {
  const auto coast = cache_.Coast(path);
  if (!coast || !IsCoastFile(*coast)) {
    if (tell) tell(path + kNotACoastFile);
    return false;
  }
  CoastFile = path;
  replaced_coast_.clear();
  StaticText3 = " /.../ " + std::filesystem::path(path).stem().string();
  ForgetMessages();
  return ShowWholeBackground(setup, tell);
}

}  // namespace oru
