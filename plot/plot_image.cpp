#include "plot/plot_image.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "plot/qpainter_canvas.h"

namespace oru {

QColor PlotBackgroundColour() { return QColor(240, 240, 240); }

QFont PlotFont() {
  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(11);
  return font;
}

PaintEnd RenderSceneBase(PlotScene& scene, const PaintSetup& setup, QImage& image,
                         const QColor& background, const PlotMessageSink& tell) {
  image.fill(background);
  QPainter painter(&image);
  painter.setFont(PlotFont());
  QPainterCanvas canvas(painter, background);
  return scene.PaintBase(canvas, image.width(), image.height(), setup, tell);
}

PaintEnd RenderSceneTop(PlotScene& scene, const PaintSetup& setup, QImage& image,
                        const QColor& background, const PlotMessageSink& tell) {
  QPainter painter(&image);
  painter.setFont(PlotFont());
  QPainterCanvas canvas(painter, background);
  return scene.PaintTop(canvas, setup, tell);
}

PaintEnd RenderScene(PlotScene& scene, const PaintSetup& setup, QImage& image,
                     const QColor& background, const PlotMessageSink& tell) {
  const PaintEnd end = RenderSceneBase(scene, setup, image, background, tell);
  return end == PaintEnd::Drawn ? RenderSceneTop(scene, setup, image, background, tell) : end;
}

namespace {

// Qt's notes about its environment are not the user's business here; only
// a fatal message (after which Qt aborts) is shown.
void KeepFatalQtMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// The picture's size as the messages name it, or the refusal of a size
// outside 1x1 to 20000x20000.
std::string SizeText(int width, int height, std::string& refusal) {
  if (!(width > 0 && height > 0 && width <= 20000 && height <= 20000)) {
    refusal = "the picture size must lie between 1x1 and 20000x20000 pixels";
  }
  return std::to_string(width) + "x" + std::to_string(height);
}

// The image as PNG bytes; empty, or why it could not be encoded.
std::string EncodePng(const QImage& image, const std::string& size, std::string& png) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return "the picture of " + size + " pixels could not be encoded";
  png.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return {};
}

}  // namespace

void EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  qInstallMessageHandler(KeepFatalQtMessagesOnly);
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "oru";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
}

std::string RenderPlotImage(const PlotImageRequest& request, std::vector<std::string>& messages,
                            std::string& png) {
  png.clear();
  std::string refusal;
  const std::string size = SizeText(request.width, request.height, refusal);
  if (!refusal.empty()) return refusal;
  EnsureGuiApplication();
  PlotScene scene;
  PaintSetup setup;
  setup.handoff_dir = request.handoff_dir;
  setup.places = request.places;
  setup.xy_input = request.xy_input;
  setup.open_on_track = request.open_on_track;
  QImage image(request.width, request.height, QImage::Format_RGB32);
  if (image.isNull()) return "not enough memory for a picture of " + size + " pixels";
  const PaintEnd end = RenderScene(scene, setup, image, PlotBackgroundColour(),
                                   [&](const std::string& m) { messages.push_back(m); });
  if (end == PaintEnd::CloseWindow) return "the plot files cannot be opened";
  return EncodePng(image, size, png);
}

std::string RenderCurveImage(const std::vector<CurvePoint>& curve, std::int64_t chosen_count,
                             int width, int height, std::string& png) {
  png.clear();
  std::string refusal;
  const std::string size = SizeText(width, height, refusal);
  if (!refusal.empty()) return refusal;
  EnsureGuiApplication();
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return "not enough memory for a picture of " + size + " pixels";
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setFont(PlotFont());
    QPainterCanvas canvas(painter, Qt::white);
    DrawCurveChart(curve, chosen_count, {0, 0, width, height}, canvas);
  }
  return EncodePng(image, size, png);
}

}  // namespace oru
