#pragma once

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPoint>

#include "plot/canvas.h"

namespace oru {

// The plot canvas on a QPainter: pixel-exact drawing without antialiasing,
// text in the painter's font with its top-left corner at the point given.
// The not-xor pen mode needs a raster device (QImage, QPixmap, a widget).
class QPainterCanvas final : public Canvas {
 public:
  // `background`: the colour of the boxes behind labels.
  QPainterCanvas(QPainter& painter, const QColor& background);

  void MoveTo(std::int32_t x, std::int32_t y) override;
  void LineTo(std::int32_t x, std::int32_t y) override;
  void Ellipse(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;
  void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;
  void TextOut(std::int32_t x, std::int32_t y, const std::string& text) override;
  void LabelOut(std::int32_t x, std::int32_t y, const std::string& text) override;
  std::int32_t TextWidth(const std::string& text) const override;
  void SetPenColor(Rgb colour) override;
  void SetPenWidth(std::int32_t width) override;
  void SetPenMode(PenMode mode) override;
  void SetBrushColor(Rgb colour) override;
  void SetBrushHollow() override;

  static QColor ToQColor(Rgb c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

 private:
  QPainter& painter_;
  QColor background_;
  QPen pen_;
  QPoint at_;
};

}  // namespace oru
