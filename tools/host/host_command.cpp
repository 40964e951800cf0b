// The tintinna-host command.
#include "tools/host/host_command.h"

#include "tools/host/event_collector.h"
#include "tools/host/host_options.h"
#include "tools/host/host_session.h"
#include "tools/host/host_summary.h"
#include "tools/host/progress_bar.h"
#include "tools/host/smf_writer.h"

namespace host {

namespace {

constexpr const char* kPrefix = "tintinna-host: ";

// Collects the events and moves the progress bar.
class CommandObserver : public EventCollector {
 public:
  CommandObserver(int32_t sampleRate, std::ostream* print, ProgressBar& bar)
      : EventCollector(sampleRate, print), bar_(bar) {}
  void OnBlockDone(int64_t blockStart, int32_t frames, int64_t totalFrames) override {
    bar_.Update(blockStart + frames, totalFrames);
  }

 private:
  ProgressBar& bar_;
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

  ProgressBar bar(err, progress && !options.quiet);
  CommandObserver observer(options.sampleRate,
                           options.printEvents && !options.quiet ? &out : nullptr, bar);
  SessionReport report;
  std::string error;
  const bool ran = RunSession(options, observer, report, error);
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
  if (!options.quiet) {
    PrintSummary(out, options, report, Summarize(observer.Events()), options.midiPath);
  }
  return kExitSuccess;
}

}  // namespace host
