#include <string>

#include "plot/canvas.h"

namespace oru {
namespace {

std::string Join(const char* op, std::initializer_list<std::int64_t> values) {
  std::string s = op;
  for (const std::int64_t v : values) s += ' ' + std::to_string(v);
  return s;
}

}  // namespace

void RecordingCanvas::MoveTo(std::int32_t x, std::int32_t y) { calls.push_back(Join("move", {x, y})); }
void RecordingCanvas::LineTo(std::int32_t x, std::int32_t y) { calls.push_back(Join("line", {x, y})); }
void RecordingCanvas::Ellipse(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  calls.push_back(Join("ellipse", {x1, y1, x2, y2}));
}
void RecordingCanvas::Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  calls.push_back(Join("rect", {x1, y1, x2, y2}));
}
void RecordingCanvas::TextOut(std::int32_t x, std::int32_t y, const std::string& text) {
  calls.push_back(Join("text", {x, y}) + ' ' + text);
}
void RecordingCanvas::LabelOut(std::int32_t x, std::int32_t y, const std::string& text) {
  calls.push_back(Join("label", {x, y}) + ' ' + text);
}
std::int32_t RecordingCanvas::TextWidth(const std::string& text) const {
  return 7 * static_cast<std::int32_t>(text.size());
}
void RecordingCanvas::SetPenColor(Rgb colour) { calls.push_back(Join("pen", {colour})); }
void RecordingCanvas::SetPenWidth(std::int32_t width) { calls.push_back(Join("width", {width})); }
void RecordingCanvas::SetPenMode(PenMode mode) {
  calls.push_back(mode == PenMode::NotXor ? "mode notxor" : "mode copy");
}
void RecordingCanvas::SetBrushColor(Rgb colour) { calls.push_back(Join("brush", {colour})); }
void RecordingCanvas::SetBrushHollow() { calls.push_back("hollow"); }

std::vector<std::string> RecordingCanvas::Only(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& c : calls) {
    if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
  }
  return out;
}

}  // namespace oru
