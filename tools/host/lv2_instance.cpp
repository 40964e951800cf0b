// One hosted LV2 instance through Debian's lilv: the bundle's plug-in, its control ports as the
// parameters, its presets as the programs, and one atom sequence each way per call.
#include "tools/host/lv2_instance.h"

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace host {

namespace {

// Room for the densest output of a call; a plug-in that writes more has its events cut.
constexpr uint32_t kOutputCapacity = 256 * 1024;

// The host's URID map and unmap: every call on the session's thread.
class UridMap {
 public:
  LV2_URID Map(const char* uri) {
    auto found = ids_.find(uri);
    if (found != ids_.end()) return found->second;
    uris_.emplace_back(uri);
    return ids_.emplace(uri, static_cast<LV2_URID>(uris_.size())).first->second;
  }
  const char* Unmap(LV2_URID id) const {
    return id >= 1 && id <= uris_.size() ? uris_[id - 1].c_str() : nullptr;
  }
  static LV2_URID MapOf(LV2_URID_Map_Handle handle, const char* uri) {
    return static_cast<UridMap*>(handle)->Map(uri);
  }
  static const char* UnmapOf(LV2_URID_Unmap_Handle handle, LV2_URID id) {
    return static_cast<UridMap*>(handle)->Unmap(id);
  }

 private:
  std::map<std::string, LV2_URID> ids_;
  std::vector<std::string> uris_;
};

// A lilv node freed with its owner.
struct Node {
  LilvNode* node;
  explicit Node(LilvNode* n) : node(n) {}
  ~Node() { lilv_node_free(node); }
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
};

struct ControlPort {
  uint32_t index = 0;
  std::string symbol;
  std::string name;
  std::string unit;
  float minimum = 0.0f;
  float maximum = 1.0f;
  bool whole = false;  // integer, toggled or enumeration: lands on whole numbers
  std::vector<std::pair<float, std::string>> scalePoints;
};

class Lv2Instance : public PluginInstance {
 public:
  Lv2Instance(LilvWorld* world, PluginHost& host) : world_(world), host_(host) {
    mapFeature_ = {LV2_URID__map, &map_};
    unmapFeature_ = {LV2_URID__unmap, &unmap_};
  }

  ~Lv2Instance() override {
    if (instance_) {
      if (started_) Stop();
      lilv_instance_free(instance_);
    }
    lilv_world_free(world_);
  }

  bool Load(const std::string& path, std::string& error) {
    lilv_world_load_specifications(world_);
    lilv_world_load_plugin_classes(world_);
    char* absolute = realpath(path.c_str(), nullptr);
    if (!absolute) {
      error = path + ": no such LV2 bundle";
      return false;
    }
    std::string directory = absolute;
    std::free(absolute);
    if (directory.back() != '/') directory += '/';
    Node bundle(lilv_new_file_uri(world_, nullptr, directory.c_str()));
    lilv_world_load_bundle(world_, bundle.node);
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world_);
    LILV_FOREACH(plugins, i, plugins) {
      const LilvPlugin* candidate = lilv_plugins_get(plugins, i);
      if (lilv_node_equals(lilv_plugin_get_bundle_uri(candidate), bundle.node)) plugin_ = candidate;
    }
    if (!plugin_) {
      error = path + ": the bundle describes no LV2 plug-in";
      return false;
    }
    if (!ReadPorts(error)) return false;
    ReadPresets();
    Instantiate();
    if (!instance_) {
      error = path + ": the plug-in could not be instantiated";
      return false;
    }
    return true;
  }

  PluginIdentity Identity() override {
    PluginIdentity identity;
    Node name(lilv_plugin_get_name(plugin_));
    Node author(lilv_plugin_get_author_name(plugin_));
    identity.name = name.node ? lilv_node_as_string(name.node) : "";
    identity.vendor = author.node ? lilv_node_as_string(author.node) : "";
    identity.id = lilv_node_as_uri(lilv_plugin_get_uri(plugin_));
    identity.version = "LV2";
    return identity;
  }

  void Open() override {}
  void Start() override {
    lilv_instance_activate(instance_);
    started_ = true;
  }
  void Stop() override {
    lilv_instance_deactivate(instance_);
    started_ = false;
  }

  int32_t ParameterCount() override { return static_cast<int32_t>(controls_.size()); }
  std::string ParameterName(int32_t index) override { return Control(index).name; }
  std::string ParameterLabel(int32_t index) override { return Control(index).unit; }
  std::string ParameterDisplay(int32_t index) override {
    return Display(Control(index), values_[Control(index).index]);
  }
  std::string DisplayOf(int32_t index, double normalized) override {
    return Display(Control(index), PlainOf(Control(index), normalized));
  }
  double GetNormalized(int32_t index) override {
    const ControlPort& port = Control(index);
    const double range = static_cast<double>(port.maximum) - port.minimum;
    if (!(range > 0.0)) return 0.0;
    return std::clamp((values_[port.index] - port.minimum) / range, 0.0, 1.0);
  }
  void SetNormalized(int32_t index, double normalized) override {
    const ControlPort& port = Control(index);
    values_[port.index] = PlainOf(port, normalized);
  }

  int32_t ProgramCount() override { return static_cast<int32_t>(presets_.size()); }
  // The preset's port values, then its state: as a host loads a preset.
  void SetProgram(int32_t program) override {
    if (program < 0 || program >= ProgramCount()) return;
    Node uri(lilv_new_uri(world_, presets_[static_cast<size_t>(program)].c_str()));
    lilv_world_load_resource(world_, uri.node);
    LilvState* state = lilv_state_new_from_world(world_, &map_, uri.node);
    if (!state) return;
    lilv_state_restore(state, instance_, &Lv2Instance::SetPortValue, this, 0, features_.data());
    lilv_state_free(state);
  }

  // The state a plug-in keeps as one chunk (the bytes every format of ours saves).
  bool GetState(std::vector<uint8_t>& bytes) override {
    const auto* state = StateInterface();
    if (!state || !state->save) return false;
    saved_.clear();
    chunks_ = 0;
    const LV2_State_Status status =
        state->save(lilv_instance_get_handle(instance_), &Lv2Instance::Store, this,
                    LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features_.data());
    if (status != LV2_STATE_SUCCESS || chunks_ != 1) return false;
    bytes = saved_;
    return true;
  }

  bool SetState(std::span<const uint8_t> bytes) override {
    const auto* state = StateInterface();
    if (!state || !state->restore) return false;
    restoring_.assign(bytes.begin(), bytes.end());
    return state->restore(lilv_instance_get_handle(instance_), &Lv2Instance::Retrieve, this, 0,
                          features_.data()) == LV2_STATE_SUCCESS;
  }

  void Process(const ProcessCall& call, MidiSink& out) override {
    for (const ParameterChange& change : call.parameters)
      SetNormalized(change.index, change.normalized);
    const uint32_t frames = static_cast<uint32_t>(std::clamp(call.frames, 0, blockSize_));
    if (frames == 0) return;
    for (auto& channel : audioIn_) std::fill_n(channel.begin(), frames, 0.0f);
    FillInput(call);
    for (auto& buffer : atomOut_) {
      auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(buffer.data());
      sequence->atom.type = uris_.Map(LV2_ATOM__Chunk);
      sequence->atom.size = kOutputCapacity - sizeof(LV2_Atom);
    }
    lilv_instance_run(instance_, frames);
    for (auto& buffer : atomOut_)
      ReadOutput(*reinterpret_cast<LV2_Atom_Sequence*>(buffer.data()), out);
  }

 private:
  const ControlPort& Control(int32_t index) const { return controls_[static_cast<size_t>(index)]; }

  static float PlainOf(const ControlPort& port, double normalized) {
    const double x = std::clamp(normalized, 0.0, 1.0);
    double plain = port.minimum + x * (static_cast<double>(port.maximum) - port.minimum);
    if (port.whole) plain = std::floor(plain + 0.5);
    return static_cast<float>(
        std::clamp(plain, static_cast<double>(port.minimum), static_cast<double>(port.maximum)));
  }

  static std::string Display(const ControlPort& port, float value) {
    for (const auto& [point, label] : port.scalePoints)
      if (point == value) return label;
    char text[32];
    if (port.whole)
      std::snprintf(text, sizeof text, "%d", static_cast<int>(std::lround(value)));
    else
      std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
  }

  bool ReadPorts(std::string& error) {
    Node input(lilv_new_uri(world_, LV2_CORE__InputPort));
    Node control(lilv_new_uri(world_, LV2_CORE__ControlPort));
    Node audio(lilv_new_uri(world_, LV2_CORE__AudioPort));
    Node atom(lilv_new_uri(world_, LV2_ATOM__AtomPort));
    Node integer(lilv_new_uri(world_, LV2_CORE__integer));
    Node toggled(lilv_new_uri(world_, LV2_CORE__toggled));
    Node enumeration(lilv_new_uri(world_, LV2_CORE__enumeration));
    Node unit(lilv_new_uri(world_, LV2_UNITS__unit));
    Node unitSymbol(lilv_new_uri(world_, LV2_UNITS__symbol));
    const uint32_t count = lilv_plugin_get_num_ports(plugin_);
    values_.assign(count, 0.0f);
    for (uint32_t i = 0; i < count; ++i) {
      const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, i);
      if (lilv_port_is_a(plugin_, port, control.node)) {
        LilvNode* defaultValue = nullptr;
        LilvNode* minimum = nullptr;
        LilvNode* maximum = nullptr;
        lilv_port_get_range(plugin_, port, &defaultValue, &minimum, &maximum);
        ControlPort entry;
        entry.index = i;
        entry.minimum = minimum ? lilv_node_as_float(minimum) : 0.0f;
        entry.maximum = maximum ? lilv_node_as_float(maximum) : 1.0f;
        values_[i] = defaultValue ? lilv_node_as_float(defaultValue) : entry.minimum;
        lilv_node_free(defaultValue);
        lilv_node_free(minimum);
        lilv_node_free(maximum);
        if (!lilv_port_is_a(plugin_, port, input.node)) continue;  // outputs only get a place
        entry.symbol = lilv_node_as_string(lilv_port_get_symbol(plugin_, port));
        Node name(lilv_port_get_name(plugin_, port));
        entry.name = name.node ? lilv_node_as_string(name.node) : entry.symbol;
        entry.whole = lilv_port_has_property(plugin_, port, integer.node) ||
                      lilv_port_has_property(plugin_, port, toggled.node) ||
                      lilv_port_has_property(plugin_, port, enumeration.node);
        if (LilvNodes* units = lilv_port_get_value(plugin_, port, unit.node)) {
          Node symbol(
              lilv_world_get(world_, lilv_nodes_get_first(units), unitSymbol.node, nullptr));
          if (symbol.node) entry.unit = lilv_node_as_string(symbol.node);
          lilv_nodes_free(units);
        }
        if (LilvScalePoints* points = lilv_port_get_scale_points(plugin_, port)) {
          LILV_FOREACH(scale_points, p, points) {
            const LilvScalePoint* point = lilv_scale_points_get(points, p);
            entry.scalePoints.emplace_back(lilv_node_as_float(lilv_scale_point_get_value(point)),
                                           lilv_node_as_string(lilv_scale_point_get_label(point)));
          }
          lilv_scale_points_free(points);
        }
        controls_.push_back(std::move(entry));
      } else if (lilv_port_is_a(plugin_, port, audio.node)) {
        (lilv_port_is_a(plugin_, port, input.node) ? audioInPorts_ : audioOutPorts_).push_back(i);
      } else if (lilv_port_is_a(plugin_, port, atom.node)) {
        (lilv_port_is_a(plugin_, port, input.node) ? atomInPorts_ : atomOutPorts_).push_back(i);
      } else {
        error = "port " + std::to_string(i) + " is of a kind this host cannot connect";
        return false;
      }
    }
    return true;
  }

  void ReadPresets() {
    Node preset(lilv_new_uri(world_, LV2_PRESETS__Preset));
    LilvNodes* related = lilv_plugin_get_related(plugin_, preset.node);
    LILV_FOREACH(nodes, i, related)
    presets_.emplace_back(lilv_node_as_uri(lilv_nodes_get(related, i)));
    lilv_nodes_free(related);
    // Program numbers follow the URIs' order.
    std::sort(presets_.begin(), presets_.end());
  }

  void Instantiate() {
    blockSize_ = host_.MaxBlockSize();
    sampleRate_ = static_cast<float>(host_.SampleRate());
    sequenceSize_ = static_cast<int32_t>(kOutputCapacity);
    const LV2_URID intType = uris_.Map(LV2_ATOM__Int);
    options_ = {{LV2_OPTIONS_INSTANCE, 0, uris_.Map(LV2_BUF_SIZE__minBlockLength), sizeof(int32_t),
                 intType, &one_},
                {LV2_OPTIONS_INSTANCE, 0, uris_.Map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
                 intType, &blockSize_},
                {LV2_OPTIONS_INSTANCE, 0, uris_.Map(LV2_BUF_SIZE__nominalBlockLength),
                 sizeof(int32_t), intType, &blockSize_},
                {LV2_OPTIONS_INSTANCE, 0, uris_.Map(LV2_BUF_SIZE__sequenceSize), sizeof(int32_t),
                 intType, &sequenceSize_},
                {LV2_OPTIONS_INSTANCE, 0, uris_.Map(LV2_PARAMETERS__sampleRate), sizeof(float),
                 uris_.Map(LV2_ATOM__Float), &sampleRate_},
                {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    optionsFeature_ = {LV2_OPTIONS__options, options_.data()};
    boundedFeature_ = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
    features_ = {&mapFeature_, &unmapFeature_, &optionsFeature_, &boundedFeature_, nullptr};
    // The library stays loaded until the process ends (one plug-in per run): unloading one with
    // thread-local storage leaves the sanitizers' leak checker a stale block to read at exit.
    const char* library = lilv_node_as_uri(lilv_plugin_get_library_uri(plugin_));
    if (char* file = library ? lilv_file_uri_parse(library, nullptr) : nullptr) {
      dlopen(file, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
      lilv_free(file);
    }
    instance_ = lilv_plugin_instantiate(plugin_, host_.SampleRate(), features_.data());
    if (!instance_) return;
    for (uint32_t i = 0; i < values_.size(); ++i)
      lilv_instance_connect_port(instance_, i, &values_[i]);
    const auto frames = static_cast<size_t>(blockSize_);
    audioIn_.assign(audioInPorts_.size(), std::vector<float>(frames, 0.0f));
    audioOut_.assign(audioOutPorts_.size(), std::vector<float>(frames, 0.0f));
    atomIn_.assign(atomInPorts_.size(), std::vector<uint64_t>(kOutputCapacity / 8, 0));
    atomOut_.assign(atomOutPorts_.size(), std::vector<uint64_t>(kOutputCapacity / 8, 0));
    for (size_t i = 0; i < audioInPorts_.size(); ++i)
      lilv_instance_connect_port(instance_, audioInPorts_[i], audioIn_[i].data());
    for (size_t i = 0; i < audioOutPorts_.size(); ++i)
      lilv_instance_connect_port(instance_, audioOutPorts_[i], audioOut_[i].data());
    for (size_t i = 0; i < atomInPorts_.size(); ++i)
      lilv_instance_connect_port(instance_, atomInPorts_[i], atomIn_[i].data());
    for (size_t i = 0; i < atomOutPorts_.size(); ++i)
      lilv_instance_connect_port(instance_, atomOutPorts_[i], atomOut_[i].data());
  }

  // The call's transport as a time:Position at its first frame, then the MIDI, on every input.
  void FillInput(const ProcessCall& call) {
    for (auto& buffer : atomIn_) {
      LV2_Atom_Forge forge;
      lv2_atom_forge_init(&forge, &map_);
      lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(buffer.data()), kOutputCapacity);
      LV2_Atom_Forge_Frame sequence;
      lv2_atom_forge_sequence_head(&forge, &sequence, 0);
      const TransportState& transport = call.transport;
      lv2_atom_forge_frame_time(&forge, 0);
      LV2_Atom_Forge_Frame object;
      lv2_atom_forge_object(&forge, &object, 0, uris_.Map(LV2_TIME__Position));
      const double quartersPerBeat = 4.0 / transport.denominator;
      const double beatsIntoBar = (transport.ppqPosition - transport.barStart) / quartersPerBeat;
      const double quartersPerBar = transport.numerator * quartersPerBeat;
      lv2_atom_forge_key(&forge, uris_.Map(LV2_TIME__frame));
      lv2_atom_forge_long(&forge, transport.samplePosition);
      lv2_atom_forge_key(&forge, uris_.Map(LV2_TIME__speed));
      lv2_atom_forge_float(&forge, transport.playing ? 1.0f : 0.0f);
      lv2_atom_forge_key(&forge, uris_.Map(LV2_TIME__beatsPerMinute));
      lv2_atom_forge_float(&forge, static_cast<float>(transport.tempo));
      lv2_atom_forge_key(&forge, uris_.Map(LV2_TIME__beatsPerBar));
      lv2_atom_forge_float(&forge, static_cast<float>(transport.numerator));
      lv2_atom_forge_key(&forge, uris_.Map(LV2_TIME__beatUnit));
      lv2_atom_forge_int(&forge, transport.denominator);
      lv2_atom_forge_key(&forge, uris_.Map(LV2_TIME__bar));
      lv2_atom_forge_long(&forge,
                          static_cast<int64_t>(std::llround(transport.barStart / quartersPerBar)));
      lv2_atom_forge_key(&forge, uris_.Map(LV2_TIME__barBeat));
      lv2_atom_forge_float(&forge, static_cast<float>(beatsIntoBar));
      lv2_atom_forge_pop(&forge, &object);
      for (const MidiMessage& message : call.midiIn) {
        const uint8_t bytes[3] = {message.status, message.data1, message.data2};
        const uint32_t size = message.status >= 0xC0 && message.status < 0xE0 ? 2 : 3;
        lv2_atom_forge_frame_time(&forge, message.offset);
        lv2_atom_forge_atom(&forge, size, uris_.Map(LV2_MIDI__MidiEvent));
        lv2_atom_forge_write(&forge, bytes, size);
      }
      lv2_atom_forge_pop(&forge, &sequence);
    }
  }

  void ReadOutput(const LV2_Atom_Sequence& sequence, MidiSink& out) {
    if (sequence.atom.type != uris_.Map(LV2_ATOM__Sequence)) return;
    const LV2_URID midi = uris_.Map(LV2_MIDI__MidiEvent);
    LV2_ATOM_SEQUENCE_FOREACH(&sequence, event) {
      const auto offset =
          static_cast<int32_t>(std::clamp<int64_t>(event->time.frames, INT32_MIN, INT32_MAX));
      const auto* bytes = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
      if (event->body.type != midi || event->body.size == 0 || event->body.size > 3 ||
          bytes[0] < 0x80 || bytes[0] == 0xF0) {
        out.OnOtherEvent(static_cast<int32_t>(event->body.type), offset);
        continue;
      }
      MidiMessage message;
      message.offset = offset;
      message.status = bytes[0];
      message.data1 = event->body.size > 1 ? bytes[1] : 0;
      message.data2 = event->body.size > 2 ? bytes[2] : 0;
      out.OnMidi(message);
    }
  }

  const LV2_State_Interface* StateInterface() const {
    return static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
  }

  static LV2_State_Status Store(LV2_State_Handle handle, uint32_t, const void* value, size_t size,
                                uint32_t type, uint32_t) {
    auto* self = static_cast<Lv2Instance*>(handle);
    if (type != self->uris_.Map(LV2_ATOM__Chunk)) return LV2_STATE_ERR_BAD_TYPE;
    const auto* bytes = static_cast<const uint8_t*>(value);
    self->saved_.assign(bytes, bytes + size);
    ++self->chunks_;
    return LV2_STATE_SUCCESS;
  }

  // Whatever key the plug-in asks for, the one chunk it saved.
  static const void* Retrieve(LV2_State_Handle handle, uint32_t, size_t* size, uint32_t* type,
                              uint32_t* flags) {
    auto* self = static_cast<Lv2Instance*>(handle);
    if (size) *size = self->restoring_.size();
    if (type) *type = self->uris_.Map(LV2_ATOM__Chunk);
    if (flags) *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return self->restoring_.data();
  }

  static void SetPortValue(const char* symbol, void* user, const void* value, uint32_t size,
                           uint32_t type) {
    auto* self = static_cast<Lv2Instance*>(user);
    if (type != self->uris_.Map(LV2_ATOM__Float) || size != sizeof(float)) return;
    for (const ControlPort& port : self->controls_)
      if (port.symbol == symbol) std::memcpy(&self->values_[port.index], value, sizeof(float));
  }

  LilvWorld* world_;
  PluginHost& host_;
  const LilvPlugin* plugin_ = nullptr;
  LilvInstance* instance_ = nullptr;
  bool started_ = false;

  UridMap uris_;
  LV2_URID_Map map_{&uris_, &UridMap::MapOf};
  LV2_URID_Unmap unmap_{&uris_, &UridMap::UnmapOf};
  LV2_Feature mapFeature_{};
  LV2_Feature unmapFeature_{};
  LV2_Feature optionsFeature_{};
  LV2_Feature boundedFeature_{};
  std::vector<LV2_Options_Option> options_;
  std::vector<const LV2_Feature*> features_;
  int32_t one_ = 1;
  int32_t blockSize_ = 0;
  int32_t sequenceSize_ = 0;
  float sampleRate_ = 0.0f;

  std::vector<ControlPort> controls_;
  std::vector<float> values_;  // one per port: controls and any control output
  std::vector<uint32_t> audioInPorts_, audioOutPorts_, atomInPorts_, atomOutPorts_;
  std::vector<std::vector<float>> audioIn_, audioOut_;
  std::vector<std::vector<uint64_t>> atomIn_, atomOut_;
  std::vector<std::string> presets_;
  std::vector<uint8_t> saved_;
  int chunks_ = 0;
  std::vector<uint8_t> restoring_;
};

}  // namespace

std::unique_ptr<PluginInstance> LoadLv2(const std::string& path, PluginHost& host,
                                        std::string& error) {
  LilvWorld* world = lilv_world_new();
  if (!world) {
    error = path + ": lilv could not start";
    return nullptr;
  }
  auto instance = std::make_unique<Lv2Instance>(world, host);
  if (!instance->Load(path, error)) return nullptr;
  return instance;
}

}  // namespace host
