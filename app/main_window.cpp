#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <array>
#include <clocale>
#include <exception>
#include <new>

#include "app/about_box.h"
#include "app/artwork.h"
#include "app/nav_route_dialog.h"
#include "app/platform.h"
#include "app/product_texts.h"
#include "app/radio_group.h"
#include "app/run_messages.h"
#include "app/run_worker.h"
#include "run/file_formats.h"
#include "run/pipeline.h"
#include "run/selection_save.h"
#include "run/selection_value.h"
#include "app/user_dialogs.h"
#include "plot/plot_form.h"

namespace oru {
namespace {

// The input and output formats' item for GIS and navigation files (GIS
// files through GDAL, NMEA, P1/90, RTZ): the chosen file's extension names
// the format.
constexpr int kGisFormat = 3;
constexpr int kPlaneFormat = 2;  // the input format "ASCII  X, Y        [m]"

// The names of the survey text formats of the input and output items.
constexpr const char* kInputFormatNames[] = {"oru", "dms", "xy"};
constexpr const char* kOutputFormatNames[] = {"oru", "ascii", "kel"};

// Ellipsoidic tracks up to this many points are recorded for the plot's
// preview (about 4 s for 250,000 points on a two-core machine); longer ones
// are selected again for each value the preview shows.
constexpr std::int64_t kEllipsoidicRecordLimit = 250000;
const QString kGisItem = QStringLiteral("GIS or navigation file");

QLabel* TextLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  // Plain text keeps the double blanks of some captions.
  label->setTextFormat(Qt::PlainText);
  return label;
}

// The headings and the statistics rows are set a little larger than the
// rest of the window.
QLabel* LargeLabel(const char* name, const QString& text, QWidget* parent) {
  QLabel* label = TextLabel(name, text, parent);
  QFont font = label->font();
  font.setPointSize(10);
  label->setFont(font);
  return label;
}

QLabel* Heading(const char* name, const char* text, QWidget* parent) {
  QLabel* label = LargeLabel(name, QString::fromLatin1(text), parent);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
  label->setPalette(palette);
  return label;
}

// A read-only figure field at least `base_width` wide that holds `sample`
// in the window's font, whatever the font's size on this screen.
QLineEdit* FigureField(const char* name, int base_width, const QString& sample, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QLatin1String(name));
  field->setReadOnly(true);
  const int needed = field->fontMetrics().horizontalAdvance(sample) + 12;
  field->setFixedWidth(std::max(base_width, needed));
  return field;
}

QPushButton* Button(const char* name, const char* caption, QStyle::StandardPixmap icon,
                    QWidget* parent) {
  auto* button =
      new QPushButton(parent->style()->standardIcon(icon), QLatin1String(caption), parent);
  button->setObjectName(QLatin1String(name));
  button->setMinimumWidth(97);
  button->setAutoDefault(false);
  return button;
}

QLabel* FileNameField(const char* name, QWidget* parent) {
  QLabel* field = TextLabel(name, QString(), parent);
  field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  field->setMinimumHeight(24);
  // A long path must not widen the window; the whole path is in the tip.
  field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  field->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return field;
}

QFrame* Bevel(const char* name, QWidget* parent) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(QLatin1String(name));
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  return frame;
}

// Prints `image` as large as it was on the screen, shrunk to the page when
// it does not fit.
void PrintImage(const QImage& image, double screen_dpi, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) return;
  const QRect page = painter.viewport();
  const double to_printer = printer.resolution() / screen_dpi;
  QSizeF size = QSizeF(image.size()) * to_printer;
  if (size.width() > page.width() || size.height() > page.height()) {
    size.scale(QSizeF(page.size()), Qt::KeepAspectRatio);
  }
  painter.drawImage(QRectF(QPointF(0, 0), size), image);
  painter.end();
}

}  // namespace

TForm1::TForm1(UserDialogs& dialogs, Launcher& launcher, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      dialogs_(dialogs),
      launcher_(launcher) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(texts::kWindowCaption));
  setWindowIcon(ApplicationIcon());
  BuildControls();
  BuildMenu();
  // The plot window exists, hidden, for the life of the main window.
  PlotForm1 = new TPlotForm(this);
  PlotForm1->SetMessageBox(
      [this](QWidget* parent, const QString& text) { dialogs_.ShowMessage(parent, text); });
  AboutBox1 = new TAboutBox1(this);
  worker_ = new RunWorker(this);
  connect(worker_, &RunWorker::FiguresShown, this, &TForm1::ShowStatistics);
  connect(worker_, &RunWorker::Ended, this, &TForm1::RunEnded);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &TForm1::StopRun);
  FormCreate();

  // The starting size is the classic one unless the fonts of this screen
  // need more; then the window opens centred.
  const int menu_height = menuBar()->sizeHint().height();
  resize(sizeHint().expandedTo(QSize(523, 473 + menu_height)));
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);

  QFrame* Bevel1 = Bevel("Bevel1", client);
  auto* heading = new QVBoxLayout(Bevel1);
  heading->setContentsMargins(7, 1, 7, 3);
  heading->setSpacing(0);
  heading->addWidget(Heading("Label1", "ORU, based on the Douglas-Peucker Algorithm", Bevel1));
  heading->addWidget(Heading("Label2", texts::kReference, Bevel1));
  heading->addWidget(Heading("Label4", texts::kMaintainer, Bevel1));

  RadioGroup4 = new RadioGroup(QStringLiteral("RadioGroup4"), QStringLiteral("Input format"),
                               {QStringLiteral("oru/kvl"), QStringLiteral("ASCII Lat, Lon [DMS]"),
                                QStringLiteral("ASCII  X, Y        [m]"), kGisItem},
                               0, client);
  RadioGroup5 = new RadioGroup(
      QStringLiteral("RadioGroup5"), QStringLiteral("Output format"),
      {QStringLiteral("oru/kvl"), QStringLiteral("ASCII"), QStringLiteral("Kel"), kGisItem}, 0,
      client);
  RadioGroup3 = new RadioGroup(
      QStringLiteral("RadioGroup3"), QStringLiteral("Selection Criterion"),
      {QStringLiteral("Maximum deviation"), QStringLiteral("Number of points")}, 1, client);
  RadioGroup2 = new RadioGroup(QStringLiteral("RadioGroup2"), QStringLiteral("Geodetic datum"),
                               {QStringLiteral("WGS84/ETRS89"), QStringLiteral("ED50")}, 0, client);
  RadioGroup1 =
      new RadioGroup(QStringLiteral("RadioGroup1"), QStringLiteral("Calculation type"),
                     {QStringLiteral("ellipsoidic"), QStringLiteral("planar")}, 0, client);
  RadioGroup6 = new QGroupBox(QStringLiteral("Criterion"), client);
  RadioGroup6->setObjectName(QStringLiteral("RadioGroup6"));
  Edit1 = new QLineEdit(QStringLiteral("10"), RadioGroup6);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setFixedWidth(97);
  StaticText3 = TextLabel("StaticText3", QStringLiteral("points"), RadioGroup6);
  auto* criterion = new QHBoxLayout(RadioGroup6);
  criterion->addWidget(Edit1);
  criterion->addWidget(StaticText3);
  criterion->addStretch();

  auto* crs_label = TextLabel("LabelCrs", QStringLiteral("CRS of X, Y tracks:  EPSG:"), client);
  EditCrs = new QLineEdit(client);
  EditCrs->setObjectName(QStringLiteral("EditCrs"));
  EditCrs->setFixedWidth(97);
  EditCrs->setToolTip(QStringLiteral("The projected CRS of the X, Y coordinates, written with "
                                     "GIS files; routes need it (25831: ETRS89 / UTM 31N)"));
  EditCrs->setEnabled(false);
  auto* crs = new QHBoxLayout;
  crs->addStretch();
  crs->addWidget(crs_label);
  crs->addWidget(EditCrs);

  auto* groups = new QGridLayout;
  groups->setHorizontalSpacing(18);
  groups->addWidget(RadioGroup4, 0, 0);
  groups->addWidget(RadioGroup5, 0, 1);
  groups->addWidget(RadioGroup3, 0, 2);
  groups->addWidget(RadioGroup2, 1, 0);
  groups->addWidget(RadioGroup1, 1, 1);
  groups->addWidget(RadioGroup6, 1, 2);
  for (int column = 0; column < 3; ++column) groups->setColumnStretch(column, 1);

  BitBtn1 = Button("BitBtn1", "Open ...", QStyle::SP_DialogOpenButton, client);
  StaticText1 = FileNameField("StaticText1", client);
  BitBtn2 = Button("BitBtn2", "Save As ...", QStyle::SP_DialogSaveButton, client);
  StaticText2 = FileNameField("StaticText2", client);
  BitBtn3 = Button("BitBtn3", "Go!", QStyle::SP_MediaPlay, client);
  BitBtn2->setEnabled(false);
  BitBtn3->setEnabled(false);
  auto* files = new QGridLayout;
  files->setHorizontalSpacing(11);
  files->setVerticalSpacing(12);
  files->addWidget(BitBtn1, 0, 0);
  files->addWidget(StaticText1, 0, 1);
  files->addWidget(BitBtn2, 1, 0);
  files->addWidget(StaticText2, 1, 1);
  files->addWidget(BitBtn3, 2, 0);
  files->setColumnStretch(1, 1);

  // Widths that hold the longest usual figures: seven digits, a percentage
  // in exponent form, and lengths of ten thousand kilometres and more in
  // exponent form ("3.006116E+7"), which long voyages reach.
  const QString whole = QStringLiteral("0000000");
  const QString percent = QStringLiteral("1.0E+2");
  const QString length = QStringLiteral("0.000000E+0");
  Edit2 = FigureField("Edit2", 57, whole, client);
  Edit3 = FigureField("Edit3", 33, percent, client);
  Edit4 = FigureField("Edit4", 57, whole, client);
  Edit5 = FigureField("Edit5", 57, whole, client);
  Edit6 = FigureField("Edit6", 33, percent, client);
  Edit7 = FigureField("Edit7", 57, length, client);
  Edit8 = FigureField("Edit8", 57, length, client);
  auto row = [](std::initializer_list<QWidget*> widgets) {
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    for (QWidget* widget : widgets) line->addWidget(widget);
    line->addStretch();
    return line;
  };
  auto label = [client](const char* name, const char* text) {
    return LargeLabel(name, QString::fromLatin1(text), client);
  };
  auto* statistics = new QVBoxLayout;
  statistics->setSpacing(6);
  statistics->addLayout(
      row({label("Label6", "The maximum distance of the original line to the new line is:"), Edit2,
           label("Label13", "m.")}));
  statistics->addLayout(row({label("Label7", "The number of points has decreased with"), Edit3,
                             label("Label8", "% from"), Edit4, label("Label9", "to"), Edit5}));
  statistics->addLayout(row({label("Label10", "The length of the line has decreased  with"), Edit6,
                             label("Label11", "% from"), Edit7, label("Label12", "m. to"), Edit8,
                             label("Label15", "m.")}));

  QFrame* Bevel2 = Bevel("Bevel2", client);
  BitBtn4 = Button("BitBtn4", "Check", QStyle::SP_FileDialogContentsView, Bevel2);
  BitBtnPlot = new QPushButton(ApplicationIcon(), QStringLiteral("Plot"), Bevel2);
  BitBtnPlot->setObjectName(QStringLiteral("BitBtnPlot"));
  BitBtnPlot->setMinimumWidth(97);
  BitBtnPlot->setAutoDefault(false);
  BitBtn5 = Button("BitBtn5", "Exit", QStyle::SP_DialogCloseButton, Bevel2);
  auto* bottom = new QHBoxLayout(Bevel2);
  bottom->setContentsMargins(3, 3, 3, 3);
  bottom->addWidget(BitBtn4);
  bottom->addStretch();
  bottom->addWidget(BitBtnPlot);
  bottom->addStretch();
  bottom->addWidget(BitBtn5);

  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(14, 8, 14, 4);
  layout->setSpacing(8);
  layout->addWidget(Bevel1);
  layout->addLayout(groups);
  layout->addLayout(crs);
  layout->addSpacing(6);
  layout->addLayout(files);
  layout->addLayout(statistics);
  layout->addStretch();
  layout->addWidget(Bevel2);

  connect(RadioGroup3, &RadioGroup::ItemChosen, this, &TForm1::RadioGroup3Click);
  connect(RadioGroup4, &RadioGroup::ItemChosen, this, &TForm1::RadioGroup4Click);
  connect(RadioGroup5, &RadioGroup::ItemChosen, this, &TForm1::RadioGroup5Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TForm1::BitBtn4Click);
  connect(BitBtnPlot, &QPushButton::clicked, this, &TForm1::BitBtnPlotClick);
  connect(BitBtn5, &QPushButton::clicked, this, &QWidget::close);
  // Enter in the selection value starts the run when "Go!" could.
  connect(Edit1, &QLineEdit::returnPressed, this, [this] {
    if (!run_under_way_ && BitBtn3->isEnabled()) BitBtn3Click();
  });
}

void TForm1::BuildMenu() {
  QMenu* File1 = menuBar()->addMenu(QStringLiteral("&File"));
  File1->setObjectName(QStringLiteral("File1"));
  auto item = [this](QMenu* menu, const char* name, const char* text, auto handler) {
    QAction* action = menu->addAction(QLatin1String(text));
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  Open1 = item(File1, "Open1", "&Open", &TForm1::Open1Click);
  Save1 = item(File1, "Save1", "&Save As", &TForm1::Save1Click);
  // NMEA and P1/90 files to routes, in a dialog of its own.
  QAction* routes = File1->addAction(QStringLiteral("&Navigation to Routes ..."));
  routes->setObjectName(QStringLiteral("NavRoutes1"));
  connect(routes, &QAction::triggered, this, [this] { NavRouteDialog(dialogs_, this).exec(); });
  Tracks1 = item(File1, "Tracks1", "&Tracks of the Last Run ...", &TForm1::Tracks1Click);
  PrintScreen1 = item(File1, "PrintScreen1", "&Print Screen", &TForm1::PrintScreen1Click);
  Exit1 = item(File1, "Exit1", "&Exit", &TForm1::Exit1Click);
  QMenu* Options1 = menuBar()->addMenu(QStringLiteral("&Options"));
  Options1->setObjectName(QStringLiteral("Options1"));
  Optimal1 = Options1->addAction(QStringLiteral("Fewest points (optimal)"));
  Optimal1->setObjectName(QStringLiteral("Optimal1"));
  Optimal1->setCheckable(true);
  QMenu* Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
  Help1->setObjectName(QStringLiteral("Help1"));
  Index1 = item(Help1, "Index1", "Index", &TForm1::Index1Click);
  About1 = item(Help1, "About1", "About", &TForm1::About1Click);
}

void TForm1::FormCreate() {
  start_directory_ = QDir::currentPath();
  // Track files and the selection value always use the decimal point. The
  // toolkit takes the user's regional settings for the C library on start;
  // numbers must not follow them.
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
  UpdateControls();
}

void TForm1::BitBtn1Click() {
  if (const auto chosen = dialogs_.AskOpenFile(this)) {
    StaticText1->setText(*chosen);
    StaticText1->setToolTip(*chosen);
    input_file_name_ = *chosen;
    FollowExtension(RadioGroup4, *chosen, true);
  }
  UpdateControls();
  QDir::setCurrent(start_directory_);
}

void TForm1::BitBtn2Click() {
  if (const auto chosen = dialogs_.AskSaveFile(this)) {
    StaticText2->setText(*chosen);
    StaticText2->setToolTip(*chosen);
    output_file_name_ = *chosen;
    FollowExtension(RadioGroup5, *chosen, false);
  }
  UpdateControls();
  QDir::setCurrent(start_directory_);
}

RunChoices TForm1::ChosenChoices() const {
  RunChoices choices;
  // The datum is -1 (none chosen) for plane coordinates; the run never
  // looks at it then.
  choices.calculation = static_cast<CalculationType>(RadioGroup1->ItemIndex());
  choices.datum = static_cast<DatumChoice>(RadioGroup2->ItemIndex());
  choices.criterion = static_cast<Criterion>(RadioGroup3->ItemIndex());
  // The GIS item names no survey format: the formats keep their defaults,
  // which such a run never reads.
  if (RadioGroup4->ItemIndex() != kGisFormat && RadioGroup5->ItemIndex() != kGisFormat) {
    choices.input_format = static_cast<InputFormat>(RadioGroup4->ItemIndex());
    choices.output_format = static_cast<OutputFormat>(RadioGroup5->ItemIndex());
  }
  return choices;
}

std::array<RadioGroup*, 5> TForm1::RadioGroups() const {
  return {RadioGroup1, RadioGroup2, RadioGroup3, RadioGroup4, RadioGroup5};
}

// The buttons that start, feed or follow a run and their menu items, and the
// selection value: "Save As" once there is an input file, "Go!" once there
// are both files, "Check" and "Plot" once a run has ended; none of them
// while a run works, when "Go!" is "Stop".
void TForm1::UpdateControls() {
  const bool idle = !run_under_way_;
  const bool input = !input_file_name_.isEmpty();
  const bool output = !output_file_name_.isEmpty();
  BitBtn1->setEnabled(idle);
  Open1->setEnabled(idle);
  BitBtn2->setEnabled(idle && input);
  Save1->setEnabled(idle && input);
  BitBtn3->setEnabled(!idle || (input && output));
  BitBtn3->setText(idle ? QStringLiteral("Go!") : QStringLiteral("Stop"));
  BitBtn3->setIcon(style()->standardIcon(idle ? QStyle::SP_MediaPlay : QStyle::SP_MediaStop));
  BitBtn4->setEnabled(idle && run_ended_once_);
  BitBtnPlot->setEnabled(idle && run_ended_once_);
  Tracks1->setEnabled(idle && last_completed_ && last_completed_->gis);
  Edit1->setEnabled(idle);
}

void TForm1::DisableForRun() {
  focus_before_run_ = QApplication::focusWidget();
  const auto groups = RadioGroups();
  for (std::size_t i = 0; i < groups.size(); ++i) {
    group_enabled_[i] = groups[i]->isEnabled();
    groups[i]->setEnabled(false);
  }
  UpdateControls();
  // The focus stays on "Stop" when it was on "Go!"; otherwise it would move
  // on from the disabled control to whatever comes next.
  if (focus_before_run_ == BitBtn3 || focus_before_run_ == Edit1) BitBtn3->setFocus();
}

void TForm1::EnableAfterRun() {
  UpdateControls();
  // The plane-coordinate format keeps its three groups disabled.
  const auto groups = RadioGroups();
  for (std::size_t i = 0; i < groups.size(); ++i) groups[i]->setEnabled(group_enabled_[i]);
  if (focus_before_run_ && focus_before_run_->isEnabled()) focus_before_run_->setFocus();
}

void TForm1::SetProgressInterval(std::chrono::milliseconds interval) {
  worker_->SetProgressInterval(interval);
}

void TForm1::StopRun() {
  if (run_under_way_) worker_->RequestStop();
}

void TForm1::BitBtn3Click() {
  if (run_under_way_) {
    StopRun();
    return;
  }
  if (RadioGroup4->ItemIndex() == kGisFormat || RadioGroup5->ItemIndex() == kGisFormat) {
    StartGisRun();
    return;
  }
  RunRequest request;
  request.input = ToPath(input_file_name_);
  request.output = ToPath(output_file_name_);
  request.choices = ChosenChoices();
  request.selection_value = Edit1->text().toStdString();
  request.method = Optimal1->isChecked() ? SelectionMethod::Optimal : SelectionMethod::DouglasPeucker;
  request.quality_figures = true;
  request.record = true;
  request.ellipsoidic_record_limit = kEllipsoidicRecordLimit;
  last_run_choices_ = request.choices;
  line_count_ = 0;
  running_ = PlottableRun{input_file_name_, output_file_name_, request.choices, std::nullopt,
                          request.selection_value, nullptr, nullptr, nullptr};
  gis_run_ = nullptr;
  auto outcome = std::make_shared<RunOutcome>();
  outcome_ = outcome;
  run_under_way_ = true;
  DisableForRun();
  worker_->Start([request, outcome](RunObserver& observer) {
    try {
      *outcome = ProcessRun(request, observer);
    } catch (const std::bad_alloc&) {
      // The run reports running out of memory itself; this is the rest.
      observer.ShowMessage("Not enough memory to thin " + request.input.string() + ".");
    }
  });
}

void TForm1::StartGisRun() {
  PipelineSettings settings;
  settings.inputs = {ToPath(input_file_name_)};
  settings.output = ToPath(output_file_name_);
  const int input = RadioGroup4->ItemIndex();
  const int output = RadioGroup5->ItemIndex();
  // The GIS item takes the format the file's extension names; a name that
  // names none is said before anything is read.
  if (input == kGisFormat && !FormatOfExtension(settings.inputs[0].string()).read) {
    Tell(QStringLiteral("The name of the input file %1 names no GIS or navigation format "
                        "(.gpx, .gpkg, .shp, .geojson, .json, .kml, .fgb, .csv, .dxf, .nmea, "
                        ".nma, .log, .p190, .p1): choose its format or rename it.")
             .arg(input_file_name_));
    return;
  }
  if (output == kGisFormat && !FormatOfExtension(settings.output.string()).write) {
    Tell(QStringLiteral("The name of the output file %1 names no GIS or route format that is "
                        "written (.gpx, .gpkg, .shp, .geojson, .kml, .fgb, .csv, .rtz).")
             .arg(output_file_name_));
    return;
  }
  if (input != kGisFormat) settings.input_format = kInputFormatNames[input];
  if (output != kGisFormat) settings.output_format = kOutputFormatNames[output];
  const RunChoices choices = ChosenChoices();
  settings.calculation = choices.calculation;
  settings.datum = RadioGroup2->ItemIndex() == 1 ? DatumChoice::Ed50 : DatumChoice::Wgs84;
  settings.criterion = choices.criterion;
  settings.value = Edit1->text().toStdString();
  settings.method =
      Optimal1->isChecked() ? SelectionMethod::Optimal : SelectionMethod::DouglasPeucker;
  if (EditCrs->isEnabled() && !EditCrs->text().trimmed().isEmpty()) {
    settings.crs = "EPSG:" + EditCrs->text().trimmed().toStdString();
  }
  settings.keep_tracks = true;
  last_run_choices_ = choices;
  line_count_ = 0;
  running_ = PlottableRun{input_file_name_, output_file_name_, choices, std::nullopt,
                          settings.value, nullptr, nullptr, nullptr};
  auto outcome = std::make_shared<RunOutcome>();
  auto gis = std::make_shared<GisRunResult>();
  outcome_ = outcome;
  gis_run_ = gis;
  run_under_way_ = true;
  DisableForRun();
  worker_->Start([settings, outcome, gis](RunObserver& observer) {
    PipelineOutcome run;
    try {
      run = RunPipeline(settings, observer);
    } catch (const std::bad_alloc&) {
      observer.ShowMessage("Not enough memory to thin " + settings.inputs[0].string() + ".");
      return;
    }
    for (const std::string& message : RunMessages(run)) observer.ShowMessage(message);
    outcome->completed = !run.error && !run.stopped && !run.files.front().error;
    if (!outcome->completed) return;
    gis->tracks_text = TracksText(run);
    for (TrackReport& track : run.files.front().tracks) {
      gis->plotted.push_back(PlotTrack{track.geographic, track.datum, std::move(track.first),
                                       std::move(track.second), std::move(track.kept)});
    }
    observer.ShowStatistics(FormatStatistics(TotalStatistics(run)));
  });
}

void TForm1::Tracks1Click() {
  if (!last_completed_ || !last_completed_->gis) return;
  if (tracks_view_ == nullptr) {
    tracks_view_ = new QDialog(this);
    tracks_view_->setObjectName(QStringLiteral("TracksView"));
    tracks_view_->setWindowTitle(QStringLiteral("Tracks of the last run"));
    auto* text = new QPlainTextEdit(tracks_view_);
    text->setObjectName(QStringLiteral("TracksText"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(tracks_view_);
    layout->addWidget(text);
    tracks_view_->resize(640, 420);
  }
  tracks_view_->findChild<QPlainTextEdit*>()->setPlainText(
      QString::fromStdString(last_completed_->gis->tracks_text));
  tracks_view_->show();
  tracks_view_->raise();
}

void TForm1::RunEnded(const std::vector<std::string>& messages) {
  const RunOutcome outcome = *outcome_;
  run_under_way_ = false;
  run_ended_once_ = true;
  line_count_ = outcome.line_count;
  if (outcome.completed) {
    last_completed_ = running_;
    last_completed_->quality = outcome.quality;
    last_completed_->record = outcome.record;
    last_completed_->track = outcome.input;
    last_completed_->gis = gis_run_;
  } else {
    // No figure of an earlier run may stand beside this run's message.
    ShowStatistics(StatisticsTexts{});
  }
  EnableAfterRun();
  for (const std::string& message : messages) Tell(QString::fromStdString(message));
  if (close_requested_) close();
}

void TForm1::BitBtn4Click() {
  if (!launcher_.ShowTextFile(output_file_name_)) Tell(NoProgramMessage(output_file_name_));
}

void TForm1::BitBtnPlotClick() {
  if (!last_completed_) {
    Tell(QStringLiteral("No run to plot yet."));
    return;
  }
  const PlottableRun& run = *last_completed_;
  ShowPreview(run.choices.criterion == Criterion::NumberOfPoints
                  ? static_cast<double>(ParseNumberOfPoints(run.value).value_or(0))
                  : ParseMaximumDeviation(run.value).value_or(0.0));
}

// The plot of the last completed run, previewing its selection from
// `value` on.
void TForm1::ShowPreview(double value) {
  const PlottableRun& run = *last_completed_;
  try {
    if (run.gis) {
      PlotForm1->PlotTracks(start_directory_, run.input, run.gis->plotted);
      return;
    }
    if (!PlotForm1->PlotRun(start_directory_, run.input, run.output, run.choices, run.quality)) {
      return;
    }
    std::optional<PreviewModel> model;
    if (run.record) model.emplace(run.record, run.choices.criterion, line_count_);
    if (run.track) model.emplace(run.track, run.choices.criterion, line_count_);
    if (!model) return;
    PlotForm1->ShowPreview(std::move(*model), value,
                           [this](const SelectionResult& selection, double at) {
                             SavePreview(selection, at);
                           });
  } catch (const std::bad_alloc&) {
    // Every file is as it was: the hand-off files are replaced whole or not.
    Tell(QStringLiteral("Not enough memory to plot %1.").arg(run.input));
  }
}

// "Save" in the plot: the previewed selection becomes the output file, its
// figures the window's, and the plot shows it from the files again.
void TForm1::SavePreview(const SelectionResult& selection, double value) {
  if (run_under_way_ || !last_completed_) return;
  PlottableRun& run = *last_completed_;
  struct Shown final : RunObserver {
    void ShowMessage(const std::string& text) override { message = text; }
    void ShowStatistics(const StatisticsTexts& texts) override { figures = texts; }
    std::string message;
    std::optional<StatisticsTexts> figures;
  } shown;
  RunRequest request;
  request.input = ToPath(run.input);
  request.output = ToPath(run.output);
  request.choices = run.choices;
  SaveSelection(request, selection, shown);
  if (!shown.message.empty()) {
    Tell(QString::fromStdString(shown.message));
    return;
  }
  if (shown.figures) ShowStatistics(*shown.figures);
  run.quality.reset();  // measured for the run's own selection
  ShowPreview(value);
}

void TForm1::RadioGroup3Click() {
  StaticText3->setText(RadioGroup3->ItemIndex() == 0 ? QStringLiteral("m.")
                                                     : QStringLiteral("points"));
}

void TForm1::RadioGroup4Click() {
  const int format = RadioGroup4->ItemIndex();
  if (format == kGisFormat) {
    // The file's extension names its format, and its CRS the datum; the
    // output is a GIS or navigation file too unless another is chosen.
    RadioGroup1->setEnabled(true);
    RadioGroup5->setEnabled(true);
    RadioGroup5->SetItemIndex(kGisFormat);
  } else if (format == kPlaneFormat) {
    // Plane coordinates: metres are only ever measured in the plane, have
    // no datum and are written as they were read.
    RadioGroup1->SetItemIndex(1);
    RadioGroup1->setEnabled(false);
    RadioGroup5->SetItemIndex(1);
    RadioGroup5->setEnabled(false);
  } else if (format == 0 || format == 1) {
    RadioGroup1->SetItemIndex(0);
    RadioGroup1->setEnabled(true);
    RadioGroup2->SetItemIndex(0);
    RadioGroup5->setEnabled(true);
    RadioGroup5->SetItemIndex(format);
  }
  // An output named as a GIS or route file is written as one.
  if (!output_file_name_.isEmpty()) FollowExtension(RadioGroup5, output_file_name_, false);
  EnableDatumAndCrs();
}

void TForm1::RadioGroup5Click() { EnableDatumAndCrs(); }

// The datum names the datum of survey text, read or written: none between
// GIS files (their CRS says it) and none for plane coordinates. The CRS
// field is for X, Y tracks written to GIS and route files.
void TForm1::EnableDatumAndCrs() {
  const int input = RadioGroup4->ItemIndex();
  const bool gis_output = RadioGroup5->ItemIndex() == kGisFormat;
  const bool datum = input != kPlaneFormat && !(input == kGisFormat && gis_output);
  if (datum && RadioGroup2->ItemIndex() < 0) RadioGroup2->SetItemIndex(0);
  if (!datum) RadioGroup2->SetItemIndex(-1);
  RadioGroup2->setEnabled(datum);
  EditCrs->setEnabled(input == kPlaneFormat && gis_output);
}

void TForm1::FollowExtension(RadioGroup* group, const QString& file, bool input) {
  const ExtensionFormat format = FormatOfExtension(ToPath(file).string());
  const bool named = input ? format.read.has_value() : format.write.has_value();
  if (named && group->ItemIndex() != kGisFormat) {
    group->SetItemIndex(kGisFormat);
  } else if (!named && group->ItemIndex() == kGisFormat) {
    // Survey text again, as the input format chooses it.
    const int from = RadioGroup4->ItemIndex();
    const int survey = input || from == 0 || from == kGisFormat ? 0 : 1;
    group->SetItemIndex(survey);
  }
}

void TForm1::Open1Click() { BitBtn1Click(); }

void TForm1::Save1Click() { BitBtn2Click(); }

void TForm1::PrintScreen1Click() {
  // The image is taken before the print dialog covers the window.
  const QImage image = grab().toImage();
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromLatin1(texts::kApplicationTitle));
  if (!dialogs_.ChoosePrinter(this, printer)) return;
  PrintImage(image, logicalDpiX(), printer);
}

// Ends the program like the close box, so that the hand-off files go too.
void TForm1::Exit1Click() { close(); }

void TForm1::Index1Click() {
  const QString help = FindHelpFile(HelpDirectories(start_directory_));
  if (!launcher_.ShowHelp(help)) Tell(NoProgramMessage(help));
}

void TForm1::About1Click() { AboutBox1->exec(); }

void TForm1::closeEvent(QCloseEvent* event) {
  if (run_under_way_) {
    // The run is stopped first; the window closes when it has ended in its
    // orderly way, with nothing written.
    close_requested_ = true;
    StopRun();
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TForm1::FormClose() { DeleteHandOffFiles(start_directory_); }

void TForm1::Tell(const QString& text) {
  dialogs_.ShowMessage(this, text);
  if (Edit1->isEnabled()) Edit1->setFocus();
}

void TForm1::ShowStatistics(const StatisticsTexts& texts) {
  const std::pair<QLineEdit*, const std::string*> fields[] = {
      {Edit2, &texts.max_deviation},    {Edit3, &texts.point_reduction},
      {Edit4, &texts.points_before},    {Edit5, &texts.points_after},
      {Edit6, &texts.length_reduction}, {Edit7, &texts.length_before},
      {Edit8, &texts.length_after}};
  for (const auto& [field, text] : fields) field->setText(QString::fromStdString(*text));
}

}  // namespace oru
