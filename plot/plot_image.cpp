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

PaintEnd RenderScene(PlotScene& scene, const PaintSetup& setup, QImage& image,
                     const QColor& background, const PlotMessageSink& tell) {
  image.fill(background);
  QPainter painter(&image);
  painter.setFont(PlotFont());
  QPainterCanvas canvas(painter, background);
  return scene.Paint(canvas, image.width(), image.height(), setup, tell);
}

namespace {

// Qt's notes about its environment are not the user's business here; only
// a fatal message (after which Qt aborts) is shown.
void KeepFatalQtMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
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
  if (!(request.width > 0 && request.height > 0 && request.width <= 20000 &&
        request.height <= 20000)) {
    return "the picture size must lie between 1x1 and 20000x20000 pixels";
  }
  EnsureGuiApplication();
  PlotScene scene;
  PaintSetup setup;
  setup.handoff_dir = request.handoff_dir;
  setup.places = request.places;
  setup.xy_input = request.xy_input;
  const std::string size = std::to_string(request.width) + "x" + std::to_string(request.height);
  QImage image(request.width, request.height, QImage::Format_RGB32);
  if (image.isNull()) return "not enough memory for a picture of " + size + " pixels";
  const PaintEnd end = RenderScene(scene, setup, image, PlotBackgroundColour(),
                                   [&](const std::string& m) { messages.push_back(m); });
  if (end == PaintEnd::CloseWindow) return "the plot files cannot be opened";
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return "the picture of " + size + " pixels could not be encoded";
  png.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return {};
}

}  // namespace oru
