#include "app/artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <array>
#include <cmath>

namespace oru {
namespace {

// The track in unit coordinates (0..1 both ways, y downwards): a survey line
// that meanders with a small regular wobble, sampled densely.
QPointF TrackPoint(int i, int count) {
  const double t = static_cast<double>(i) / (count - 1);
  const double x = 0.08 + 0.84 * t;
  const double y = 0.62 - 0.30 * std::sin(t * 3.3) + 0.05 * std::sin(t * 23.0);
  return {x, y};
}

constexpr int kTrackPoints = 48;
// The points a thinning keeps, by index into the track above.
constexpr std::array<int, 7> kKept = {0, 8, 17, 25, 33, 40, kTrackPoints - 1};

QPointF Place(const QRectF& area, QPointF unit) {
  return {area.left() + unit.x() * area.width(), area.top() + unit.y() * area.height()};
}

}  // namespace

void PaintTrackPicture(QPainter& painter, const QRectF& area) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sea(area.topLeft(), area.bottomLeft());
  sea.setColorAt(0.0, QColor(0x1d, 0x4e, 0x89));
  sea.setColorAt(1.0, QColor(0x5f, 0xa8, 0xd3));
  painter.fillRect(area, sea);

  // A stretch of coast in the lower right corner.
  QPainterPath land;
  land.moveTo(Place(area, {1.0, 0.70}));
  land.cubicTo(Place(area, {0.86, 0.74}), Place(area, {0.80, 0.86}), Place(area, {0.66, 0.88}));
  land.cubicTo(Place(area, {0.58, 0.90}), Place(area, {0.55, 0.97}), Place(area, {0.50, 1.0}));
  land.lineTo(Place(area, {1.0, 1.0}));
  land.closeSubpath();
  painter.setPen(QPen(QColor(0x8a, 0x6d, 0x3b), std::max(1.0, area.width() / 120)));
  painter.setBrush(QColor(0xe8, 0xd5, 0x9c));
  painter.drawPath(land);

  const double dot = std::max(1.0, area.width() / 70);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  for (int i = 0; i < kTrackPoints; ++i) {
    painter.drawEllipse(Place(area, TrackPoint(i, kTrackPoints)), dot / 2, dot / 2);
  }

  QPolygonF kept;
  for (int i : kKept) kept << Place(area, TrackPoint(i, kTrackPoints));
  painter.setPen(QPen(QColor(0xd0, 0x10, 0x10), std::max(1.0, area.width() / 60), Qt::SolidLine,
                      Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(kept);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xd0, 0x10, 0x10));
  for (const QPointF& p : kept) painter.drawEllipse(p, dot, dot);
  painter.restore();
}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  PaintTrackPicture(painter, QRectF(rect()));
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    const double radius = size / 6.0;
    tile.addRoundedRect(QRectF(0, 0, size, size), radius, radius);
    painter.setClipPath(tile);
    PaintTrackPicture(painter, QRectF(0, 0, size, size));
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace oru
