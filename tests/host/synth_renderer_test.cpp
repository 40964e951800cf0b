// Tests of the SoundFont renderer: refusing bad SoundFonts, and playing events at their own
// sample times.
#include "tools/host/synth_renderer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "tools/host/host_options.h"

namespace host {
namespace {

constexpr int32_t kRate = 44100;

class MemorySink : public AudioSink {
 public:
  void Write(const float* frames, int32_t count) override {
    samples.insert(samples.end(), frames, frames + 2 * count);
  }
  // First frame with a sample louder than level, or -1.
  int64_t FirstAbove(float level) const {
    for (size_t i = 0; i < samples.size(); ++i) {
      if (std::fabs(samples[i]) > level) return static_cast<int64_t>(i / 2);
    }
    return -1;
  }
  std::vector<float> samples;
};

HostMidiEvent Midi(int64_t time, uint8_t status, uint8_t data1, uint8_t data2) {
  HostMidiEvent event;
  event.sampleTime = time;
  event.status = status;
  event.data1 = data1;
  event.data2 = data2;
  return event;
}

std::unique_ptr<SynthRenderer> DefaultRenderer(int32_t program = kTubularBells) {
  std::string error;
  auto renderer = SynthRenderer::Create({kDefaultSoundFont, kRate, program}, error);
  EXPECT_TRUE(renderer) << error;
  return renderer;
}

std::string WriteTemp(const std::string& name, const std::string& bytes) {
  const auto path = std::filesystem::temp_directory_path() / ("tintinna-sf-" + name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

std::string Chunk(const char* id, const std::string& body) {
  std::string chunk(id, 4);
  const auto size = static_cast<uint32_t>(body.size());
  for (int shift = 0; shift < 32; shift += 8) chunk += static_cast<char>((size >> shift) & 0xFF);
  return chunk + body;
}

TEST(SynthRenderer, RefusesBadSoundFontsWithOneLineNamingTheFile) {
  std::string head(12, '\0');
  std::ifstream(kDefaultSoundFont, std::ios::binary).read(head.data(), 12);
  std::string random(4096, '\0');
  std::mt19937 generator(12);
  for (char& c : random) c = static_cast<char>(generator());
  std::string truncated(100000, '\0');
  std::ifstream(kDefaultSoundFont, std::ios::binary).read(truncated.data(), 100000);
  // Sound outline, no presets inside: the synth's own parser has to refuse it.
  const std::string hollow =
      Chunk("RIFF", "sfbk" + Chunk("LIST", "INFO") + Chunk("LIST", "sdta") +
                        Chunk("LIST", "pdta" + Chunk("phdr", std::string(38, 'x'))));
  const struct {
    std::string path;
    const char* expected;
  } cases[] = {
      {"/no/such/font.sf2", "no such file"},
      {std::filesystem::temp_directory_path().string(), "not a file"},
      {WriteTemp("empty.sf2", ""), "empty file, not a SoundFont"},
      {WriteTemp("random.sf2", random), "not a SoundFont (no RIFF sfbk header)"},
      {WriteTemp("header.sf2", head), "truncated SoundFont (12 of 5969788 bytes)"},
      {WriteTemp("truncated.sf2", truncated), "truncated SoundFont (100000 of 5969788 bytes)"},
      {WriteTemp("hollow.sf2", hollow), "not a usable SoundFont"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(SynthRenderer::Create({c.path, kRate, 0}, error)) << c.path;
    EXPECT_EQ(error.rfind(c.path + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(SynthRenderer, RefusesRatesTheSynthCannotRender) {
  std::string error;
  EXPECT_FALSE(SynthRenderer::Create({kDefaultSoundFont, 192000, 0}, error));
  EXPECT_EQ(error, "the synth renders at 8000 to 96000 Hz, not 192000");
}

TEST(SynthRenderer, StartsEachNoteOnItsOwnSampleNotOnTheBlock) {
  // Onsets away from any block boundary, given out of order, across several render calls.
  for (const int64_t onset : {int64_t{1000}, int64_t{5003}, int64_t{20477}}) {
    auto renderer = DefaultRenderer();
    ASSERT_TRUE(renderer);
    MemorySink sink;
    renderer->Queue(Midi(onset + 4000, 0x80, 72, 0));
    renderer->Queue(Midi(onset, 0x90, 72, 110));
    for (int64_t end = 512; end <= 40960; end += 512) renderer->RenderTo(end, sink);
    ASSERT_EQ(sink.samples.size(), 2u * 40960);
    // The synth starts voices on its 64-frame grid; the sample's attack adds a little.
    const int64_t heard = sink.FirstAbove(1e-4f);
    EXPECT_GE(heard, onset);
    EXPECT_LT(heard, onset + 64 + kRate / 1000) << "onset " << onset;
    EXPECT_GT(renderer->Peak(), 0.01f);
  }
}

TEST(SynthRenderer, RendersDigitalSilenceWithoutNotesAndHoldsLateEvents) {
  auto renderer = DefaultRenderer();
  ASSERT_TRUE(renderer);
  MemorySink sink;
  renderer->Queue(Midi(0, 0xB0, 0, 90));        // controllers alone make no sound
  renderer->Queue(Midi(30000, 0x90, 60, 100));  // beyond this render
  renderer->RenderTo(kRate / 2, sink);
  EXPECT_EQ(renderer->Position(), kRate / 2);
  EXPECT_EQ(sink.FirstAbove(0.0f), -1);
  EXPECT_EQ(renderer->Peak(), 0.0f);
  renderer->RenderTo(kRate, sink);
  EXPECT_GE(sink.FirstAbove(0.0f), 30000);
}

}  // namespace
}  // namespace host
