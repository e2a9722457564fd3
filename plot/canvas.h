#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace oru {

// A colour as a 24-bit RGB value with red in the low byte: 0 is black, 255
// red, 0x008000 green (RGB 0, 128, 0).
using Rgb = std::uint32_t;

inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kRed = 0x0000FF;
inline constexpr Rgb kGreen = 0x008000;
inline constexpr Rgb kSilver = 0xC0C0C0;
inline constexpr Rgb kNavy = 0x800000;  // RGB 0, 0, 128

inline constexpr int RedOf(Rgb c) { return static_cast<int>(c & 0xFF); }
inline constexpr int GreenOf(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int BlueOf(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }

enum class PenMode { Copy, NotXor };

// The drawing surface of the plot: a pen with a position, a colour, a width
// and a mode, and a brush that fills ellipses and rectangles (or none).
// Coordinates are pixels of the drawing area, y downwards.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void MoveTo(std::int32_t x, std::int32_t y) = 0;
  // A line from the pen position to (x, y), which becomes the position.
  virtual void LineTo(std::int32_t x, std::int32_t y) = 0;
  // The ellipse in the box with corners (x1, y1) and (x2, y2): outlined with
  // the pen, filled with the brush.
  virtual void Ellipse(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) = 0;
  virtual void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) = 0;
  // Text with its top-left corner at (x, y), in the window's font.
  virtual void TextOut(std::int32_t x, std::int32_t y, const std::string& text) = 0;
  // Text as TextOut, over a box in the background colour that just holds
  // it, so that nothing drawn before shows through.
  virtual void LabelOut(std::int32_t x, std::int32_t y, const std::string& text) = 0;
  // The width of `text` in pixels as TextOut draws it.
  virtual std::int32_t TextWidth(const std::string& text) const = 0;
  virtual void SetPenColor(Rgb colour) = 0;
  virtual void SetPenWidth(std::int32_t width) = 0;
  virtual void SetPenMode(PenMode mode) = 0;
  virtual void SetBrushColor(Rgb colour) = 0;
  virtual void SetBrushHollow() = 0;
};

// A canvas that writes down every call as one short text ("move 3 4",
// "line 5 6", "ellipse 1 8 5 4", "rect ...", "text 8 9 A1", "label 8 9 A1", "pen 255",
// "width 2", "mode notxor", "brush 12632256", "hollow"); for tests and for
// counting what a drawing costs. Its text is 7 pixels a character, about
// the plot font's digits.
class RecordingCanvas final : public Canvas {
 public:
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

  // The calls that start with `prefix` ("line", "ellipse", "text" ...).
  std::vector<std::string> Only(const std::string& prefix) const;

  std::vector<std::string> calls;
};

}  // namespace oru
