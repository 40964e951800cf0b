// A tiny built-in pen font for painting titles into the skin.
#include "tools/skin/tiny_font.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "tools/skin/skin_canvas.h"

namespace {

struct Glyph {
  char letter;
  std::array<uint8_t, 7> rows;  // five cells per row, the leftmost in bit 4
};

constexpr Glyph kGlyphs[] = {
    {'C', {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110}},
    {'M', {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001}},
    {'W', {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b11011, 0b10001}},
    {'d', {0b00001, 0b00001, 0b01111, 0b10001, 0b10001, 0b10001, 0b01111}},
    {'e', {0b00000, 0b00000, 0b01110, 0b10001, 0b11111, 0b10000, 0b01110}},
    {'h', {0b10000, 0b10000, 0b10110, 0b11001, 0b10001, 0b10001, 0b10001}},
    {'i', {0b00100, 0b00000, 0b01100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'l', {0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'m', {0b00000, 0b00000, 0b11010, 0b10101, 0b10101, 0b10101, 0b10101}},
    {'n', {0b00000, 0b00000, 0b10110, 0b11001, 0b10001, 0b10001, 0b10001}},
    {'o', {0b00000, 0b00000, 0b01110, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'s', {0b00000, 0b00000, 0b01111, 0b10000, 0b01110, 0b00001, 0b11110}},
};

constexpr double kAdvanceCells = 6.0;

const Glyph* FindGlyph(char letter) {
  for (const Glyph& glyph : kGlyphs) {
    if (glyph.letter == letter) return &glyph;
  }
  return nullptr;
}

bool Cell(const Glyph& glyph, int col, int row) {
  if (col < 0 || col > 4 || row < 0 || row > 6) return false;
  return (glyph.rows[static_cast<size_t>(row)] >> (4 - col) & 1) != 0;
}

// Distance to one glyph whose top-left cell centre is at (ox, oy).
double GlyphDistance(const Glyph& glyph, double ox, double oy, double cell, double pen, double px,
                     double py) {
  double best = std::numeric_limits<double>::max();
  for (int row = 0; row < 7; ++row) {
    for (int col = 0; col < 5; ++col) {
      if (!Cell(glyph, col, row)) continue;
      const double cx = ox + col * cell;
      const double cy = oy + row * cell;
      best = std::min(best, CircleDistance(px, py, cx, cy, pen));
      // Strokes to the right and below, and diagonals where no corner joins them already.
      const int steps[4][2] = {{1, 0}, {0, 1}, {1, 1}, {-1, 1}};
      for (const auto& step : steps) {
        const int nc = col + step[0];
        const int nr = row + step[1];
        if (!Cell(glyph, nc, nr)) continue;
        const bool diagonal = step[0] != 0 && step[1] != 0;
        if (diagonal && (Cell(glyph, nc, row) || Cell(glyph, col, nr))) continue;
        best = std::min(best, SegmentDistance(px, py, cx, cy, ox + nc * cell, oy + nr * cell, pen));
      }
    }
  }
  return best;
}

}  // namespace

double TextWidth(std::string_view text, double cell) {
  if (text.empty()) return 0.0;
  return (static_cast<double>(text.size()) * kAdvanceCells - 1.0) * cell;
}

double TextDistance(std::string_view text, const TextShape& shape, double px, double py) {
  double best = std::numeric_limits<double>::max();
  const double advance = kAdvanceCells * shape.cell;
  // Only the glyph under the point (and its neighbours) can be near it.
  const auto index = static_cast<long>((px - shape.x) / advance);
  for (long i = std::max(0L, index - 1); i <= index + 1 && i < static_cast<long>(text.size());
       ++i) {
    const Glyph* glyph = FindGlyph(text[static_cast<size_t>(i)]);
    if (glyph == nullptr) continue;
    const double ox = shape.x + i * advance + shape.cell / 2;
    const double oy = shape.y + shape.cell / 2;
    best = std::min(best, GlyphDistance(*glyph, ox, oy, shape.cell, shape.pen, px, py));
  }
  return best;
}
