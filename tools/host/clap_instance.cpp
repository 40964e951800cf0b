// One hosted CLAP instance: creation checks, parameters in plain units, state through streams,
// and block processing with events in and out.
#include "tools/host/clap_instance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/host/clap_events.h"
#include "tools/host/clap_host_context.h"
#include "tools/host/clap_library.h"

namespace host {

namespace {

constexpr size_t kTextBufferSize = 256;
// More than this is a broken description rather than a real plug-in.
constexpr uint32_t kMaxPorts = 64;
constexpr uint32_t kMaxChannels = 256;

struct Parameter {
  clap::Id id = 0;
  void* cookie = nullptr;
  std::string name;
  double min = 0.0;
  double max = 0.0;
};

clap::EventTransport TransportOf(const TransportState& state) {
  clap::EventTransport t{};
  t.header = {sizeof t, 0, clap::kCoreEventSpaceId, clap::kEventTransport, 0};
  t.flags = clap::kTransportHasTempo | clap::kTransportHasBeatsTimeline |
            clap::kTransportHasSecondsTimeline | clap::kTransportHasTimeSignature;
  if (state.playing) t.flags |= clap::kTransportIsPlaying;
  t.song_pos_beats = clap::ToFixedTime(state.ppqPosition);
  t.song_pos_seconds =
      clap::ToFixedTime(static_cast<double>(state.samplePosition) / state.sampleRate);
  t.tempo = state.tempo;
  t.bar_start = clap::ToFixedTime(state.barStart);
  const double quartersPerBar = state.numerator * 4.0 / state.denominator;
  t.bar_number = static_cast<int32_t>(std::lround(state.barStart / quartersPerBar));
  t.tsig_num = static_cast<uint16_t>(state.numerator);
  t.tsig_denom = static_cast<uint16_t>(state.denominator);
  return t;
}

// One direction's audio ports: silent channels of the block size, and their buffer records.
class AudioPorts {
 public:
  void Describe(const clap::Plugin* plugin, const clap::PluginAudioPorts* ports, bool input) {
    counts_.clear();
    const uint32_t count = ports ? std::min(ports->count(plugin, input), kMaxPorts) : 0;
    for (uint32_t i = 0; i < count; ++i) {
      clap::AudioPortInfo info{};
      counts_.push_back(
          ports->get(plugin, i, input, &info) ? std::min(info.channel_count, kMaxChannels) : 0);
    }
  }
  void Allocate(int32_t frames) {
    channels_.clear();
    pointers_.clear();
    buffers_.clear();
    for (uint32_t count : counts_)
      for (uint32_t c = 0; c < count; ++c)
        channels_.emplace_back(static_cast<size_t>(frames), 0.0f);
    for (auto& channel : channels_) pointers_.push_back(channel.data());
    size_t first = 0;
    for (uint32_t count : counts_) {
      buffers_.push_back({pointers_.data() + first, nullptr, count, 0, 0});
      first += count;
    }
  }
  void Silence(int32_t frames) {
    for (auto& channel : channels_) std::fill_n(channel.begin(), frames, 0.0f);
  }
  clap::AudioBuffer* Buffers() { return buffers_.empty() ? nullptr : buffers_.data(); }
  uint32_t Count() const { return static_cast<uint32_t>(buffers_.size()); }

 private:
  std::vector<uint32_t> counts_;
  std::vector<std::vector<float>> channels_;
  std::vector<float*> pointers_;
  std::vector<clap::AudioBuffer> buffers_;
};

class ClapInstance : public PluginInstance {
 public:
  // Takes the initialised plug-in over: from here on the destructor destroys it.
  ClapInstance(std::unique_ptr<ClapLibrary> library, std::unique_ptr<ClapHostContext> context,
               const clap::Plugin* plugin, PluginHost& host)
      : library_(std::move(library)), context_(std::move(context)), plugin_(plugin), host_(host) {
    params_ = Extension<clap::PluginParams>(clap::kExtParams);
    state_ = Extension<clap::PluginState>(clap::kExtState);
  }
  ~ClapInstance() override {
    if (active_) Stop();
    plugin_->destroy(plugin_);
  }

  // Reads every parameter's description; false with error when one is missing or unusable.
  bool DescribeParameters(std::string& error) {
    const uint32_t count = params_ ? params_->count(plugin_) : 0;
    for (uint32_t i = 0; i < count; ++i) {
      clap::ParamInfo info{};
      if (!params_->get_info(plugin_, i, &info) || !std::isfinite(info.min_value) ||
          !std::isfinite(info.max_value) || info.max_value < info.min_value) {
        error = "the plug-in does not describe parameter " + std::to_string(i) + " usably";
        return false;
      }
      info.name[sizeof info.name - 1] = '\0';
      parameters_.push_back({info.id, info.cookie, info.name, info.min_value, info.max_value});
    }
    return true;
  }

  PluginIdentity Identity() override {
    const clap::PluginDescriptor* d = plugin_->desc;
    auto text = [](const char* s) { return std::string(s ? s : ""); };
    if (!d) return {};
    return {text(d->name), text(d->vendor), text(d->id), text(d->version)};
  }

  void Open() override {
    blockSize_ = std::max(host_.MaxBlockSize(), 1);
    const auto* ports = Extension<clap::PluginAudioPorts>(clap::kExtAudioPorts);
    inputs_.Describe(plugin_, ports, true);
    outputs_.Describe(plugin_, ports, false);
    inputs_.Allocate(blockSize_);
    outputs_.Allocate(blockSize_);
    in_.Reserve(64);
    out_.Reserve(1024);
  }

  void Start() override {
    active_ = plugin_->activate(plugin_, host_.SampleRate(), 1, static_cast<uint32_t>(blockSize_));
    processing_ = active_ && plugin_->start_processing(plugin_);
    if (!active_) {
      failure_ = "the plug-in refused to activate at " + std::to_string(host_.SampleRate()) +
                 " Hz in blocks of " + std::to_string(blockSize_);
    } else if (!processing_) {
      failure_ = "the plug-in refused to start processing";
    }
    Serve();
  }

  void Stop() override {
    if (processing_) plugin_->stop_processing(plugin_);
    if (active_) plugin_->deactivate(plugin_);
    processing_ = active_ = false;
    Serve();
  }

  std::string StartFailure() const override { return failure_; }

  int32_t ParameterCount() override { return static_cast<int32_t>(parameters_.size()); }
  std::string ParameterName(int32_t index) override { return parameters_[Slot(index)].name; }
  // CLAP has no unit apart from the value's text.
  std::string ParameterLabel(int32_t) override { return ""; }
  std::string ParameterDisplay(int32_t index) override {
    double value = 0.0;
    if (!params_->get_value(plugin_, parameters_[Slot(index)].id, &value)) return "";
    return Text(index, value);
  }
  std::string DisplayOf(int32_t index, double normalized) override {
    return Text(index, Plain(index, normalized));
  }
  double GetNormalized(int32_t index) override {
    const Parameter& p = parameters_[Slot(index)];
    double value = p.min;
    if (!params_->get_value(plugin_, p.id, &value) || !(p.max > p.min)) return 0.0;
    return std::clamp((value - p.min) / (p.max - p.min), 0.0, 1.0);
  }
  // Outside processing, through a flush of its own; the session sets nothing while processing.
  void SetNormalized(int32_t index, double normalized) override {
    in_.Clear();
    in_.Add(ParamEvent(0, index, normalized));
    out_.Clear();
    context_->SetProcessing(active_);  // a flush while active belongs to the audio thread
    params_->flush(plugin_, in_.In(), out_.Out());
    context_->SetProcessing(false);
    Deliver(host_);
    Serve();
  }

  int32_t ProgramCount() override { return 0; }
  void SetProgram(int32_t) override {}

  bool GetState(std::vector<uint8_t>& bytes) override {
    bytes.clear();
    ClapStateWriter writer(bytes);
    return state_ && state_->save(plugin_, writer.Stream());
  }
  bool SetState(std::span<const uint8_t> bytes) override {
    ClapStateReader reader(bytes);
    const bool loaded = state_ && state_->load(plugin_, reader.Stream());
    Serve();
    return loaded;
  }

  void Process(const ProcessCall& call, MidiSink& out) override {
    if (!processing_ || call.frames <= 0) return;
    const int32_t frames = std::min(call.frames, blockSize_);
    in_.Clear();
    for (const ParameterChange& change : call.parameters)
      in_.Add(ParamEvent(0, change.index, change.normalized));
    for (const MidiMessage& m : call.midiIn) {
      if (m.offset >= 0 && m.offset < frames)
        in_.Add(ClapMidi(static_cast<uint32_t>(m.offset), m.status, m.data1, m.data2));
    }
    out_.Clear();
    const clap::EventTransport transport = TransportOf(call.transport);
    // Inputs are silence every block, even if the plug-in scribbled on them.
    inputs_.Silence(frames);
    const clap::Process process{call.start,         static_cast<uint32_t>(frames),
                                &transport,         inputs_.Buffers(),
                                outputs_.Buffers(), inputs_.Count(),
                                outputs_.Count(),   in_.In(),
                                out_.Out()};
    context_->SetProcessing(true);
    plugin_->process(plugin_, &process);
    context_->SetProcessing(false);
    Deliver(out);
    Serve();
  }

 private:
  template <class Table>
  const Table* Extension(const char* id) const {
    return static_cast<const Table*>(plugin_->get_extension(plugin_, id));
  }
  static size_t Slot(int32_t index) { return static_cast<size_t>(index); }

  double Plain(int32_t index, double normalized) const {
    const Parameter& p = parameters_[Slot(index)];
    if (!(normalized > 0.0)) return p.min;
    if (normalized >= 1.0) return p.max;
    return p.min + normalized * (p.max - p.min);
  }
  ClapEvent ParamEvent(uint32_t time, int32_t index, double normalized) const {
    ClapEvent event = ClapParam(time, parameters_[Slot(index)].id, Plain(index, normalized));
    event.param.cookie = parameters_[Slot(index)].cookie;
    return event;
  }
  std::string Text(int32_t index, double value) {
    char text[kTextBufferSize] = {};
    if (!params_->value_to_text(plugin_, parameters_[Slot(index)].id, value, text, sizeof text)) {
      std::snprintf(text, sizeof text, "%g", value);
    }
    text[kTextBufferSize - 1] = '\0';
    return text;
  }
  int32_t IndexOf(clap::Id id) const {
    // Plug-ins usually number their parameters by index.
    if (id < parameters_.size() && parameters_[id].id == id) return static_cast<int32_t>(id);
    for (size_t i = 0; i < parameters_.size(); ++i)
      if (parameters_[i].id == id) return static_cast<int32_t>(i);
    return -1;
  }

  // What the plug-in sent during the call: notes and MIDI as bytes, its own parameter changes
  // as automation, anything else as another event.
  void Deliver(MidiSink& out) {
    for (const ClapEvent& e : out_.Events()) {
      const auto offset = static_cast<int32_t>(e.header.time);
      if (e.header.space_id != clap::kCoreEventSpaceId) {
        out.OnOtherEvent(e.header.type, offset);
        continue;
      }
      uint8_t bytes[3] = {};
      switch (e.header.type) {
        case clap::kEventMidi:
          out.OnMidi({offset, e.midi.data[0], e.midi.data[1], e.midi.data[2]});
          break;
        case clap::kEventNoteOn:
        case clap::kEventNoteOff:
          if (MidiBytesOfNote(e.note, bytes)) {
            out.OnMidi({offset, bytes[0], bytes[1], bytes[2]});
          } else {
            out.OnOtherEvent(e.header.type, offset);
          }
          break;
        case clap::kEventParamValue:
          if (const int32_t index = IndexOf(e.param.param_id); index >= 0) {
            const Parameter& p = parameters_[Slot(index)];
            host_.OnAutomation(index,
                               p.max > p.min ? (e.param.value - p.min) / (p.max - p.min) : 0.0);
          }
          break;
        case clap::kEventParamGestureBegin:
        case clap::kEventParamGestureEnd:
          break;
        default:
          out.OnOtherEvent(e.header.type, offset);
      }
    }
  }

  // Answers the plug-in's requests on the main thread: a callback, and a flush of what it
  // queued while nothing was processing.
  void Serve() {
    if (context_->TakeCallbackRequest()) plugin_->on_main_thread(plugin_);
    if (context_->TakeFlushRequest() && params_ && !processing_) {
      in_.Clear();
      out_.Clear();
      params_->flush(plugin_, in_.In(), out_.Out());
      Deliver(host_);
    }
  }

  // Destroyed in reverse: the plug-in (in the destructor's body) before its host record, and
  // the library last.
  std::unique_ptr<ClapLibrary> library_;
  std::unique_ptr<ClapHostContext> context_;
  const clap::Plugin* plugin_;
  PluginHost& host_;
  const clap::PluginParams* params_ = nullptr;
  const clap::PluginState* state_ = nullptr;
  std::vector<Parameter> parameters_;
  int32_t blockSize_ = 0;
  bool active_ = false;
  bool processing_ = false;
  std::string failure_;
  AudioPorts inputs_;
  AudioPorts outputs_;
  ClapEventList in_;
  ClapEventList out_;
};

bool Complete(const clap::Plugin& p) {
  return p.init && p.destroy && p.activate && p.deactivate && p.start_processing &&
         p.stop_processing && p.process && p.get_extension && p.on_main_thread;
}

}  // namespace

std::unique_ptr<PluginInstance> LoadClap(const std::string& path, PluginHost& host,
                                         std::string& error) {
  auto library = ClapLibrary::Load(path, error);
  if (!library) return nullptr;
  const auto* factory =
      static_cast<const clap::PluginFactory*>(library->Factory(clap::kPluginFactoryId));
  if (!factory || !factory->get_plugin_count || !factory->get_plugin_descriptor ||
      !factory->create_plugin) {
    error = path + ": not a CLAP plug-in: no plug-in factory";
    return nullptr;
  }
  const clap::PluginDescriptor* descriptor =
      factory->get_plugin_count(factory) > 0 ? factory->get_plugin_descriptor(factory, 0) : nullptr;
  if (!descriptor || !descriptor->id) {
    error = path + ": the CLAP factory offers no plug-in";
    return nullptr;
  }
  auto context = std::make_unique<ClapHostContext>();
  const clap::Plugin* plugin = factory->create_plugin(factory, context->Record(), descriptor->id);
  if (!plugin || !Complete(*plugin)) {
    error = path + ": the CLAP factory did not create " + descriptor->id;
    return nullptr;  // an incomplete record cannot even be destroyed safely
  }
  if (!plugin->init(plugin)) {
    plugin->destroy(plugin);
    error = path + ": the plug-in failed to initialise";
    return nullptr;
  }
  auto instance =
      std::make_unique<ClapInstance>(std::move(library), std::move(context), plugin, host);
  if (!instance->DescribeParameters(error)) {
    error = path + ": " + error;
    return nullptr;
  }
  return instance;
}

}  // namespace host
