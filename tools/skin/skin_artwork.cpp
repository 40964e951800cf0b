// The editor's skin artwork: background, wind dial, lamps, fader parts and small buttons.
#include "tools/skin/skin_artwork.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/skin/skin_canvas.h"
#include "tools/skin/tiny_font.h"

namespace {

constexpr double kPi = std::numbers::pi;

double Radians(double degrees) {
  return degrees * kPi / 180.0;
}

// A vertical gradient between two colours over [y0, y1].
SkinCanvas::Shader Vertical(const Paint& top, const Paint& bottom, double y0, double y1) {
  return [=](double, double y) {
    return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0, 1.0));
  };
}

SkinCanvas::Distance Everywhere() {
  return [](double, double) { return -1.0; };
}

// A sphere lit from the upper left, with a soft specular highlight.
SkinCanvas::Shader Ball(double cx, double cy, double radius, const Paint& base) {
  return [=](double x, double y) {
    const double nx = (x - cx) / radius;
    const double ny = (y - cy) / radius;
    const double nz = std::sqrt(std::max(0.0, 1.0 - nx * nx - ny * ny));
    const double lx = -0.45, ly = -0.6, lz = 0.66;
    const double lambert = std::max(0.0, nx * lx + ny * ly + nz * lz);
    const double reflect = std::max(0.0, 2.0 * lambert * nz - lz);
    const double specular = std::pow(reflect, 24.0) * 0.8;
    const double light = 0.18 + 0.82 * lambert;
    Paint p{base.r * light + specular, base.g * light + specular, base.b * light + specular, 1.0};
    p.r = std::min(p.r, 1.0);
    p.g = std::min(p.g, 1.0);
    p.b = std::min(p.b, 1.0);
    return p;
  };
}

// A tiny deterministic generator for the heap's jitter.
class Scatter {
 public:
  double Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) / 9007199254740992.0;
  }

 private:
  uint64_t state_ = 0x7469746e6e61ULL;
};

void PaintTitle(SkinCanvas& canvas, std::string_view text, double x, double y) {
  const TextShape shadow{x + 1.5, y + 1.5, 3.0, 1.25};
  const TextShape face{x, y, 3.0, 1.25};
  const int x0 = static_cast<int>(x) - 4;
  const int x1 = static_cast<int>(x + TextWidth(text, 3.0)) + 6;
  const int y0 = static_cast<int>(y) - 4;
  const int y1 = static_cast<int>(y) + 27;
  canvas.Fill(
      x0, y0, x1, y1, [&](double px, double py) { return TextDistance(text, shadow, px, py); },
      Rgb(0, 0, 0, 0.7));
  canvas.Fill(
      x0, y0, x1, y1, [&](double px, double py) { return TextDistance(text, face, px, py); },
      Vertical(Rgb(236, 242, 255), Rgb(150, 170, 205), y, y + 21));
  // A thin rule under the title that fades out to the right.
  const double ruleEnd = x + TextWidth(text, 3.0) + 40;
  canvas.Fill(static_cast<int>(x), static_cast<int>(y) + 26, static_cast<int>(ruleEnd),
              static_cast<int>(y) + 27, Everywhere(), [=](double px, double) {
                return Rgb(120, 140, 180, 0.55 * (1.0 - (px - x) / (ruleEnd - x)));
              });
}

void PaintCloud(SkinCanvas& canvas) {
  struct Puff {
    double x, y, r;
  };
  constexpr Puff kPuffs[] = {{268, 62, 14}, {290, 50, 22}, {318, 40, 27}, {347, 47, 22},
                             {370, 58, 15}, {330, 62, 16}, {300, 64, 14}};
  constexpr double kBase = 76.0;
  const auto cloud = [&](double x, double y) {
    double d = 1e9;
    for (const Puff& puff : kPuffs) d = std::min(d, CircleDistance(x, y, puff.x, puff.y, puff.r));
    return std::max(d, y - kBase);  // flat underside
  };
  // A soft glow behind, then the cloud lit from above.
  canvas.Fill(
      240, 0, 400, 100, [&](double x, double y) { return cloud(x, y) - 5.0; },
      Rgb(90, 110, 150, 0.18));
  canvas.Fill(240, 0, 400, 100, cloud, Vertical(Rgb(246, 248, 252), Rgb(128, 138, 160), 14, kBase));
  // Wind streaks blowing out of the cloud.
  for (int i = 0; i < 3; ++i) {
    const double y = 84.0 + i * 7.0;
    const double x0 = 262.0 + i * 14.0;
    const double x1 = 372.0 - i * 10.0;
    canvas.Fill(
        static_cast<int>(x0) - 2, static_cast<int>(y) - 6, static_cast<int>(x1) + 2,
        static_cast<int>(y) + 6,
        [=](double x, double py) {
          const double wave = y + 2.0 * std::sin((x - x0) / 14.0);
          return std::abs(py - wave) - 0.7;
        },
        [=](double x, double) {
          const double t = (x - x0) / (x1 - x0);
          return Rgb(170, 195, 235, 0.55 * std::sin(kPi * std::clamp(t, 0.0, 1.0)));
        });
  }
}

void PaintHeapOfBalls(SkinCanvas& canvas) {
  const Paint palette[] = {Rgb(196, 142, 76), Rgb(170, 176, 190), Rgb(120, 150, 200),
                           Rgb(184, 110, 70), Rgb(150, 160, 120), Rgb(210, 190, 120)};
  Scatter scatter;
  constexpr int kRows[] = {11, 9, 6, 3};
  constexpr double kCentre = 335.0;
  constexpr double kRadius = 13.0;
  int colour = 0;
  for (size_t row = 0; row < std::size(kRows); ++row) {
    const int count = kRows[row];
    const double y = 400.0 - kRadius + 3.0 - static_cast<double>(row) * kRadius * 1.5;
    for (int i = 0; i < count; ++i) {
      const double r = kRadius * (0.78 + 0.3 * scatter.Next());
      const double x =
          kCentre + (i - (count - 1) / 2.0) * kRadius * 2.05 + 5.0 * (scatter.Next() - 0.5);
      const double by = y + 4.0 * (scatter.Next() - 0.5);
      const Paint base = palette[colour++ % std::size(palette)];
      const int x0 = static_cast<int>(x - r) - 3;
      const int y0 = static_cast<int>(by - r) - 3;
      const int x1 = static_cast<int>(x + r) + 5;
      const int y1 = static_cast<int>(by + r) + 5;
      // Contact shadow first, then the ball.
      canvas.Fill(
          x0, y0, x1, y1,
          [=](double px, double py) { return CircleDistance(px, py, x + 1.5, by + 2.0, r) - 0.5; },
          Rgb(0, 0, 0, 0.55));
      canvas.Fill(
          x0, y0, x1, y1, [=](double px, double py) { return CircleDistance(px, py, x, by, r); },
          Ball(x, by, r, base));
    }
  }
}

void DrawBackground(SkinCanvas& canvas) {
  canvas.Fill(0, 0, 800, 400, Everywhere(), Vertical(Rgb(16, 20, 30), Rgb(3, 4, 7), 0, 400));
  PaintCloud(canvas);
  PaintHeapOfBalls(canvas);
  PaintTitle(canvas, "Wind Model", 14, 10);
  PaintTitle(canvas, "Chimes Model", 786 - TextWidth("Chimes Model", 3.0), 10);
}

// One frame of the wind dial: 99 × 100, needle at `position` 0 (far left) to 1 (far right).
void DrawDialFrame(SkinCanvas& canvas, double position) {
  constexpr double cx = 49.5, cy = 52.0;
  constexpr double kSweep = 120.0;  // degrees each side of straight up
  canvas.Fill(
      0, 0, 99, 100, [](double x, double y) { return CircleDistance(x, y, cx, cy, 47.0); },
      Rgb(150, 154, 166));
  canvas.Fill(
      0, 0, 99, 100, [](double x, double y) { return CircleDistance(x, y, cx, cy, 43.0); },
      Rgb(18, 22, 30));
  for (int tick = 0; tick <= 40; ++tick) {
    const double angle = Radians(-kSweep + 2.0 * kSweep * tick / 40.0);
    const bool major = tick % 4 == 0;
    const double outer = 39.0;
    const double inner = major ? 31.0 : 35.0;
    const Paint colour = tick >= 30 ? Rgb(230, 86, 60) : Rgb(196, 202, 214);
    const double sx = std::sin(angle), sy = -std::cos(angle);
    canvas.Fill(
        0, 0, 99, 100,
        [=](double x, double y) {
          return SegmentDistance(x, y, cx + sx * inner, cy + sy * inner, cx + sx * outer,
                                 cy + sy * outer, major ? 0.9 : 0.5);
        },
        colour);
  }
  const double angle = Radians(-kSweep + 2.0 * kSweep * position);
  const double sx = std::sin(angle), sy = -std::cos(angle);
  canvas.Fill(
      0, 0, 99, 100,
      [=](double x, double y) {
        return SegmentDistance(x, y, cx - sx * 8.0 + 1.0, cy - sy * 8.0 + 1.5, cx + sx * 36.0 + 1.0,
                               cy + sy * 36.0 + 1.5, 1.3);
      },
      Rgb(0, 0, 0, 0.5));
  canvas.Fill(
      0, 0, 99, 100,
      [=](double x, double y) {
        return SegmentDistance(x, y, cx - sx * 8.0, cy - sy * 8.0, cx + sx * 36.0, cy + sy * 36.0,
                               1.2);
      },
      Rgb(255, 104, 44));
  canvas.Fill(
      0, 0, 99, 100, [](double x, double y) { return CircleDistance(x, y, cx, cy, 5.0); },
      Ball(cx, cy, 5.0, Rgb(190, 194, 204)));
}

// One lamp frame, 14 × 14, glowing at `glow` 0 (dark) to 1 (full).
void DrawLampFrame(SkinCanvas& canvas, double glow) {
  constexpr double c = 7.0;
  if (glow > 0.0) {
    canvas.Fill(
        0, 0, 14, 14, [](double x, double y) { return CircleDistance(x, y, c, c, 7.0); },
        [=](double x, double y) {
          const double d = std::hypot(x - c, y - c) / 7.0;
          return Rgb(255, 170, 40, glow * 0.75 * (1.0 - d) * (1.0 - d));
        });
  }
  canvas.Fill(
      0, 0, 14, 14, [](double x, double y) { return CircleDistance(x, y, c, c, 5.2); },
      Rgb(36, 36, 40));
  canvas.Fill(
      0, 0, 14, 14, [](double x, double y) { return CircleDistance(x, y, c, c, 4.3); },
      [=](double x, double y) {
        const double d = std::hypot(x - c, y - c) / 4.3;
        const Paint dark = Mix(Rgb(70, 34, 8), Rgb(40, 20, 6), d);
        const Paint lit = Mix(Rgb(255, 236, 160), Rgb(250, 150, 30), d);
        return Mix(dark, lit, glow);
      });
  canvas.Fill(
      0, 0, 14, 14, [](double x, double y) { return CircleDistance(x, y, 5.6, 5.4, 1.2); },
      Rgb(255, 255, 255, 0.2 + 0.5 * glow));
}

void DrawHorizontalTrack(SkinCanvas& canvas) {
  canvas.Fill(
      0, 0, 150, 22, [](double x, double y) { return RoundedBoxDistance(x, y, 1, 3, 149, 19, 8); },
      Vertical(Rgb(60, 64, 74), Rgb(120, 126, 140), 3, 19));
  canvas.Fill(
      0, 0, 150, 22, [](double x, double y) { return RoundedBoxDistance(x, y, 2, 4, 148, 18, 7); },
      Vertical(Rgb(6, 8, 12), Rgb(34, 38, 48), 4, 18));
  canvas.Fill(
      0, 0, 150, 22, [](double x, double y) { return RoundedBoxDistance(x, y, 9, 10, 141, 12, 1); },
      Rgb(0, 0, 0));
}

void DrawVerticalTrack(SkinCanvas& canvas) {
  canvas.Fill(
      0, 0, 22, 150, [](double x, double y) { return RoundedBoxDistance(x, y, 3, 1, 19, 149, 8); },
      Rgb(90, 96, 108));
  canvas.Fill(
      0, 0, 22, 150, [](double x, double y) { return RoundedBoxDistance(x, y, 4, 2, 18, 148, 7); },
      Rgb(14, 16, 22));
  canvas.Fill(
      0, 0, 22, 150, [](double x, double y) { return RoundedBoxDistance(x, y, 10, 9, 12, 141, 1); },
      Rgb(0, 0, 0));
}

void DrawHandle(SkinCanvas& canvas) {
  canvas.Fill(
      0, 0, 36, 21,
      [](double x, double y) { return RoundedBoxDistance(x, y, 0.5, 0.5, 35.5, 20.5, 4.5); },
      Rgb(40, 42, 48));
  canvas.Fill(
      0, 0, 36, 21,
      [](double x, double y) { return RoundedBoxDistance(x, y, 1.5, 1.5, 34.5, 19.5, 3.5); },
      Vertical(Rgb(236, 238, 244), Rgb(118, 122, 134), 1.5, 19.5));
  for (int i = 0; i < 3; ++i) {
    const double x = 14.0 + 4.0 * i;
    canvas.Fill(
        0, 0, 36, 21,
        [=](double px, double py) { return SegmentDistance(px, py, x + 1, 5, x + 1, 16, 0.5); },
        Rgb(255, 255, 255, 0.7));
    canvas.Fill(
        0, 0, 36, 21,
        [=](double px, double py) { return SegmentDistance(px, py, x, 5, x, 16, 0.5); },
        Rgb(70, 74, 84));
  }
}

enum class ButtonMark { kNone, kCross, kPlus, kMinus };

// A 10 × 10 square button at (0, top).
void DrawButton(SkinCanvas& canvas, int top, ButtonMark mark, bool pressed) {
  const double t = top;
  canvas.Fill(
      0, top, 10, top + 10,
      [=](double x, double y) { return RoundedBoxDistance(x, y, 0, t, 10, t + 10, 1.5); },
      Rgb(44, 46, 52));
  const Paint light = pressed ? Rgb(104, 106, 114) : Rgb(196, 198, 206);
  const Paint dark = pressed ? Rgb(150, 152, 160) : Rgb(120, 122, 130);
  canvas.Fill(
      0, top, 10, top + 10,
      [=](double x, double y) { return RoundedBoxDistance(x, y, 1, t + 1, 9, t + 9, 1); },
      Vertical(light, dark, t + 1, t + 9));
  const double shift = pressed ? 0.5 : 0.0;
  const double c = 5.0 + shift;
  const double m = t + 5.0 + shift;
  const Paint ink = Rgb(28, 30, 36);
  switch (mark) {
    case ButtonMark::kNone:
      break;
    case ButtonMark::kCross:
      canvas.Fill(
          0, top, 10, top + 10,
          [=](double x, double y) {
            return std::min(SegmentDistance(x, y, 2.5, t + 2.5, 7.5, t + 7.5, 0.85),
                            SegmentDistance(x, y, 7.5, t + 2.5, 2.5, t + 7.5, 0.85));
          },
          Rgb(232, 36, 36));
      break;
    case ButtonMark::kPlus:
      canvas.Fill(
          0, top, 10, top + 10,
          [=](double x, double y) {
            return std::min(SegmentDistance(x, y, c - 2.5, m, c + 2.5, m, 0.7),
                            SegmentDistance(x, y, c, m - 2.5, c, m + 2.5, 0.7));
          },
          ink);
      break;
    case ButtonMark::kMinus:
      canvas.Fill(
          0, top, 10, top + 10,
          [=](double x, double y) { return SegmentDistance(x, y, c - 2.5, m, c + 2.5, m, 0.7); },
          ink);
      break;
  }
}

void DrawLevelStrip(SkinCanvas& canvas) {
  canvas.Fill(
      0, 0, 35, 500, [](double x, double y) { return RoundedBoxDistance(x, y, 1, 1, 34, 499, 4); },
      Rgb(20, 22, 28));
  canvas.Fill(
      0, 0, 35, 500, [](double x, double y) { return RoundedBoxDistance(x, y, 11, 8, 24, 492, 2); },
      Vertical(Rgb(236, 70, 50), Rgb(70, 200, 90), 8, 492));
}

void DrawKnob(SkinCanvas& canvas) {
  canvas.Fill(
      0, 0, 40, 40, [](double x, double y) { return CircleDistance(x, y, 20, 20, 18); },
      Ball(20, 20, 18, Rgb(150, 156, 170)));
  canvas.Fill(
      0, 0, 40, 40, [](double x, double y) { return SegmentDistance(x, y, 20, 6, 20, 14, 1.2); },
      Rgb(30, 32, 38));
}

void DrawToggle(SkinCanvas& canvas) {
  canvas.Fill(
      0, 0, 17, 35, [](double x, double y) { return RoundedBoxDistance(x, y, 1, 1, 16, 34, 7); },
      Rgb(30, 32, 40));
  canvas.Fill(
      0, 0, 17, 35, [](double x, double y) { return CircleDistance(x, y, 8.5, 9.5, 6); },
      Ball(8.5, 9.5, 6, Rgb(190, 194, 204)));
}

void DrawKnobStrip(SkinCanvas& canvas) {
  SkinCanvas frame(32, 32);
  frame.Fill(
      0, 0, 32, 32, [](double x, double y) { return RoundedBoxDistance(x, y, 1, 1, 31, 31, 5); },
      Rgb(60, 64, 74));
  frame.Fill(
      0, 0, 32, 32, [](double x, double y) { return RoundedBoxDistance(x, y, 2, 2, 30, 30, 4); },
      Rgb(26, 28, 34));
  for (int y = 0; y < canvas.Height(); y += 32) canvas.Place(frame, 0, y);
}

}  // namespace

std::vector<SkinImage> SkinImageTable() {
  return {
      {100, "img/level_strip_vert.png", 35, 500, 1, {}},
      {101, "img/knob_40.png", 40, 40, 1, {}},
      {102, "img/toggle_17.png", 17, 35, 1, {}},
      {103, "img/mcp_volthumb_horiz.png", 36, 21, 1, {}},
      {104, "img/bg-2.png", 800, 400, 1, {}},
      {105, "img/VU-meter_sm.png", 99, 5100, 51, {}},
      {106, "img/sq_button_10.png", 10, 20, 2, {}},
      {107, "img/knob_strip_32.png", 32, 28000, 875, {}},
      {108, "img/mcp_volbg_vert.png", 22, 150, 1, {}},
      {109, "img/mcp_volbg_horiz.png", 150, 22, 1, {}},
      {110, "img/led_glow.png", 14, 1778, 127, {}},
      {111, "img/sq_button_plus_10.png", 10, 20, 2, {}},
      {112, "img/sq_button_minus_10.png", 10, 20, 2, {}},
  };
}

SkinImage DrawSkinImage(int id) {
  SkinImage image;
  for (SkinImage& entry : SkinImageTable()) {
    if (entry.id == id) image = std::move(entry);
  }
  if (image.id == 0) return image;

  SkinCanvas canvas(image.width, image.height);
  const int frameHeight = image.height / image.frames;
  switch (id) {
    case 100:
      DrawLevelStrip(canvas);
      break;
    case 101:
      DrawKnob(canvas);
      break;
    case 102:
      DrawToggle(canvas);
      break;
    case 103:
      DrawHandle(canvas);
      break;
    case 104:
      DrawBackground(canvas);
      break;
    case 105:
      for (int k = 0; k < image.frames; ++k) {
        SkinCanvas frame(image.width, frameHeight);
        DrawDialFrame(frame, k / static_cast<double>(image.frames - 1));
        canvas.Place(frame, 0, k * frameHeight);
      }
      break;
    case 106:
      DrawButton(canvas, 0, ButtonMark::kNone, false);
      DrawButton(canvas, 10, ButtonMark::kCross, false);
      break;
    case 107:
      DrawKnobStrip(canvas);
      break;
    case 108:
      DrawVerticalTrack(canvas);
      break;
    case 109:
      DrawHorizontalTrack(canvas);
      break;
    case 110:
      for (int k = 0; k < image.frames; ++k) {
        SkinCanvas frame(image.width, frameHeight);
        DrawLampFrame(frame, k / static_cast<double>(image.frames - 1));
        canvas.Place(frame, 0, k * frameHeight);
      }
      break;
    case 111:
      DrawButton(canvas, 0, ButtonMark::kPlus, false);
      DrawButton(canvas, 10, ButtonMark::kPlus, true);
      break;
    case 112:
      DrawButton(canvas, 0, ButtonMark::kMinus, false);
      DrawButton(canvas, 10, ButtonMark::kMinus, true);
      break;
    default:
      break;
  }
  image.pixels = canvas.ToWords();
  return image;
}
