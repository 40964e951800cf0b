// Tests that values pushed from the audio and automation threads reach the screen while the
// editor thread scans and draws, without data races (run it under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "controls/bitmap_control.h"
#include "controls/read_outs.h"
#include "controls/slider_control.h"
#include "controls/text_control.h"
#include "controls/value_text_control.h"
#include "graphics/graphics_core.h"
#include "tests/graphics/recording_graphics.h"
#include "tests/graphics/test_plugin.h"

namespace {

constexpr auto kRunTime = std::chrono::milliseconds(600);
constexpr int kLampCount = 8;

struct Editor {
  explicit Editor(TestPlugin& plugin) : graphics(&plugin) {
    meter = graphics.AttachControl(new IBitmapControl(&plugin, 90, 145, -1, meterImage));
    for (int k = 0; k < kLampCount; ++k)
      lamps[k] =
          graphics.AttachControl(new IBitmapControl(&plugin, 460 + 40 * k, 40, -1, lampImage));
    fader = new ISliderControl(&plugin, 70, 60, 150, TestPlugin::kOffset,
                               IImage{nullptr, 36, 21, 1}, 1);
    graphics.AttachControl(fader);
    readOut = ValueReadOut::Attach(&plugin, graphics, {70, 80, 110, 100}, {}, fader);
    tone = new IValueTextControl(&plugin, {460, 60, 480, 80}, TestPlugin::kNote, {}, nullptr, true,
                                 true, 0, 14.0);
    graphics.AttachControl(tone);
    noteName = NoteNameReadOut::Attach(&plugin, graphics, {460, 80, 480, 100}, {}, tone);
  }

  // One timer tick and paint on the editor thread; remembers what the meter and texts showed.
  bool Tick() {
    IBounds area;
    if (!graphics.CollectDirtyArea(area)) return false;
    graphics.ClearRecords();
    graphics.DrawArea(area);
    for (const auto& call : graphics.bitmaps)
      if (call.destination == graphics.GetControl(meter)->DrawBounds()) meterRow = call.sourceY;
    for (const auto& call : graphics.strings) {
      if (call.bounds == readOut->TextControl()->DrawBounds()) readOutText = call.text;
      if (call.bounds == tone->DrawBounds()) toneColour = call.style.colour;
    }
    return true;
  }

  IImage meterImage{nullptr, 99, 5100, 51};
  IImage lampImage{nullptr, 14, 1778, 127};
  RecordingGraphics graphics;
  int meter = -1;
  int lamps[kLampCount] = {};
  ISliderControl* fader = nullptr;
  ValueReadOut* readOut = nullptr;
  IValueTextControl* tone = nullptr;
  NoteNameReadOut* noteName = nullptr;
  int meterRow = -1;
  std::string readOutText;
  IRgba toneColour;
};

TEST(GraphicsCoreThreads, ValuesPushedFromOtherThreadsAreDrawnByALaterPass) {
  TestPlugin plugin;
  Editor editor(plugin);
  std::atomic<bool> stop{false};
  std::atomic<int> finalMeter{0};

  std::thread audio([&] {
    int step = 0;
    while (!stop.load()) {
      ScopedLock lock(&plugin.Lock());
      const int meter = step % 128;
      editor.graphics.SetControlFromPlugin(editor.meter, meter / 127.0);
      editor.graphics.SetControlFromPlugin(editor.lamps[step % kLampCount], (step % 3) / 2.0);
      finalMeter.store(meter);
      ++step;
    }
  });
  std::thread automation([&] {
    int step = 0;
    while (!stop.load()) {
      ScopedLock lock(&plugin.Lock());
      // As the host's entry does it: into the controls first, then into the parameter.
      const double offset = (step % 2001) / 10.0 - 100.0;
      editor.graphics.SetParameterFromPlugin(TestPlugin::kOffset, offset, false);
      plugin.GetParameter(TestPlugin::kOffset)->SetValueClamped(offset);
      editor.graphics.SetParameterFromPlugin(TestPlugin::kNote, step % 128, false);
      plugin.GetParameter(TestPlugin::kNote)->SetValueClamped(step % 128);
      const bool greyed = step % 2 == 1;
      editor.tone->SetGreyed(greyed);
      ITextStyle style;
      style.colour = greyed ? IRgba{255, 127, 127, 127} : IRgba{255, 255, 255, 255};
      editor.tone->SetTextStyle(style);
      editor.tone->RefreshTextColours();
      ++step;
    }
  });
  std::thread drawing([&] {
    while (!stop.load()) editor.Tick();
  });

  std::this_thread::sleep_for(kRunTime);
  stop.store(true);
  audio.join();
  automation.join();
  drawing.join();

  // The editor thread goes on ticking until nothing is dirty: what it drew last must be the
  // last values pushed.
  for (int i = 0; i < 4 && editor.Tick(); ++i) {
  }
  EXPECT_FALSE(editor.Tick());
  const IImage& meterImage = editor.meterImage;
  EXPECT_EQ(editor.meterRow,
            meterImage.FrameTop(IBitmapControl::FrameForValue(finalMeter.load() / 127.0, 51)));
  char expected[32];
  std::snprintf(expected, sizeof expected, "%.2f",
                plugin.GetParameter(TestPlugin::kOffset)->Value());
  EXPECT_EQ(editor.readOutText, expected);
  EXPECT_EQ(editor.noteName->TextControl()->Text(),
            NoteNameReadOut::NoteNameFor(
                static_cast<int>(plugin.GetParameter(TestPlugin::kNote)->Value())));
  EXPECT_EQ(editor.toneColour, editor.tone->TextStyle().colour);
}

}  // namespace
