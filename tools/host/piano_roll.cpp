// Drawing the piano roll.
#include "tools/host/piano_roll.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "tools/host/event_collector.h"

namespace host {

namespace {

constexpr const char* kFont = "Liberation Sans";

struct Colour {
  double r, g, b;
};
constexpr Colour kInk{0.13, 0.14, 0.17};
constexpr Colour kFaint{0.45, 0.47, 0.52};
constexpr Colour kGrid{0.86, 0.87, 0.90};
constexpr Colour kBand{0.955, 0.96, 0.97};
constexpr Colour kSoft{0.74, 0.83, 0.96};  // velocity 0
constexpr Colour kLoud{0.04, 0.19, 0.52};  // velocity 127
constexpr Colour kStreamColours[] = {{0.10, 0.55, 0.45}, {0.80, 0.42, 0.10}, {0.55, 0.25, 0.65}};

void SetColour(cairo_t* cr, Colour c, double alpha = 1.0) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

Colour VelocityColour(int velocity) {
  const double t = std::clamp(velocity, 0, 127) / 127.0;
  return {kSoft.r + (kLoud.r - kSoft.r) * t, kSoft.g + (kLoud.g - kSoft.g) * t,
          kSoft.b + (kLoud.b - kSoft.b) * t};
}

enum class Align { kLeft, kCentre, kRight };

// Text with its baseline at y.
void Text(cairo_t* cr, const std::string& text, double x, double y, double size, Align align,
          Colour colour, bool bold = false) {
  cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  if (align == Align::kCentre) x -= extents.x_advance / 2;
  if (align == Align::kRight) x -= extents.x_advance;
  SetColour(cr, colour);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

// A tick spacing that gives at most about a dozen labels over the run.
double TickStep(double seconds) {
  static const double kSteps[] = {0.01, 0.02, 0.05, 0.1,  0.2,   0.5,   1,     2,
                                  5,    10,   15,   30,   60,    120,   300,   600,
                                  900,  1800, 3600, 7200, 14400, 21600, 43200, 86400};
  for (const double step : kSteps) {
    if (seconds / step <= 12.0) return step;
  }
  return 172800;
}

std::string TickLabel(double seconds, double step) {
  char text[32];
  if (step < 0.1) {
    std::snprintf(text, sizeof(text), "%.2f", seconds);
  } else if (step < 1) {
    std::snprintf(text, sizeof(text), "%.1f", seconds);
  } else {
    std::snprintf(text, sizeof(text), "%.0f", seconds);
  }
  return text;
}

std::string StreamName(const ControllerStream& stream) {
  return "CC " + std::to_string(stream.controller) + ", ch " + std::to_string(stream.channel + 1);
}

// Fixed font rendering, so the picture does not depend on the desktop's font settings.
void FixFontOptions(cairo_t* cr) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#define TINTINNA_HOST_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TINTINNA_HOST_LEAK_CHECKED 1
#endif
#endif
#ifdef TINTINNA_HOST_LEAK_CHECKED
// cairo finds its fonts through fontconfig, whose configuration parser loses a few bytes once
// per process; that must not fail every leak-checked run that draws a picture.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif

PianoRoll::PianoRoll(const std::vector<HostMidiEvent>& events, int32_t sampleRate, int64_t frames)
    : sampleRate_(sampleRate), frames_(std::max<int64_t>(frames, 1)) {
  std::map<std::pair<int, int>, size_t> sounding;  // (channel, note) -> index in notes_
  std::map<std::pair<int, int>, size_t> streamIndex;
  auto close = [this, &sounding](std::pair<int, int> key, int64_t time) {
    const auto open = sounding.find(key);
    if (open == sounding.end()) return;
    notes_[open->second].end = std::max(notes_[open->second].start, time);
    sounding.erase(open);
  };
  for (const auto& event : events) {
    const int64_t time = std::clamp<int64_t>(event.sampleTime, 0, frames_);
    const std::pair<int, int> key{event.Channel(), event.data1 & 0x7F};
    if (event.IsNoteOn()) {
      close(key, time);
      sounding[key] = notes_.size();
      notes_.push_back({key.second, event.data2 & 0x7F, time, frames_});
    } else if (event.IsNoteOff()) {
      close(key, time);
    } else if (event.IsControlChange()) {
      auto [entry, added] = streamIndex.try_emplace(key, streams_.size());
      if (added) streams_.push_back({key.first, key.second, {}});
      streams_[entry->second].values.emplace_back(time, event.data2 & 0x7F);
    }
  }
  for (const auto& note : notes_) {
    if (std::find(rows_.begin(), rows_.end(), note.note) == rows_.end()) rows_.push_back(note.note);
  }
  std::sort(rows_.begin(), rows_.end(), std::greater<>());
  // Events reach the host in sending order, which within a block need not be time order.
  for (auto& stream : streams_) {
    std::stable_sort(stream.values.begin(), stream.values.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  }
}

int PianoRoll::RowHeight() const {
  const int rows = std::max<int>(static_cast<int>(rows_.size()), 1);
  return std::clamp(384 / rows, 12, 36);
}

double PianoRoll::X(int64_t sample) const {
  const double plotWidth = kWidth - kLeft - kRight;
  return kLeft + plotWidth * static_cast<double>(sample) / static_cast<double>(frames_);
}

std::vector<unsigned char> PianoRoll::DrawPng(const std::string& title,
                                              const std::string& subtitle) const {
  const int height = Height();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, height);
  cairo_t* cr = cairo_create(surface);
  FixFontOptions(cr);
  cairo_set_line_width(cr, 1.0);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);

  const double left = kLeft;
  const double right = kWidth - kRight;
  const int rowHeight = RowHeight();
  const double rollTop = kRollTop;
  const double rollBottom = RowTop(std::max<size_t>(rows_.size(), 1));
  const double windTop = WindTop();
  const double windBottom = windTop + kWindHeight;
  const double seconds = static_cast<double>(frames_) / sampleRate_;

  Text(cr, title, left, 28, 18, Align::kLeft, kInk, true);
  Text(cr, subtitle, left, 50, 13, Align::kLeft, kFaint);

  // Velocity legend, top right.
  const double legendLeft = right - 200;
  Text(cr, "velocity", legendLeft - 8, 48, 12, Align::kRight, kFaint);
  for (int v = 0; v < 128; v += 2) {
    SetColour(cr, VelocityColour(v));
    cairo_rectangle(cr, legendLeft + v * 200.0 / 128, 36, 200.0 / 64, 14);
    cairo_fill(cr);
  }
  Text(cr, "1", legendLeft, 32, 11, Align::kLeft, kFaint);
  Text(cr, "127", right, 32, 11, Align::kRight, kFaint);

  // Row bands and note names.
  for (size_t row = 0; row < rows_.size(); ++row) {
    const double top = RowTop(row);
    if (row % 2 == 1) {
      SetColour(cr, kBand);
      cairo_rectangle(cr, left, top, right - left, rowHeight);
      cairo_fill(cr);
    }
    Text(cr, NoteName(rows_[row]), left - 10, top + rowHeight / 2.0 + 5,
         std::min(14, rowHeight - 2), Align::kRight, kInk);
  }
  if (rows_.empty()) {
    Text(cr, "no notes", (left + right) / 2, rollTop + rowHeight / 2.0 + 5, 14, Align::kCentre,
         kFaint);
  }

  // Time grid through both panels, labels under the wind.
  const double step = TickStep(seconds);
  for (int i = 0;; ++i) {
    const double t = i * step;
    if (t > seconds * (1 + 1e-9)) break;
    const double x = std::round(X(static_cast<int64_t>(std::llround(t * sampleRate_)))) + 0.5;
    SetColour(cr, kGrid);
    cairo_move_to(cr, x, rollTop);
    cairo_line_to(cr, x, rollBottom);
    cairo_move_to(cr, x, windTop);
    cairo_line_to(cr, x, windBottom);
    cairo_stroke(cr);
    Text(cr, TickLabel(t, step), x, windBottom + 18, 12, Align::kCentre, kFaint);
  }
  Text(cr, "seconds", right, windBottom + 36, 12, Align::kRight, kFaint);

  // The notes: louder ones darker; on whole pixels and at least two wide, so that long runs
  // still show every strike crisply.
  const double pad = std::max(2, rowHeight / 8);
  for (const auto& note : notes_) {
    const auto row =
        static_cast<size_t>(std::find(rows_.begin(), rows_.end(), note.note) - rows_.begin());
    const double x0 = std::floor(X(note.start));
    const double x1 = std::max(std::round(X(note.end)), x0 + 2);
    SetColour(cr, VelocityColour(note.velocity));
    cairo_rectangle(cr, x0, RowTop(row) + pad, x1 - x0, rowHeight - 2 * pad);
    cairo_fill(cr);
  }

  // The controller streams as steps, each value held until the next.
  for (const double level : {0.0, 64.0, 127.0}) {
    const double y = std::round(windBottom - level / 127.0 * kWindHeight) + 0.5;
    SetColour(cr, kGrid);
    cairo_move_to(cr, left, y);
    cairo_line_to(cr, right, y);
    cairo_stroke(cr);
    Text(cr, std::to_string(static_cast<int>(level)), left - 10, y + 4, 11, Align::kRight, kFaint);
  }
  std::string legend = streams_.empty() ? "wind: no controller messages" : "wind:";
  for (size_t s = 0; s < streams_.size(); ++s) {
    const ControllerStream& stream = streams_[s];
    const Colour colour = kStreamColours[s % std::size(kStreamColours)];
    auto y = [&](int value) { return windBottom - value / 127.0 * kWindHeight; };
    cairo_move_to(cr, X(stream.values.front().first), y(stream.values.front().second));
    for (size_t i = 1; i < stream.values.size(); ++i) {
      const double x = X(stream.values[i].first);
      cairo_line_to(cr, x, y(stream.values[i - 1].second));
      cairo_line_to(cr, x, y(stream.values[i].second));
    }
    cairo_line_to(cr, right, y(stream.values.back().second));
    if (s == 0) {
      cairo_path_t* line = cairo_copy_path(cr);
      cairo_line_to(cr, right, windBottom);
      cairo_line_to(cr, X(stream.values.front().first), windBottom);
      cairo_close_path(cr);
      SetColour(cr, colour, 0.18);
      cairo_fill(cr);
      cairo_append_path(cr, line);
      cairo_path_destroy(line);
    }
    SetColour(cr, colour);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.0);
    legend += (s == 0 ? " " : ", ") + StreamName(stream);
  }
  Text(cr, legend, left, windTop - 8, 12, Align::kLeft, kFaint);

  // Frames last, over everything.
  SetColour(cr, kFaint);
  cairo_rectangle(cr, left + 0.5, rollTop + 0.5, right - left - 1, rollBottom - rollTop - 1);
  cairo_rectangle(cr, left + 0.5, windTop + 0.5, right - left - 1, kWindHeight - 1);
  cairo_stroke(cr);

  std::vector<unsigned char> png;
  cairo_destroy(cr);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_write_to_png_stream(surface, AppendBytes, &png) != CAIRO_STATUS_SUCCESS) {
    png.clear();
  }
  cairo_surface_destroy(surface);
  return png;
}

}  // namespace host
