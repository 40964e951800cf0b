// Text drawn straight into a raster surface, for platforms whose window layer has no text path
// of its own.
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/graphics_types.h"

class RasterBitmap;

// One per editor, used on its window thread only.
class TextRenderer {
 public:
  TextRenderer() = default;
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;
  virtual ~TextRenderer() = default;

  // Finds the face for the style's font name, bold and italic flags, at a size whose line
  // (ascent plus descent) is the style's size in pixels. False when no face could be loaded.
  virtual bool SelectFont(const ITextStyle& style) = 0;
  // Draws text in colour (0xAARRGGBB, alpha ignored) with its first line at the top of bounds,
  // each line aligned left, centred or right (ITextStyle::Align) within bounds. Lines break at
  // '\n'. Glyph coverage is blended over the surface; only the surface clips. Returns the height
  // of the laid-out text, 0 when there is no font or no text.
  virtual int RenderText(RasterBitmap* surface, const char* text, const IBounds& bounds,
                         uint32_t colour, int alignment) = 0;
  // The pixels RenderText would touch for the same text, bounds and alignment (before the
  // surface clips); empty without a font or ink.
  virtual IBounds InkBounds(const char* text, const IBounds& bounds, int alignment) = 0;
  // Advance width of one line of text in pixels, 0 without a font.
  virtual int MeasureText(const char* text) = 0;
  // Ascent plus descent in pixels, 0 without a font.
  virtual int LineHeight() const = 0;
};

// The platform's renderer (FreeType with fontconfig); null where there is none.
std::unique_ptr<TextRenderer> CreateTextRenderer();
