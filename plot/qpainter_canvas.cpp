#include "plot/qpainter_canvas.h"

#include <QFontMetrics>
#include <QRect>
#include <QString>
#include <algorithm>

namespace oru {

QPainterCanvas::QPainterCanvas(QPainter& painter, const QColor& background)
    : painter_(painter), background_(background), pen_(Qt::black, 1) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setPen(pen_);
}

void QPainterCanvas::MoveTo(std::int32_t x, std::int32_t y) { at_ = QPoint(x, y); }

void QPainterCanvas::LineTo(std::int32_t x, std::int32_t y) {
  const QPoint to(x, y);
  painter_.drawLine(at_, to);
  at_ = to;
}

void QPainterCanvas::Ellipse(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  // The box's corners in any order; QPainter's rectangle excludes the far
  // edge as the platform ellipse of the box does.
  painter_.drawEllipse(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                             QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1)));
}

void QPainterCanvas::Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  painter_.drawRect(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                          QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1)));
}

void QPainterCanvas::TextOut(std::int32_t x, std::int32_t y, const std::string& text) {
  painter_.drawText(QRect(x, y, 4000, 200), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                    QString::fromStdString(text));
}

void QPainterCanvas::LabelOut(std::int32_t x, std::int32_t y, const std::string& text) {
  const QString label = QString::fromStdString(text);
  const QRect box = painter_.fontMetrics().boundingRect(
      QRect(x, y, 4000, 200), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, label);
  painter_.fillRect(box.adjusted(-2, 0, 2, 0), background_);
  TextOut(x, y, text);
}

std::int32_t QPainterCanvas::TextWidth(const std::string& text) const {
  return painter_.fontMetrics().horizontalAdvance(QString::fromStdString(text));
}

void QPainterCanvas::SetPenColor(Rgb colour) {
  pen_.setColor(ToQColor(colour));
  painter_.setPen(pen_);
}

void QPainterCanvas::SetPenWidth(std::int32_t width) {
  pen_.setWidth(width);
  painter_.setPen(pen_);
}

void QPainterCanvas::SetPenMode(PenMode mode) {
  painter_.setCompositionMode(mode == PenMode::NotXor ? QPainter::RasterOp_NotSourceXorDestination
                                                      : QPainter::CompositionMode_SourceOver);
}

void QPainterCanvas::SetBrushColor(Rgb colour) { painter_.setBrush(ToQColor(colour)); }

void QPainterCanvas::SetBrushHollow() { painter_.setBrush(Qt::NoBrush); }

}  // namespace oru
