// The audio and the picture of a run.
#include "tools/host/run_media.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "tools/host/instrument_names.h"
#include "tools/host/output_file.h"
#include "tools/host/piano_roll.h"
#include "tools/host/synth_renderer.h"
#include "tools/host/wav_writer.h"

namespace host {

namespace {

constexpr int32_t kTailChunk = 4096;
// A WAV file's sizes are 32-bit; libsndfile would write a broken header past them.
constexpr int64_t kMaxWavBytes = 0xFFFFFFFFll - 1024;

std::string Join(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (const auto& part : parts) text += (text.empty() ? "" : separator) + part;
  return text;
}

class MediaJob : public RunMedia {
 public:
  explicit MediaJob(const HostOptions& options) : options_(options) {}

  bool Prepare(std::string& error) {
    if (!options_.wavPath.empty()) {
      SynthSettings settings;
      settings.soundFont = options_.soundFont.empty() ? kDefaultSoundFont : options_.soundFont;
      settings.sampleRate = options_.sampleRate;
      settings.program = options_.instrument;
      synth_ = SynthRenderer::Create(settings, error);
      if (!synth_) {
        if (options_.soundFont.empty() && CheckSoundFont(kDefaultSoundFont) == "no such file") {
          error = std::string(kDefaultSoundFont) +
                  ": no such file (the default SoundFont: install the Debian package " +
                  kDefaultSoundFontPackage + " or give --soundfont FILE)";
        }
        return false;
      }
      tail_ = std::llround(kTailSeconds * options_.sampleRate);
      const int64_t frameBytes = options_.wavFloat ? 8 : 6;
      if ((SessionFrames(options_) + tail_) * frameBytes > kMaxWavBytes) {
        const double hours =
            static_cast<double>(kMaxWavBytes / frameBytes - tail_) / options_.sampleRate / 3600.0;
        char text[160];
        std::snprintf(text, sizeof(text),
                      "a WAV file holds at most %.1f hours at this rate and format", hours);
        error = options_.wavPath + ": " + text;
        return false;
      }
      wav_ = WavWriter::Create(options_.wavPath, options_.sampleRate, options_.wavFloat, error);
      if (!wav_) return false;
    }
    if (!options_.plotPath.empty()) {
      plot_ = OutputFile::Open(options_.plotPath, error);
      if (!plot_) return false;
    }
    start_ = std::chrono::steady_clock::now();
    return true;
  }

  int64_t TailFrames() const override { return tail_; }

  void OnMidiEvent(const HostMidiEvent& event) override {
    if (synth_) synth_->Queue(event);
  }

  void OnRunAdvanced(int64_t end) override {
    if (synth_) synth_->RenderTo(end, *wav_);
  }

  bool Finish(const SessionReport& report, const std::vector<HostMidiEvent>& events,
              ProgressBar& bar, std::string& error) override {
    runFrames_ = report.frames;
    if (synth_) {
      const int64_t total = runFrames_ + tail_;
      while (synth_->Position() < total) {
        synth_->RenderTo(std::min<int64_t>(synth_->Position() + kTailChunk, total), *wav_);
        bar.Update(synth_->Position(), total);
      }
      if (!wav_->Finish(error)) return false;
    }
    seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (plot_) {
      const PianoRoll roll(events, options_.sampleRate, runFrames_);
      const std::vector<unsigned char> png = roll.DrawPng(Title(report, roll), Subtitle(report));
      if (png.empty()) {
        error = plot_->Path() + ": cairo could not draw the picture";
        return false;
      }
      std::fwrite(png.data(), 1, png.size(), plot_->Stream());
      if (!plot_->Commit(error)) return false;
      plotHeight_ = roll.Height();
    }
    return true;
  }

  void PrintSummary(std::ostream& out) const override {
    char line[512];
    if (wav_) {
      const double rate = options_.sampleRate;
      std::snprintf(line, sizeof(line), "audio: %s, %.3f s with a %g s tail, %s stereo at %d Hz",
                    options_.wavPath.c_str(), static_cast<double>(wav_->Frames()) / rate,
                    kTailSeconds, options_.wavFloat ? "32-bit float" : "24-bit",
                    options_.sampleRate);
      out << line << '\n';
      const std::string font = options_.soundFont.empty() ? kDefaultSoundFont : options_.soundFont;
      std::snprintf(line, sizeof(line), "synth: %s (program %d) from %s",
                    InstrumentName(options_.instrument), options_.instrument + 1, font.c_str());
      out << line << '\n';
      const float peak = synth_->Peak();
      char level[32];
      if (peak > 0.0f) {
        std::snprintf(level, sizeof(level), "%.1f dBFS%s", 20.0 * std::log10(peak),
                      peak > 1.0f && !options_.wavFloat ? " (clipped)" : "");
      } else {
        std::snprintf(level, sizeof(level), "silence");
      }
      std::snprintf(line, sizeof(line),
                    "audio peak: %s; run and render took %.2f s, %.0fx real time", level, seconds_,
                    static_cast<double>(wav_->Frames()) / rate / std::max(seconds_, 1e-6));
      out << line << '\n';
    }
    if (plot_) {
      std::snprintf(line, sizeof(line), "picture: %s, %d x %d", options_.plotPath.c_str(),
                    PianoRoll::kWidth, plotHeight_);
      out << line << '\n';
    }
  }

 private:
  std::string Title(const SessionReport& report, const PianoRoll& roll) const {
    std::string title = report.effectName.empty() ? options_.pluginPath : report.effectName;
    if (!report.vendorName.empty()) title += " by " + report.vendorName;
    char run[160];
    std::snprintf(run, sizeof(run), ": %g s at %d Hz, %zu notes", options_.seconds,
                  options_.sampleRate, roll.Notes().size());
    title += run;
    if (synth_) title += std::string(", heard as ") + InstrumentName(options_.instrument);
    return title;
  }

  static std::string Subtitle(const SessionReport& report) {
    if (report.changedSettings.empty()) return "default settings";
    return "settings: " + Join(report.changedSettings, ", ");
  }

  HostOptions options_;
  std::unique_ptr<SynthRenderer> synth_;
  std::unique_ptr<WavWriter> wav_;
  std::unique_ptr<OutputFile> plot_;
  int64_t tail_ = 0;
  int64_t runFrames_ = 0;
  int plotHeight_ = 0;
  double seconds_ = 0.0;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace

std::unique_ptr<RunMedia> PrepareRunMedia(const HostOptions& options, std::string& error) {
  if (options.wavPath.empty() && options.plotPath.empty()) return nullptr;
  auto job = std::make_unique<MediaJob>(options);
  if (!job->Prepare(error)) return nullptr;
  return job;
}

}  // namespace host
