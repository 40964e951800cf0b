// A tiny built-in pen font for painting titles into the skin, so no font file is needed.
#pragma once

#include <string_view>

// Glyphs are 5 × 7 cells drawn as round pen strokes between neighbouring cells. Only the letters
// that the skin paints are defined; others leave a gap.
struct TextShape {
  double x = 0.0;  // left of the first cell
  double y = 0.0;  // top of the cell rows
  double cell = 3.0;
  double pen = 1.2;  // half the stroke width
};

// Width of the text in pixels.
double TextWidth(std::string_view text, double cell);
// Signed distance from (px, py) to the painted strokes of the text.
double TextDistance(std::string_view text, const TextShape& shape, double px, double py);
