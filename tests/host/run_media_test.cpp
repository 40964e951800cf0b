// tintinna.so through the whole command with --wav and --plot: the audio holds the chimes where
// the MIDI puts them, same arguments give the same bytes, and failures leave no files behind.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <sstream>

#include "tests/host/command_outcome.h"
#include "tools/host/event_collector.h"
#include "tools/host/host_command.h"
#include "tools/host/host_session.h"

namespace host {
namespace {

constexpr int32_t kRate = 44100;

Outcome RunTintinna(std::vector<std::string> args) {
  args.push_back(TINTINNA_PLUGIN);
  return RunCommand(args);
}

std::string Temp(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("tintinna-media-" + name)).string();
}

// Left plus right, as floats.
std::vector<float> ReadMono(const std::string& path, int32_t& rate) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return {};
  std::vector<float> stereo(static_cast<size_t>(info.frames) * 2);
  sf_readf_float(file, stereo.data(), info.frames);
  sf_close(file);
  rate = info.samplerate;
  std::vector<float> mono(static_cast<size_t>(info.frames));
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = stereo[2 * i] + stereo[2 * i + 1];
  return mono;
}

// Power at frequency over [start, start + length), by Goertzel's recurrence; Hann-windowed when
// asked, so that neighbouring chimes leak less into it.
double PowerAt(const std::vector<float>& x, int64_t start, int64_t length, double frequency,
               bool hann = false) {
  const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / kRate);
  double s1 = 0.0, s2 = 0.0;
  for (int64_t i = std::max<int64_t>(start, 0); i < start + length; ++i) {
    const double weight =
        hann ? 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (i - start) / length) : 1.0;
    const double s0 = weight * x[static_cast<size_t>(i)] + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return (s1 * s1 + s2 * s2 - coefficient * s1 * s2) / static_cast<double>(length);
}

TEST(RunMedia, EveryStrikeOfASparseRunRingsAtItsPitchWhereTheMidiPutsIt) {
  const std::vector<std::string> settings = {"--seconds", "60", "--set", "WSpeed=3"};
  const std::string wav = Temp("sparse.wav");
  std::vector<std::string> args = settings;
  for (const char* extra :
       {"--no-midi", "--instrument", "marimba", "--wav-format", "float", "--wav"})
    args.push_back(extra);
  args.push_back(wav);
  const Outcome outcome = RunTintinna(args);
  ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;

  // The same run again through the engine, for the events and their sample times.
  HostOptions options;
  options.pluginPath = TINTINNA_PLUGIN;
  options.assignments.push_back({"WSpeed", "3", false});
  EventCollector events(kRate);
  SessionReport report;
  std::string error;
  ASSERT_TRUE(RunSession(options, events, report, error)) << error;

  int32_t rate = 0;
  const std::vector<float> audio = ReadMono(wav, rate);
  ASSERT_EQ(rate, kRate);
  ASSERT_EQ(audio.size(), static_cast<size_t>(63 * kRate));
  // Marimba, whose strikes decay fast and carry their fundamental clearly. Each strike must
  // raise the power at its pitch over the next 93 ms (Hann-windowed, so the neighbouring chimes
  // a tone away stay out); one with nothing sounding before it must also start within 3 ms of
  // its sample: the synth's 64-frame grid and the attack.
  constexpr int64_t kSpan = 4096;
  constexpr int64_t kLeeway = kRate * 3 / 1000;
  constexpr int64_t kQuiet = kRate / 2;
  int strikes = 0;
  int isolated = 0;
  int64_t previous = -kQuiet;
  for (const auto& event : events.Events()) {
    if (!event.IsNoteOn()) continue;
    ++strikes;
    const int64_t t = event.sampleTime;
    const double pitch = 440.0 * std::pow(2.0, (event.data1 - 69) / 12.0);
    EXPECT_GT(PowerAt(audio, t, kSpan, pitch, true),
              1.25 * PowerAt(audio, t - kSpan, kSpan, pitch, true))
        << "note " << int{event.data1} << " at " << t;
    if (t - previous >= kQuiet) {
      ++isolated;
      float peak = 0.0f;
      for (int64_t i = t; i < t + kRate / 20; ++i) peak = std::max(peak, std::fabs(audio[i]));
      int64_t onset = t - kRate / 100;
      while (onset < t + kRate / 20 && std::fabs(audio[onset]) < 0.1f * peak) ++onset;
      EXPECT_GE(onset, t) << "note " << int{event.data1} << " at " << t;
      EXPECT_LE(onset, t + kLeeway) << "note " << int{event.data1} << " at " << t;
    }
    previous = t;
  }
  EXPECT_GE(isolated, 10);
  EXPECT_GE(strikes, 20);
  EXPECT_LE(strikes, 80);
  std::filesystem::remove(wav);
}

TEST(RunMedia, SameArgumentsGiveTheSameWavAndPictureBytes) {
  std::string first[2];
  std::string second[2];
  for (std::string* files : {first, second}) {
    const Outcome outcome = RunTintinna({"--seconds", "4", "--set", "WSpeed=20", "--no-midi",
                                         "--wav", Temp("same.wav"), "--plot", Temp("same.png")});
    ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
    files[0] = ReadFile(Temp("same.wav"));
    files[1] = ReadFile(Temp("same.png"));
  }
  EXPECT_EQ(first[0].size(), 44u + 7 * kRate * 2 * 3);  // header, 4 s + 3 s of 24-bit stereo
  EXPECT_EQ(first[0], second[0]);
  EXPECT_EQ(first[1].rfind("\x89PNG", 0), 0u);
  EXPECT_EQ(first[1], second[1]);
  // The float format's peak chunk would carry the time of writing.
  ASSERT_EQ(RunTintinna({"--seconds", "1", "--no-midi", "--wav-format", "float", "--wav",
                         Temp("same.wav"), "--quiet"})
                .status,
            kExitRuntimeError);  // a second of wind brings no notes
  EXPECT_EQ(ReadFile(Temp("same.wav")).find("PEAK"), std::string::npos);
  std::filesystem::remove(Temp("same.wav"));
  std::filesystem::remove(Temp("same.png"));
}

TEST(RunMedia, NoNotesGiveSilenceAndSaySo) {
  const std::string wav = Temp("calm.wav");
  const Outcome outcome =
      RunTintinna({"--seconds", "2", "--set", "WSpeed=0", "--no-midi", "--wav", wav, "--quiet"});
  EXPECT_EQ(outcome.status, kExitRuntimeError);
  EXPECT_EQ(outcome.err,
            "tintinna-host: the plug-in sent no notes: " + wav + " holds only silence\n");
  int32_t rate = 0;
  const std::vector<float> audio = ReadMono(wav, rate);
  EXPECT_EQ(audio.size(), static_cast<size_t>(5 * kRate));
  EXPECT_TRUE(std::all_of(audio.begin(), audio.end(), [](float s) { return s == 0.0f; }));
  std::filesystem::remove(wav);
}

TEST(RunMedia, FailuresAreOneLineAndLeaveNoFileBehind) {
  const std::string wav = Temp("fail.wav");
  const std::string png = Temp("fail.png");
  std::filesystem::remove(wav);
  std::filesystem::remove(png);
  const struct {
    std::vector<std::string> args;
    std::string expected;
  } cases[] = {
      {{"--wav", "/no/such/dir/x.wav"},
       "tintinna-host: /no/such/dir/x.wav: cannot write the file (No such file or directory)\n"},
      {{"--wav", wav, "--plot", std::filesystem::temp_directory_path().string()},
       "tintinna-host: " + std::filesystem::temp_directory_path().string() +
           ": cannot write the file (it is a directory)\n"},
      {{"--wav", wav, "--soundfont", "/no/font.sf2"},
       "tintinna-host: /no/font.sf2: no such file\n"},
      {{"--seconds", "100000", "--wav", wav},
       "tintinna-host: " + wav + ": a WAV file holds at most 4.5 hours at this rate and format\n"},
      // The files are open when the run fails.
      {{"--wav", wav, "--plot", png, "--set", "NoSuchParameter=1"}, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--seconds", "1", "--no-midi"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome outcome = RunTintinna(args);
    EXPECT_EQ(outcome.status, kExitRuntimeError);
    if (!c.expected.empty()) {
      EXPECT_EQ(outcome.err, c.expected);
    }
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(wav)) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(png)) << outcome.err;
  }
}

TEST(RunMedia, SummaryGivesLengthPeakAndSpeed) {
  const std::string wav = Temp("summary.wav");
  const std::string png = Temp("summary.png");
  const Outcome outcome = RunTintinna({"--seconds", "10", "--set", "WSpeed=25", "--no-midi",
                                       "--wav", wav, "--instrument", "celesta", "--plot", png});
  ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
  EXPECT_NE(
      outcome.out.find("audio: " + wav + ", 13.000 s with a 3 s tail, 24-bit stereo at 44100"),
      std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("synth: celesta (program 9) from /usr/share/sounds/sf2/TimGM6mb.sf2"),
            std::string::npos);
  EXPECT_NE(outcome.out.find(" dBFS; run and render took "), std::string::npos);
  EXPECT_NE(outcome.out.find("x real time\npicture: " + png + ", 1600 x "), std::string::npos);
  std::filesystem::remove(wav);
  std::filesystem::remove(png);
}

}  // namespace
}  // namespace host
