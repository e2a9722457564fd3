#include "plot/plot_form.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRubberBand>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "plot/handoff.h"
#include "plot/plot_image.h"
#include "plot/preview_panel.h"
#include "track/vector_state.h"

namespace oru {

// The drawing area: forwards its events to the window.
class PlotArea final : public QWidget {
 public:
  explicit PlotArea(TPlotForm* form) : QWidget(form), form_(form) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    form_->AreaPaint(painter);
  }
  void resizeEvent(QResizeEvent*) override { form_->picture_current_ = false; }
  void mousePressEvent(QMouseEvent* e) override { form_->AreaMouseDown(e); }
  void mouseMoveEvent(QMouseEvent* e) override { form_->AreaMouseMove(e); }
  void mouseReleaseEvent(QMouseEvent* e) override { form_->AreaMouseUp(e); }
  void keyPressEvent(QKeyEvent*) override { form_->AreaKeyPress(); }

 private:
  TPlotForm* form_;
};

namespace {

QPushButton* PictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                           const QString& tip) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setIcon(parent->style()->standardIcon(icon));
  b->setToolTip(tip);
  b->setFixedSize(25, 25);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

QLabel* SunkenText(QWidget* parent, const char* name, int width) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  l->setFixedSize(width, 17);
  return l;
}

}  // namespace

TPlotForm::TPlotForm(QWidget* parent) : QMainWindow(parent), background_(PlotBackgroundColour()) {
  setObjectName(QStringLiteral("PlotForm"));
  setWindowTitle(QStringLiteral("Plot with datum WGS84 in Mercator-projection"));
  message_box_ = [](QWidget* p, const QString& text) {
    QMessageBox::information(p, QCoreApplication::applicationName(), text);
  };
  setup_.handoff_dir = QDir::currentPath().toStdString();
  setup_.places = DefaultLookupPlaces(QCoreApplication::applicationDirPath().toStdString());
  BuildControls();
  BuildMenu();
  resize(688, 474);
}

TPlotForm::~TPlotForm() = default;

void TPlotForm::BuildControls() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(2, 2, 1, 0);
  column->setSpacing(3);
  area_ = new PlotArea(this);
  area_->setObjectName(QStringLiteral("PlotArea"));
  area_->setFont(PlotFont());
  column->addWidget(area_, 1);
  preview_ = new PreviewPanel(central);
  preview_->hide();
  column->addWidget(preview_);

  auto* panel = new QFrame(central);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFixedHeight(kPanelHeight);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(9, 4, 9, 4);
  row->setSpacing(3);
  BitBtn1 = new QPushButton(QStringLiteral("Close"), panel);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setFixedSize(75, 25);
  Label3 = new QLabel(QStringLiteral("lat., lon.:"), panel);
  Label3->setObjectName(QStringLiteral("Label3"));
  StaticText1 = SunkenText(panel, "StaticText1", 104);
  StaticText2 = SunkenText(panel, "StaticText2", 104);
  BitBtn5 = PictureButton(panel, "BitBtn5", QStyle::SP_ArrowLeft, QStringLiteral("Pan west"));
  BitBtn4 = PictureButton(panel, "BitBtn4", QStyle::SP_ArrowUp, QStringLiteral("Pan north"));
  BitBtn3 = PictureButton(panel, "BitBtn3", QStyle::SP_ArrowDown, QStringLiteral("Pan south"));
  BitBtn2 = PictureButton(panel, "BitBtn2", QStyle::SP_ArrowRight, QStringLiteral("Pan east"));
  BitBtn6 = PictureButton(panel, "BitBtn6", QStyle::SP_TitleBarMaxButton, QStringLiteral("Zoom in"));
  BitBtn7 = PictureButton(panel, "BitBtn7", QStyle::SP_TitleBarMinButton, QStringLiteral("Zoom out"));
  BitBtn8 = PictureButton(panel, "BitBtn8", QStyle::SP_DesktopIcon, QStringLiteral("Whole background"));
  BitBtn9 = PictureButton(panel, "BitBtn9", QStyle::SP_DirOpenIcon, QStringLiteral("Choose a coastline file"));
  StaticText3 = SunkenText(panel, "StaticText3", 320);
  StaticText3->setText(QString::fromStdString(scene_.StaticText3));
  row->addWidget(BitBtn1);
  row->addSpacing(9);
  row->addWidget(Label3);
  row->addWidget(StaticText1);
  row->addWidget(StaticText2);
  row->addSpacing(6);
  for (QPushButton* b : {BitBtn5, BitBtn4, BitBtn3, BitBtn2, BitBtn6, BitBtn7, BitBtn8, BitBtn9}) {
    row->addWidget(b);
  }
  row->addWidget(StaticText3);
  QualityText = new QLabel(panel);
  QualityText->setObjectName(QStringLiteral("QualityText"));
  QualityText->setToolTip(
      QStringLiteral("How far all the original points lie from the thinned line"));
  row->addSpacing(9);
  row->addWidget(QualityText);
  row->addStretch(1);
  column->addWidget(panel);
  setCentralWidget(central);

  connect(BitBtn1, &QPushButton::clicked, this, &TPlotForm::Close1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TPlotForm::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TPlotForm::BitBtn3Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TPlotForm::BitBtn4Click);
  connect(BitBtn5, &QPushButton::clicked, this, &TPlotForm::BitBtn5Click);
  connect(BitBtn6, &QPushButton::clicked, this, &TPlotForm::BitBtn6Click);
  connect(BitBtn7, &QPushButton::clicked, this, &TPlotForm::BitBtn7Click);
  connect(BitBtn8, &QPushButton::clicked, this, &TPlotForm::BitBtn8Click);
  connect(BitBtn9, &QPushButton::clicked, this, &TPlotForm::BitBtn9Click);
  rubber_band_ = new QRubberBand(QRubberBand::Rectangle, area_);
  connect(preview_, &PreviewPanel::previewed, this, &TPlotForm::PreviewChanged);
  connect(preview_, &PreviewPanel::qualityChanged, this, &TPlotForm::QualityChanged);
  connect(preview_, &PreviewPanel::saveRequested, this, [this] {
    if (save_preview_) save_preview_(preview_->Current(), preview_->Value());
  });
}

void TPlotForm::BuildMenu() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("Close"), this, &TPlotForm::Close1Click);
  QMenu* zoom = menuBar()->addMenu(QStringLiteral("&Zoom"));
  zoom->addAction(QStringLiteral("Zoom in: click left and drag"));
  zoom->addAction(QStringLiteral("Zoom out: click right, cursor is centre"));
  zoom->addAction(QStringLiteral("&100%"), this, &TPlotForm::N1001Click)->setObjectName(QStringLiteral("N1001"));
  QMenu* print = menuBar()->addMenu(QStringLiteral("&Print"));
  print->addAction(QStringLiteral("P&rint plot"), this, &TPlotForm::Printplot1Click);
  QMenu* colour = menuBar()->addMenu(QStringLiteral("C&olor"));
  colour->addAction(QStringLiteral("&Background color"), this, &TPlotForm::Kleurachtergrond1Click);
  QMenu* clear = menuBar()->addMenu(QStringLiteral("&Clear"));
  clear->addAction(QStringLiteral("C&lear Plot"), this, &TPlotForm::ClearPlot1Click);
}

bool TPlotForm::PlotRun(const QString& start_directory, const QString& input_file,
                        const QString& output_file, const RunChoices& choices) {
  ClearUpperVectorState();  // the toolkit's state, before the geodesy's work
  const HandoffChoices handoff{choices.datum, choices.input_format, choices.output_format};
  const std::filesystem::path dir = start_directory.toStdString();
  const HandoffOutcome outcome =
      WritePlotHandoff(input_file.toStdString(), output_file.toStdString(), dir, handoff);
  const std::string kind = std::to_string(static_cast<int>(choices.input_format)) + ' ' +
                           std::to_string(static_cast<int>(choices.datum));
  return ShowHandoff(outcome, dir, choices.input_format == InputFormat::AsciiXY,
                     TrackIdentity(input_file, kind));
}

bool TPlotForm::PlotTracks(const QString& start_directory, const QString& input_file,
                           const std::vector<PlotTrack>& tracks) {
  ClearUpperVectorState();
  const TracksHandoff texts = TracksHandoffTexts(tracks);
  const std::filesystem::path dir = start_directory.toStdString();
  const bool xy = !tracks.empty() && !tracks.front().geographic;
  return ShowHandoff(WriteHandoffFiles(dir, texts.all, texts.selected), dir, xy,
                     TrackIdentity(input_file, xy ? "tracks x,y" : "tracks"));
}

// The file's name, its kind, size and time of last change: another track
// than the one shown last opens as the first showing does.
std::string TPlotForm::TrackIdentity(const QString& input_file, const std::string& kind) {
  std::error_code error;
  const std::filesystem::path input = input_file.toStdString();
  const auto size = std::filesystem::file_size(input, error);
  const auto time = std::filesystem::last_write_time(input, error);
  return input.string() + '\n' + kind + ' ' + std::to_string(size) + ' ' +
         std::to_string(time.time_since_epoch().count());
}

bool TPlotForm::ShowHandoff(const HandoffOutcome& outcome, const std::filesystem::path& dir,
                            bool xy_input, const std::string& track) {
  if (!outcome.written) {
    message_box_(parentWidget() != nullptr ? parentWidget() : this,
                 QString::fromStdString(outcome.message));
    return false;
  }
  setup_.handoff_dir = dir;
  setup_.xy_input = xy_input;
  // Another track: on the whole background, or on the whole X, Y track.
  if (track != plotted_track_) scene_.ExtentFixed = false;
  plotted_track_ = track;
  setWindowTitle(setup_.xy_input ? QStringLiteral("Plot of X, Y coordinates in metres")
                                 : QStringLiteral("Plot with datum WGS84 in Mercator-projection"));
  Label3->setText(setup_.xy_input ? QStringLiteral("X, Y:") : QStringLiteral("lat., lon.:"));
  setup_.places.working_dir = dir;
  EndPreview();
  scene_.ForgetMessages();
  picture_current_ = false;
  if (isVisible()) {
    area_->update();
    raise();
    activateWindow();
  } else {
    showMaximized();
  }
  // Keys zoom out while the drawing area has the focus.
  area_->setFocus();
  return true;
}

void TPlotForm::Tell(const QString& text) {
  // Told after the repaint that found the problem, never from inside it.
  QTimer::singleShot(0, this, [this, text] { message_box_(this, text); });
}

void TPlotForm::ShowPreview(PreviewModel model, double run_value, SavePreview save) {
  save_preview_ = std::move(save);
  preview_->show();
  preview_->Start(std::move(model), run_value);
}

void TPlotForm::EndPreview() {
  preview_->End();
  preview_->hide();
  save_preview_ = nullptr;
  QualityText->clear();
  if (scene_.preview) {
    scene_.preview.reset();
    Changed();
  }
}

void TPlotForm::QualityChanged() {
  const std::optional<QualityTexts>& quality = preview_->Quality();
  QualityText->setText(
      quality ? QString::fromStdString("Deviation of all points: mean " + quality->mean +
                                       " m, rms " + quality->rms + " m, 95th percentile " +
                                       quality->p95 + " m.")
              : QStringLiteral("Deviation of all points: measuring ..."));
}

// Only the top layer is drawn again, over the kept base picture.
void TPlotForm::PreviewChanged() {
  ClearUpperVectorState();
  const auto all = scene_.AllPoints(setup_);
  if (!all || !KeptLine(*all, preview_->Current(), preview_->Current().statistics.n, scene_.preview)) {
    scene_.preview.reset();  // the selection file's points stay
  }
  if (!picture_current_ || base_.isNull()) {
    area_->update();
    return;
  }
  picture_ = base_;
  RenderSceneTop(scene_, setup_, picture_, background_, [](const std::string&) {});
  area_->update();
}

void TPlotForm::Redraw() {
  ClearUpperVectorState();
  const QSize size = area_->size().expandedTo(QSize(1, 1));
  if (base_.size() != size) base_ = QImage(size, QImage::Format_RGB32);
  std::vector<QString> told;
  auto tell = [&](const std::string& m) { told.push_back(QString::fromStdString(m)); };
  PaintEnd end = RenderSceneBase(scene_, setup_, base_, background_, tell);
  picture_ = base_;
  if (end == PaintEnd::Drawn) end = RenderSceneTop(scene_, setup_, picture_, background_, tell);
  picture_current_ = true;
  StaticText3->setText(QString::fromStdString(scene_.StaticText3));
  // A zoom or pan moved the plot under a resting cursor: read it again.
  if (last_cursor_) ShowCursorAt(*last_cursor_);
  for (const QString& t : told) Tell(t);
  if (end == PaintEnd::CloseWindow) QTimer::singleShot(0, this, &QWidget::close);
}

void TPlotForm::AreaPaint(QPainter& painter) {
  if (!picture_current_ || picture_.size() != area_->size()) Redraw();
  painter.drawImage(0, 0, picture_);
}

void TPlotForm::Changed() {
  scene_.ForgetMessages();
  picture_current_ = false;
  area_->update();
}

void TPlotForm::AreaMouseDown(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  scene_.MouseMove(p.x(), p.y(), setup_.xy_input);
  if (event->button() == Qt::LeftButton) {
    Dragging = true;
    DragStartPixel = p;
    DragStart = scene_.Cursor;
    rubber_band_->setGeometry(QRect(p, QSize()));
    rubber_band_->show();
  } else if (event->button() == Qt::RightButton) {
    scene_.ZoomOutAroundCursor();
    Changed();
  }
}

void TPlotForm::ShowCursorAt(QPoint p) {
  last_cursor_ = p;
  const CursorTexts t = scene_.MouseMove(p.x(), p.y(), setup_.xy_input);
  StaticText1->setText(QString::fromStdString(t.latitude));
  StaticText2->setText(QString::fromStdString(t.longitude));
}

void TPlotForm::AreaMouseMove(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  ShowCursorAt(p);
  if (Dragging) rubber_band_->setGeometry(QRect(DragStartPixel, p).normalized());
}

void TPlotForm::AreaMouseUp(QMouseEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) return;  // the drag goes on
  if (!Dragging || event->button() != Qt::LeftButton) return;
  Dragging = false;
  rubber_band_->hide();
  const QPoint p = event->position().toPoint();
  scene_.MouseMove(p.x(), p.y(), setup_.xy_input);
  scene_.ZoomToDrag(DragStart, scene_.Cursor,
                    [this](const std::string& m) { Tell(QString::fromStdString(m)); });
  Changed();
}

void TPlotForm::AreaKeyPress() {
  scene_.ZoomOutAroundCursor();
  Changed();
}

void TPlotForm::BitBtn2Click() {
  scene_.PanEast();
  Changed();
}
void TPlotForm::BitBtn3Click() {
  scene_.PanSouth();
  Changed();
}
void TPlotForm::BitBtn4Click() {
  scene_.PanNorth();
  Changed();
}
void TPlotForm::BitBtn5Click() {
  scene_.PanWest();
  Changed();
}
void TPlotForm::BitBtn6Click() {
  scene_.ZoomIn();
  Changed();
}
void TPlotForm::BitBtn7Click() {
  scene_.ZoomOut();
  Changed();
}

void TPlotForm::BitBtn8Click() {
  scene_.ForgetMessages();
  scene_.ShowWholeBackground(setup_, [this](const std::string& m) { Tell(QString::fromStdString(m)); });
  Changed();
}

void TPlotForm::BitBtn9Click() {
  const QString path = QFileDialog::getOpenFileName(
      this, QString(), QString(), QStringLiteral("CoastLine Files (*.cst);;Any File (*)"));
  if (path.isEmpty()) return;
  scene_.ChooseCoastFile(path.toStdString(), setup_,
                         [this](const std::string& m) { Tell(QString::fromStdString(m)); });
  StaticText3->setText(QString::fromStdString(scene_.StaticText3));
  Changed();
}

void TPlotForm::N1001Click() {
  scene_.view.W = area_->width();
  scene_.view.Hp = area_->height();
  scene_.ShowHundredPercent();
  Changed();
}

void TPlotForm::ClearPlot1Click() { Changed(); }

void TPlotForm::Kleurachtergrond1Click() {
  const QColor c = QColorDialog::getColor(background_, this);
  if (!c.isValid()) return;
  background_ = c;
  Changed();
}

void TPlotForm::Printplot1Click() {
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const QPixmap image = grab();
  QPainter painter(&printer);
  const QRect page = painter.viewport();
  const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
  painter.setViewport(page.x(), page.y(), size.width(), size.height());
  painter.setWindow(image.rect());
  painter.drawPixmap(0, 0, image);
}

void TPlotForm::Close1Click() { close(); }

}  // namespace oru
