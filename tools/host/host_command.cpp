// The tintinna-host command.
#include "tools/host/host_command.h"

#include "tools/host/event_collector.h"
#include "tools/host/host_options.h"
#include "tools/host/host_session.h"
#include "tools/host/host_summary.h"
#include "tools/host/progress_bar.h"
#include "tools/host/run_media.h"
#include "tools/host/smf_writer.h"

namespace host {

namespace {

constexpr const char* kPrefix = "tintinna-host: ";

// Collects the events, hands them to the audio and moves the progress bar, which also covers
// the audio's tail.
class CommandObserver : public EventCollector {
 public:
  CommandObserver(int32_t sampleRate, std::ostream* print, ProgressBar& bar, RunMedia* media)
      : EventCollector(sampleRate, print), bar_(bar), media_(media) {}
  void OnMidiEvent(const HostMidiEvent& event) override {
    EventCollector::OnMidiEvent(event);
    if (media_ != nullptr) media_->OnMidiEvent(event);
  }
  void OnBlockDone(int64_t blockStart, int32_t frames, int64_t totalFrames) override {
    if (media_ != nullptr) media_->OnRunAdvanced(blockStart + frames);
    bar_.Update(blockStart + frames, totalFrames + (media_ ? media_->TailFrames() : 0));
  }

 private:
  ProgressBar& bar_;
  RunMedia* media_;
};

}  // namespace

int RunHostCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool progress) {
  const ParseResult parsed = ParseOptions(args);
  if (!parsed.ok) {
    err << kPrefix << parsed.error << " (see --help)\n";
    return kExitUsageError;
  }
  const HostOptions& options = parsed.options;
  if (options.help) {
    out << UsageText();
    return kExitSuccess;
  }

  std::string error;
  const std::unique_ptr<RunMedia> media = PrepareRunMedia(options, error);
  if (!error.empty()) {
    err << kPrefix << error << '\n';
    return kExitRuntimeError;
  }
  ProgressBar bar(err, progress && !options.quiet);
  CommandObserver observer(
      options.sampleRate, options.printEvents && !options.quiet ? &out : nullptr, bar, media.get());
  SessionReport report;
  bool ran = RunSession(options, observer, report, error);
  if (ran && media) ran = media->Finish(report, observer.Events(), bar, error);
  bar.Finish();
  if (!ran) {
    err << kPrefix << error << '\n';
    return kExitRuntimeError;
  }

  if (!options.midiPath.empty()) {
    SmfSettings settings;
    settings.sampleRate = options.sampleRate;
    settings.tempo = options.tempo;
    settings.numerator = options.numerator;
    settings.denominator = options.denominator;
    settings.trackName = report.effectName;
    if (!SmfWriter::WriteFile(options.midiPath, SmfWriter::Build(observer.Events(), settings),
                              error)) {
      err << kPrefix << error << '\n';
      return kExitRuntimeError;
    }
  }
  const MidiSummary summary = Summarize(observer.Events());
  if (!options.quiet) {
    PrintSummary(out, options, report, summary, options.midiPath);
    if (media) media->PrintSummary(out);
  }
  if (!options.wavPath.empty() && summary.noteOns == 0) {
    err << kPrefix << "the plug-in sent no notes: " << options.wavPath << " holds only silence\n";
    return kExitRuntimeError;
  }
  return kExitSuccess;
}

}  // namespace host
