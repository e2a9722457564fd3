#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "plot/canvas.h"
#include "plot/drawing.h"
#include "plot/plot_files.h"
#include "plot/viewport.h"

namespace oru {

// The messages of the plot window's background and files.
inline constexpr const char* kCoastMissing =
    "Plotfile for coastline missing!\nSolution: select the files 'World.cst' or 'NorthSea.cst' "
    "manually, at the bottom of the window.";
inline constexpr const char* kCoastNotOpenForExtent = "Coastline file cannot be opened. 1";
inline constexpr const char* kCoastNotOpenForDrawing = "Impossible to open coastline file!";
inline constexpr const char* kBlocksMissing =
    "Plotfile voor block numbers missing!\nSolution: place the file 'blokmerca.nrs' in the same "
    "directory as Dorvik.";
inline constexpr const char* kBlocksNotOpen = "Impossible to open block numbers file!";
inline constexpr const char* kSelectionNotOpen = "File with selected points cannot be opened. 1";
inline constexpr const char* kNoBackgroundText = "With input X,Y coordinates NO background!";
inline constexpr const char* kNotACoastFile =
    " is not a coastline file: its first two records must be the corners of its coverage, with "
    "codes 2 or 3. The coastline stays as it was.";

inline constexpr const char* kNorthSeaCoast = "NorthSea.cst";
inline constexpr const char* kWorldCoast = "World.cst";
inline constexpr const char* kBlockNumberFile = "blokmerca.nrs";

// Receives a message for the user (a modal message box in the window).
using PlotMessageSink = std::function<void(const std::string& text)>;

// What a repaint needs from outside the plot window.
struct PaintSetup {
  std::filesystem::path handoff_dir;  // holds AllePunten.dat and Selectie.dat
  LookupPlaces places;                // where the background files are looked for
  bool xy_input = false;              // the last run's input was X, Y: no background
  // Open on the track's extent with a margin even when it lies within the
  // coastline file's area (a picture of the run rather than of the sea).
  bool open_on_track = false;
};

enum class PaintEnd {
  Drawn,         // everything that could be drawn was drawn
  NothingDrawn,  // no coastline file anywhere, or no extent: the area stays empty
  CloseWindow,   // a hand-off file cannot be opened: the window closes
};

// The plot window without its toolkit: the state that survives between
// repaints (extent, coastline file, whether the user fixed the extent), the
// repaint in its order (background, all points, selection, scale bar, block
// numbers, the scale bar's label) and the navigation actions. A file problem is told once per
// cause until ForgetMessages(), which the window calls whenever the user
// changes something, so that repaints do not bring the same message box
// back again and again.
class PlotScene {
 public:
  // Repaints an area of `width` x `height` pixels on `canvas`: PaintBase,
  // then PaintTop.
  PaintEnd Paint(Canvas& canvas, std::int32_t width, std::int32_t height, const PaintSetup& setup,
                 const PlotMessageSink& tell);
  // The layers that stay while only the kept points change (extent,
  // coastline, all points) ...
  PaintEnd PaintBase(Canvas& canvas, std::int32_t width, std::int32_t height,
                     const PaintSetup& setup, const PlotMessageSink& tell);
  // ... and the ones drawn over them: the kept points (the preview when one
  // is set, else the selection file), the scale bar and the block numbers.
  PaintEnd PaintTop(Canvas& canvas, const PaintSetup& setup, const PlotMessageSink& tell);

  // The all-points file as last read (read now when it was not).
  std::shared_ptr<const PlotFileData> AllPoints(const PaintSetup& setup);

  // Mouse move at pixel (px, py): the cursor's plot position and the
  // read-out texts, latitude and longitude, or X and Y for a `plane` plot.
  CursorTexts MouseMove(std::int32_t px, std::int32_t py, bool plane);

  // Navigation; each fixes the extent (later plots keep it).
  void PanWest();
  void PanEast();
  void PanNorth();
  void PanSouth();
  void ZoomIn();
  void ZoomOut();
  void ZoomOutAroundCursor();
  // The drag between two plot points; the 1 m message when too small.
  void ZoomToDrag(PlotPoint start, PlotPoint end, const PlotMessageSink& tell);
  void ShowHundredPercent();
  // The whole background: the coastline file's extent with a background,
  // the last computed extent without. False when the file is missing.
  bool ShowWholeBackground(const PaintSetup& setup, const PlotMessageSink& tell);
  // A coastline file chosen by the user, then the whole background. A file
  // that is no coastline file (IsCoastFile) is told and changes nothing.
  bool ChooseCoastFile(const std::string& path, const PaintSetup& setup,
                       const PlotMessageSink& tell);

  void ForgetMessages() { shown_.clear(); }

  PlotViewport view;
  // Kept points drawn instead of the selection file's, while previewing.
  std::shared_ptr<PlotFileData> preview;
  std::string CoastFile = kNorthSeaCoast;
  std::string BlockFile;
  std::string StaticText3 = " /.../ NorthSea";
  bool ExtentFixed = false;
  bool BackgroundOn = false;
  PlotExtent FullExtent;
  PlotPoint Cursor;
  ScaleBarChoice last_scale_bar;

 private:
  void Tell(const PlotMessageSink& tell, const std::string& text, const std::string& cause);
  void FixExtent(const PlotExtent& e);
  void FindTheTrack(const PaintSetup& setup, std::filesystem::path& coast_path, Rect& extent);
  void DrawBlocks(Canvas& canvas, const PaintSetup& setup, const PlotMessageSink& tell);

  LayerCache cache_;
  std::set<std::string> shown_;
  // The coastline file in force before FindTheTrack put the world file in
  // its place for a track outside its area; each new extent is decided
  // from it again. Empty when no file was replaced.
  std::string replaced_coast_;
};

}  // namespace oru
