#pragma once

#include <QIcon>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace oru {

// ORU's own picture: a survey track of many black points over the sea, with
// the few points that thinning keeps joined in red. Drawn, not loaded, so the
// program needs no image files or image plug-ins.
void PaintTrackPicture(QPainter& painter, const QRectF& area);

// Shows the picture stretched over the whole widget.
class PictureBox final : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The window and desktop icon: the same picture on a rounded tile.
QIcon ApplicationIcon();

}  // namespace oru
