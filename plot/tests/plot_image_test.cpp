#include "plot/plot_image.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>

#include "plot/handoff.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

int CountColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  }
  return n;
}

// The shipped coastlines behind a track: Den Helder to the Dogger Bank in
// the North Sea file's area, opened as the window opens and on the track;
// and a transit of the Suez Canal, outside that area, which once plotted as
// an empty North Sea: now on its own extent with the world coastline.
TEST(RenderPlotImage, ShippedCoastlinesBehindATrack) {
  const fs::path source = std::getenv("ORU_SOURCE_DIR") ? std::getenv("ORU_SOURCE_DIR") : ".";
  const fs::path dir = fs::temp_directory_path() / "oru_plot_image_test";
  struct Row {
    const char* name;
    double lat0, lon0, dlat, dlon;  // first point and step, degrees
    bool open_on_track;
    int green, red;  // least pixels of coastline and of kept points
  };
  const Row rows[] = {
      {"North Sea, window's extent", 53.0, 4.7, 0.05, -0.06, false, 2000, 20},
      {"North Sea, on the track", 53.0, 4.7, 0.05, -0.06, true, 100, 400},
      {"Suez Canal, window's extent", 29.95, 32.56, 0.04, -0.008, false, 500, 400},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    // Every third point kept.
    std::ofstream in(dir / "in.txt");
    std::ofstream out(dir / "out.txt");
    for (int i = 0; i <= 30; ++i) {
      const std::string line = std::to_string(row.lat0 + i * row.dlat) + "N, " +
                               std::to_string(row.lon0 + i * row.dlon) + "E\n";
      in << line;
      if (i % 3 == 0) out << line;
    }
    in.close();
    out.close();
    ASSERT_TRUE(WritePlotHandoff(dir / "in.txt", dir / "out.txt", dir, {}).written);

    PlotImageRequest request;
    request.handoff_dir = dir;
    request.width = 640;
    request.height = 480;
    request.open_on_track = row.open_on_track;
    request.places.application_dir = source;
    std::vector<std::string> messages;
    std::string png;
    ASSERT_EQ(RenderPlotImage(request, messages, png), "");
    EXPECT_TRUE(messages.empty());
    QImage image;
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                   static_cast<int>(png.size()), "PNG"));
    ASSERT_EQ(image.size(), QSize(640, 480));
    EXPECT_GT(CountColour(image, qRgb(0, 128, 0)), row.green);
    EXPECT_GT(CountColour(image, qRgb(255, 0, 0)), row.red);
    EXPECT_GT(CountColour(image, qRgb(192, 192, 192)), 20);  // the markers
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace oru
