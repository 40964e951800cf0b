// Tests of the piano roll: its rows, where bars land and how they are shaded, repeatability.
#include "tools/host/piano_roll.h"

#include <cairo.h>
#include <gtest/gtest.h>

namespace host {
namespace {

constexpr int32_t kRate = 1000;

HostMidiEvent Midi(int64_t time, uint8_t status, uint8_t data1, uint8_t data2) {
  HostMidiEvent event;
  event.sampleTime = time;
  event.status = status;
  event.data1 = data1;
  event.data2 = data2;
  return event;
}

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB
  uint32_t At(double x, double y) const {
    return pixels[static_cast<size_t>(static_cast<int>(y) * width + static_cast<int>(x))] &
           0xFFFFFF;
  }
};

Picture Decode(const std::vector<unsigned char>& png) {
  struct Reader {
    const std::vector<unsigned char>* bytes;
    size_t at = 0;
  } reader{&png};
  auto read = [](void* closure, unsigned char* data, unsigned int length) {
    auto* r = static_cast<Reader*>(closure);
    if (r->at + length > r->bytes->size()) return CAIRO_STATUS_READ_ERROR;
    std::copy_n(r->bytes->begin() + static_cast<std::ptrdiff_t>(r->at), length, data);
    r->at += length;
    return CAIRO_STATUS_SUCCESS;
  };
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(read, &reader);
  Picture picture;
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    picture.width = cairo_image_surface_get_width(surface);
    picture.height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < picture.height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      picture.pixels.insert(picture.pixels.end(), row, row + picture.width);
    }
  }
  cairo_surface_destroy(surface);
  return picture;
}

int Blue(uint32_t pixel) {
  return pixel & 0xFF;
}
int Red(uint32_t pixel) {
  return (pixel >> 16) & 0xFF;
}

// Ten seconds: a loud C5 from 1 to 2 s, a soft C6 from 3 to 4 s, a C5 from 5 s never ended, and
// a wind stream.
std::vector<HostMidiEvent> TenSeconds() {
  return {Midi(0, 0xB0, 1, 0),      Midi(1000, 0x90, 60, 127), Midi(2000, 0x80, 60, 0),
          Midi(3000, 0x90, 72, 10), Midi(4000, 0x90, 72, 0),   Midi(5000, 0x90, 60, 127),
          Midi(5000, 0xB0, 1, 127)};
}

TEST(PianoRoll, DrawsBarsFromNoteOnToNoteOffShadedByVelocity) {
  const PianoRoll roll(TenSeconds(), kRate, 10 * kRate);
  EXPECT_EQ(roll.Rows(), (std::vector<int>{72, 60}));  // one row per note, the highest on top
  EXPECT_DOUBLE_EQ(roll.X(0), 84.0);
  EXPECT_DOUBLE_EQ(roll.X(10 * kRate), 1600.0 - 24.0);
  const Picture picture = Decode(roll.DrawPng("title", "settings"));
  ASSERT_EQ(picture.width, 1600);
  const double c6 = roll.RowTop(0) + 18;
  const double c5 = roll.RowTop(1) + 18;
  const uint32_t loud = picture.At(roll.X(1500), c5);
  const uint32_t soft = picture.At(roll.X(3500), c6);
  EXPECT_LT(Red(loud), 40);  // dark blue
  EXPECT_GT(Blue(loud), 100);
  EXPECT_GT(Red(soft), Red(loud) + 100);  // lighter
  EXPECT_EQ(picture.At(roll.X(7000), c5), loud);
  EXPECT_EQ(picture.At(roll.X(10 * kRate) - 2, c5), loud) << "a note never ended lasts to the end";
  // Just outside the bars, and in the other row: no bar.
  EXPECT_GT(Red(picture.At(roll.X(1000) - 3, c5)), 200);
  EXPECT_GT(Red(picture.At(roll.X(2000) + 3, c5)), 200);
  EXPECT_GT(Red(picture.At(roll.X(1500), c6)), 200);
  EXPECT_GT(Red(picture.At(roll.X(3500), c5)), 200);
  // The wind: at 0 before 5 s, full after, drawn in its own colour right at the bottom or top.
  EXPECT_NE(picture.At(roll.X(7000), roll.WindTop() + 3), 0xFFFFFFu);
  EXPECT_EQ(picture.At(roll.X(2500), roll.WindTop() + 100), 0xFFFFFFu);
}

TEST(PianoRoll, ShowsEveryShortNoteOfATenMinuteRunAndGivesTheSameBytes) {
  const int64_t frames = 600 * kRate;
  std::vector<HostMidiEvent> events;
  for (int64_t t = 1000; t < frames; t += 7919) {
    events.push_back(Midi(t, 0x90, 48 + t % 5, 100));
    events.push_back(Midi(t + 100, 0x80, 48 + t % 5, 0));
  }
  const PianoRoll roll(events, kRate, frames);
  EXPECT_EQ(roll.Rows().size(), 5u);
  const std::vector<unsigned char> png = roll.DrawPng("ten minutes", "");
  const Picture picture = Decode(png);
  for (const auto& note : roll.Notes()) {
    const size_t row =
        std::find(roll.Rows().begin(), roll.Rows().end(), note.note) - roll.Rows().begin();
    EXPECT_LT(Red(picture.At(roll.X(note.start) + 0.5, roll.RowTop(row) + 18)), 120) << note.start;
  }
  EXPECT_EQ(roll.DrawPng("ten minutes", ""), png);
}

}  // namespace
}  // namespace host
