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

TEST(RenderPlotImage, ShippedNorthSeaWithATrack) {
  const fs::path source = std::getenv("ORU_SOURCE_DIR") ? std::getenv("ORU_SOURCE_DIR") : ".";
  const fs::path dir = fs::temp_directory_path() / "oru_plot_image_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  // A track from Den Helder to the Dogger Bank; every third point kept.
  std::ofstream in(dir / "in.txt");
  std::ofstream out(dir / "out.txt");
  for (int i = 0; i <= 30; ++i) {
    const std::string line = std::to_string(53.0 + i * 0.05) + "N, " + std::to_string(4.7 - i * 0.06) + "E\n";
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
  request.places.application_dir = source;
  std::vector<std::string> messages;
  std::string png;
  ASSERT_EQ(RenderPlotImage(request, messages, png), "");
  EXPECT_TRUE(messages.empty());
  QImage image;
  ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                 static_cast<int>(png.size()), "PNG"));
  ASSERT_EQ(image.size(), QSize(640, 480));
  EXPECT_GT(CountColour(image, qRgb(0, 128, 0)), 2000);  // the coastline
  EXPECT_GT(CountColour(image, qRgb(255, 0, 0)), 20);    // the kept points
  EXPECT_GT(CountColour(image, qRgb(192, 192, 192)), 20);  // the markers
  fs::remove_all(dir);
}

}  // namespace
}  // namespace oru
