// Text for the editor on platforms without GDI: fontconfig finds the face, FreeType renders its
// glyphs, and their coverage is blended straight into the surface.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <vector>

#include "graphics/text_renderer.h"
#include "raster/raster_bitmap.h"

namespace {

// Cell height for a style size of 0, as the system's default font would have.
constexpr int kDefaultCellHeight = 16;

// The texts are in the Windows ANSI code page; its bytes 0x80–0x9F differ from Latin-1.
constexpr std::array<uint16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t CodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kWindows1252High[byte - 0x80];
  return byte;
}

struct Glyph {
  bool loaded = false;
  int32_t advance = 0;  // whole pixels, like the system's text layout
  int32_t left = 0;     // from the pen position to the first column
  int32_t top = 0;      // from the baseline up to the first row
  int32_t width = 0;
  int32_t rows = 0;
  std::vector<uint8_t> coverage;  // rows × width, 0–255
};

class FreeTypeTextRenderer final : public TextRenderer {
 public:
  FreeTypeTextRenderer() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
  }
  ~FreeTypeTextRenderer() override {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }

  bool SelectFont(const ITextStyle& style) override;
  int RenderText(RasterBitmap* surface, const char* text, const IBounds& bounds, uint32_t colour,
                 int alignment) override;
  IBounds InkBounds(const char* text, const IBounds& bounds, int alignment) override;
  int MeasureText(const char* text) override;
  int LineHeight() const override { return face_ ? lineHeight_ : 0; }

 private:
  const Glyph& GlyphFor(unsigned char byte);
  int32_t LineWidth(const char* begin, const char* end);
  // Lays text out as RenderText does: each glyph with its pen position and baseline.
  template <class Visit>
  int Layout(const char* text, const IBounds& bounds, int alignment, Visit visit);
  void DrawGlyph(RasterBitmap& surface, const Glyph& glyph, int32_t penX, int32_t baseline,
                 uint32_t colour);

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  int32_t ascent_ = 0;
  int32_t lineHeight_ = 0;
  std::array<Glyph, 256> glyphs_{};
};

bool FindFontFile(const ITextStyle& style, std::vector<char>& file, int& index) {
  // Editors of several instances choose their fonts on their own threads; fontconfig's lazy
  // set-up is not to be raced.
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  char family[sizeof(style.fontFace) + 1] = {};
  std::copy_n(style.fontFace, sizeof(style.fontFace), family);  // the face may lack its NUL
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT,
                      style.style == ITextStyle::kBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT,
                      style.style == ITextStyle::kItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* path = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
  if (found) {
    const auto* text = reinterpret_cast<const char*>(path);
    file.assign(text, text + std::char_traits<char>::length(text) + 1);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  }
  FcPatternDestroy(match);
  return found;
}

bool FreeTypeTextRenderer::SelectFont(const ITextStyle& style) {
  if (!library_) return false;
  if (face_) {
    FT_Done_Face(face_);
    face_ = nullptr;
  }
  glyphs_ = {};
  std::vector<char> file;
  int index = 0;
  if (!FindFontFile(style, file, index)) return false;
  if (FT_New_Face(library_, file.data(), index, &face_) != 0) {
    face_ = nullptr;
    return false;
  }
  // A positive size is the whole cell (ascent plus descent), a negative one the em, as the
  // system's font creation reads its height.
  double ascender = face_->ascender, descender = -face_->descender;
  if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
      os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    ascender = os2->usWinAscent;
    descender = os2->usWinDescent;
  }
  const double units = face_->units_per_EM > 0 ? face_->units_per_EM : 2048.0;
  if (ascender + descender <= 0) ascender = units, descender = 0;
  const int size = style.size == 0 ? kDefaultCellHeight : std::clamp(style.size, -1000, 1000);
  const double em = size > 0 ? size * units / (ascender + descender) : -size;
  if (FT_Set_Char_Size(face_, 0, static_cast<FT_F26Dot6>(std::lround(em * 64.0)), 72, 72) != 0) {
    FT_Done_Face(face_);
    face_ = nullptr;
    return false;
  }
  ascent_ = static_cast<int32_t>(std::lround(ascender * em / units));
  lineHeight_ = static_cast<int32_t>(std::lround((ascender + descender) * em / units));
  return true;
}

const Glyph& FreeTypeTextRenderer::GlyphFor(unsigned char byte) {
  Glyph& glyph = glyphs_[byte];
  if (glyph.loaded) return glyph;
  glyph.loaded = true;
  if (FT_Load_Char(face_, CodePoint(byte), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
    return glyph;
  const FT_GlyphSlot slot = face_->glyph;
  glyph.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || !bitmap.buffer) return glyph;
  glyph.width = static_cast<int32_t>(bitmap.width);
  glyph.rows = static_cast<int32_t>(bitmap.rows);
  glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.rows);
  for (int32_t row = 0; row < glyph.rows; ++row) {
    const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    std::copy_n(source, glyph.width, glyph.coverage.begin() + row * glyph.width);
  }
  return glyph;
}

int32_t FreeTypeTextRenderer::LineWidth(const char* begin, const char* end) {
  int32_t width = 0;
  for (const char* c = begin; c != end; ++c)
    width += GlyphFor(static_cast<unsigned char>(*c)).advance;
  return width;
}

void FreeTypeTextRenderer::DrawGlyph(RasterBitmap& surface, const Glyph& glyph, int32_t penX,
                                     int32_t baseline, uint32_t colour) {
  uint32_t* bits = surface.GetBits();
  const int32_t width = surface.GetWidth(), height = surface.GetHeight();
  const int32_t span = surface.GetRowSpan();
  const int32_t x0 = penX + glyph.left, y0 = baseline - glyph.top;
  const int32_t red = colour >> 16 & 0xFF, green = colour >> 8 & 0xFF, blue = colour & 0xFF;
  for (int32_t row = 0; row < glyph.rows; ++row) {
    const int32_t y = y0 + row;
    if (y < 0 || y >= height) continue;
    const int32_t surfaceRow = surface.IsBottomUp() ? height - 1 - y : y;
    uint32_t* line = bits + static_cast<int64_t>(surfaceRow) * span;
    const uint8_t* coverage = glyph.coverage.data() + row * glyph.width;
    for (int32_t col = 0; col < glyph.width; ++col) {
      const int32_t x = x0 + col;
      const int32_t a = coverage[col];
      if (a == 0 || x < 0 || x >= width) continue;
      const uint32_t d = line[x];
      const auto mix = [a](int32_t dest, int32_t src) {
        return static_cast<uint32_t>(dest + ((src - dest) * a + 127) / 255);
      };
      line[x] = (d & 0xFF000000u) | mix(d >> 16 & 0xFF, red) << 16 |
                mix(d >> 8 & 0xFF, green) << 8 | mix(d & 0xFF, blue);
    }
  }
}

template <class Visit>
int FreeTypeTextRenderer::Layout(const char* text, const IBounds& bounds, int alignment,
                                 Visit visit) {
  if (!face_ || !text || !*text) return 0;
  int lines = 0;
  const char* line = text;
  for (;;) {
    const char* end = line;
    while (*end && *end != '\n' && *end != '\r') ++end;
    const int32_t lineWidth = LineWidth(line, end);
    int32_t penX = bounds.left;
    if (alignment == ITextStyle::kCentre)
      penX = bounds.left + (bounds.Width() - lineWidth) / 2;
    else if (alignment == ITextStyle::kRight)
      penX = bounds.right - lineWidth;
    const int32_t baseline = bounds.top + ascent_ + lines * lineHeight_;
    for (const char* c = line; c != end; ++c) {
      const Glyph& glyph = GlyphFor(static_cast<unsigned char>(*c));
      visit(glyph, penX, baseline);
      penX += glyph.advance;
    }
    ++lines;
    if (!*end) break;
    line = end + ((end[0] == '\r' && end[1] == '\n') ? 2 : 1);
    if (!*line) break;  // a final break opens no new line
  }
  return lines * lineHeight_;
}

int FreeTypeTextRenderer::RenderText(RasterBitmap* surface, const char* text, const IBounds& bounds,
                                     uint32_t colour, int alignment) {
  if (!surface || !surface->GetBits()) {
    return Layout(text, bounds, alignment, [](const Glyph&, int32_t, int32_t) {});
  }
  return Layout(text, bounds, alignment, [&](const Glyph& glyph, int32_t penX, int32_t baseline) {
    DrawGlyph(*surface, glyph, penX, baseline, colour);
  });
}

IBounds FreeTypeTextRenderer::InkBounds(const char* text, const IBounds& bounds, int alignment) {
  IBounds ink{};
  bool any = false;
  Layout(text, bounds, alignment, [&](const Glyph& glyph, int32_t penX, int32_t baseline) {
    if (glyph.width <= 0 || glyph.rows <= 0) return;
    const IBounds box{penX + glyph.left, baseline - glyph.top, penX + glyph.left + glyph.width,
                      baseline - glyph.top + glyph.rows};
    ink = any ? IBounds{std::min(ink.left, box.left), std::min(ink.top, box.top),
                        std::max(ink.right, box.right), std::max(ink.bottom, box.bottom)}
              : box;
    any = true;
  });
  return ink;
}

int FreeTypeTextRenderer::MeasureText(const char* text) {
  if (!face_ || !text) return 0;
  const char* end = text;
  while (*end && *end != '\n' && *end != '\r') ++end;
  return LineWidth(text, end);
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#define TINTINNA_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TINTINNA_LEAK_CHECKED 1
#endif
#endif
#ifdef TINTINNA_LEAK_CHECKED
// fontconfig's configuration parser loses a few bytes once per process; that is its own affair
// and must not fail every leak-checked program that draws text.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif

std::unique_ptr<TextRenderer> CreateTextRenderer() {
  return std::make_unique<FreeTypeTextRenderer>();
}
