#pragma once

#include <QColor>
#include <QImage>
#include <QMainWindow>
#include <QPoint>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "run/processing_run.h"
#include "plot/plot_scene.h"
#include "plot/preview_model.h"
#include "plot/tracks_handoff.h"

class QAction;
class QLabel;
class QPushButton;
class QRubberBand;

namespace oru {

class PlotArea;
class PreviewPanel;

// The plot window: the track of the last run over the coastline, with zoom,
// pan, print and the cursor's position. Everything but the toolkit's part
// (events, dialogs, painting) lives in PlotScene; the picture is drawn into
// an image that is kept until something changes, so that the rubber band
// and window exposures do not redraw a million points.
class TPlotForm final : public QMainWindow {
  Q_OBJECT

 public:
  // Shows a message box; tests replace it to read the messages.
  using MessageBox = std::function<void(QWidget* parent, const QString& text)>;

  explicit TPlotForm(QWidget* parent = nullptr);
  ~TPlotForm() override;

  // "Plot": writes the hand-off files of the last run into the start
  // directory and shows the window; a message naming the file ("File fout:
  // ...") and false when an input, output or hand-off file cannot be opened.
  bool PlotRun(const QString& start_directory, const QString& input_file,
               const QString& output_file, const RunChoices& choices);
  // The same for the tracks of a GIS or navigation file (`input_file`): every
  // track drawn, its kept points over it.
  bool PlotTracks(const QString& start_directory, const QString& input_file,
                  const std::vector<PlotTrack>& tracks);

  // Shows the preview under the plot (PlotRun hides it): the kept points
  // follow the preview's value, and the bottom panel shows the quality
  // figures of the previewed selection (mean, rms and 95th percentile of
  // every point's deviation) once they are measured; `save` writes a
  // previewed selection, given with the value that gave it.
  using SavePreview = std::function<void(const SelectionResult&, double value)>;
  void ShowPreview(PreviewModel model, double run_value, SavePreview save);
  // Ends the preview (its work stops, Save with it): the plot shows the
  // files again.
  void EndPreview();
  PreviewPanel* Preview() const { return preview_; }

  void SetMessageBox(MessageBox box) { message_box_ = std::move(box); }
  PlotScene& Scene() { return scene_; }
  const PaintSetup& Setup() const { return setup_; }
  // The picture as last drawn (the drawing area).
  const QImage& Picture() const { return picture_; }
  // Draws the picture again now (as a repaint does).
  void Redraw();

 public slots:
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtn5Click();
  void BitBtn6Click();
  void BitBtn7Click();
  void BitBtn8Click();
  void BitBtn9Click();
  void N1001Click();
  void ClearPlot1Click();
  void Kleurachtergrond1Click();
  void Printplot1Click();
  void Close1Click();

 private:
  static std::string TrackIdentity(const QString& input_file, const std::string& kind);
  bool ShowHandoff(const HandoffOutcome& outcome, const std::filesystem::path& dir, bool xy_input,
                   const std::string& track);
  friend class PlotArea;
  void BuildControls();
  void BuildMenu();
  void Tell(const QString& text);
  void Changed();  // the user changed the view: redraw, messages may be told again
  void AreaPaint(QPainter& painter);
  void PreviewChanged();
  void QualityChanged();
  // Any key typed while the drawing area has the focus zooms out.
  void AreaKeyPress();
  void AreaMouseDown(QMouseEvent* event);
  void AreaMouseMove(QMouseEvent* event);
  void AreaMouseUp(QMouseEvent* event);
  // The cursor read-out for the area pixel p.
  void ShowCursorAt(QPoint p);

  PlotScene scene_;
  PaintSetup setup_;
  QImage picture_;
  QImage base_;  // the picture without the kept points, scale bar and blocks
  bool picture_current_ = false;
  QColor background_;
  MessageBox message_box_;
  std::string plotted_track_;          // input file, format, datum, size, time
  std::optional<QPoint> last_cursor_;  // where the read-out was last taken

  bool Dragging = false;
  QPoint DragStartPixel;
  PlotPoint DragStart;
  QRubberBand* rubber_band_ = nullptr;

  PlotArea* area_ = nullptr;
  QPushButton* BitBtn1;
  QLabel* Label3;
  QLabel* StaticText1;
  QLabel* StaticText2;
  QPushButton* BitBtn2;
  QPushButton* BitBtn3;
  QPushButton* BitBtn4;
  QPushButton* BitBtn5;
  QPushButton* BitBtn6;
  QPushButton* BitBtn7;
  QPushButton* BitBtn8;
  QPushButton* BitBtn9;
  QLabel* StaticText3;
  QLabel* QualityText;  // the quality figures of the previewed selection
  PreviewPanel* preview_ = nullptr;
  SavePreview save_preview_;
};

}  // namespace oru
