// The CLAP binary interface: the records, method tables and constants a plug-in and a host share.
// Plain C layout, natural alignment; the asserts pin every size and the key offsets for x86-64
// Linux and x86-64 Windows (mingw-w64), which agree except for the X11 window id's width.
//
// Threads, as the format names them: [main] is the host's main thread (on Windows also its GUI
// thread); [audio] is the processing thread, never two calls at once for one instance; [any] may
// be called from any thread, concurrently. Types drop the C prefix; fields keep the C names.
#pragma once

#include <cstddef>
#include <cstdint>

namespace clap {

static_assert(sizeof(void*) == 8, "the layouts below are those of 64-bit targets");
static_assert(sizeof(bool) == 1);

// ---- Version -----------------------------------------------------------------------------------

struct Version {
  uint32_t major;
  uint32_t minor;
  uint32_t revision;
};

// The revision these declarations follow; stamp it into the entry, descriptor and host.
inline constexpr Version kVersion{1, 2, 10};

// Every version from 1.0 on shares this binary interface.
constexpr bool VersionIsCompatible(const Version& v) {
  return v.major >= 1;
}

// ---- Basic types and limits --------------------------------------------------------------------

using Id = uint32_t;
inline constexpr Id kInvalidId = 0xFFFFFFFF;

// Buffer sizes, including the terminator.
inline constexpr size_t kNameSize = 256;
inline constexpr size_t kPathSize = 1024;

// Fixed-point musical and real time: the value times 2^31.
using BeatTime = int64_t;
using SecTime = int64_t;
inline constexpr int64_t kBeatTimeFactor = int64_t{1} << 31;
inline constexpr int64_t kSecTimeFactor = int64_t{1} << 31;

// Either kind of fixed-point time back to beats or seconds (the factors are equal).
constexpr double FromFixedTime(int64_t fixed) {
  return static_cast<double>(fixed) / static_cast<double>(kBeatTimeFactor);
}

// Beats or seconds to fixed point, rounded to nearest. What cannot be represented gets a defined
// value: NaN becomes 0, and values beyond the range stop at its ends.
constexpr int64_t ToFixedTime(double value) {
  static_assert(kBeatTimeFactor == kSecTimeFactor);
  constexpr double kLimit = 4294967296.0;  // 2^32: times the factor, 2^63
  if (value != value) return 0;
  if (value >= kLimit) return INT64_MAX;
  if (value < -kLimit) return INT64_MIN;
  const double scaled = value * static_cast<double>(kBeatTimeFactor);
  const auto truncated = static_cast<int64_t>(scaled);
  const double rest = scaled - static_cast<double>(truncated);
  if (rest >= 0.5) return truncated + 1;
  if (rest <= -0.5) return truncated - 1;
  return truncated;
}

// ---- Entry: the one exported data symbol -------------------------------------------------------

inline constexpr char kEntrySymbol[] = "clap_entry";

struct PluginEntry {
  Version clap_version;
  // Called first, from any thread but never concurrently with another call into the library;
  // may come again after deinit, or twice in a row (count, and answer true).
  bool (*init)(const char* plugin_path);
  void (*deinit)();
  const void* (*get_factory)(const char* factory_id);  // [any]
};

// ---- Plug-in factory ---------------------------------------------------------------------------

inline constexpr char kPluginFactoryId[] = "clap.plugin-factory";

struct Host;
struct Plugin;
struct PluginDescriptor;

// Every method [any].
struct PluginFactory {
  uint32_t (*get_plugin_count)(const PluginFactory* factory);
  const PluginDescriptor* (*get_plugin_descriptor)(const PluginFactory* factory, uint32_t index);
  // The new instance must not call the host before its init.
  const Plugin* (*create_plugin)(const PluginFactory* factory, const Host* host,
                                 const char* plugin_id);
};

// ---- Descriptor --------------------------------------------------------------------------------

struct PluginDescriptor {
  Version clap_version;
  const char* id;    // reverse-DNS, never changes: hosts store it in projects
  const char* name;  // mandatory
  const char* vendor;
  const char* url;
  const char* manual_url;
  const char* support_url;
  const char* version;
  const char* description;
  const char* const* features;  // ends with a null pointer
};

// ---- Feature strings ---------------------------------------------------------------------------

// Main category.
inline constexpr char kFeatureInstrument[] = "instrument";
inline constexpr char kFeatureAudioEffect[] = "audio-effect";
inline constexpr char kFeatureNoteEffect[] = "note-effect";  // also note generators, sequencers
inline constexpr char kFeatureNoteDetector[] = "note-detector";
inline constexpr char kFeatureAnalyzer[] = "analyzer";
// Sub-category.
inline constexpr char kFeatureSynthesizer[] = "synthesizer";
inline constexpr char kFeatureSampler[] = "sampler";
inline constexpr char kFeatureDrum[] = "drum";
inline constexpr char kFeatureDrumMachine[] = "drum-machine";
inline constexpr char kFeatureFilter[] = "filter";
inline constexpr char kFeaturePhaser[] = "phaser";
inline constexpr char kFeatureEqualizer[] = "equalizer";
inline constexpr char kFeatureDeesser[] = "de-esser";
inline constexpr char kFeaturePhaseVocoder[] = "phase-vocoder";
inline constexpr char kFeatureGranular[] = "granular";
inline constexpr char kFeatureFrequencyShifter[] = "frequency-shifter";
inline constexpr char kFeaturePitchShifter[] = "pitch-shifter";
inline constexpr char kFeatureDistortion[] = "distortion";
inline constexpr char kFeatureTransientShaper[] = "transient-shaper";
inline constexpr char kFeatureCompressor[] = "compressor";
inline constexpr char kFeatureExpander[] = "expander";
inline constexpr char kFeatureGate[] = "gate";
inline constexpr char kFeatureLimiter[] = "limiter";
inline constexpr char kFeatureFlanger[] = "flanger";
inline constexpr char kFeatureChorus[] = "chorus";
inline constexpr char kFeatureDelay[] = "delay";
inline constexpr char kFeatureReverb[] = "reverb";
inline constexpr char kFeatureTremolo[] = "tremolo";
inline constexpr char kFeatureGlitch[] = "glitch";
inline constexpr char kFeatureUtility[] = "utility";
inline constexpr char kFeaturePitchCorrection[] = "pitch-correction";
inline constexpr char kFeatureRestoration[] = "restoration";
inline constexpr char kFeatureMultiEffects[] = "multi-effects";
inline constexpr char kFeatureMixing[] = "mixing";
inline constexpr char kFeatureMastering[] = "mastering";
// Audio capability.
inline constexpr char kFeatureMono[] = "mono";
inline constexpr char kFeatureStereo[] = "stereo";
inline constexpr char kFeatureSurround[] = "surround";
inline constexpr char kFeatureAmbisonic[] = "ambisonic";

// ---- Plug-in instance --------------------------------------------------------------------------

struct Process;

// create_plugin -> init -> (activate -> (start_processing -> process* -> stop_processing)* ->
// deactivate)* -> destroy.
struct Plugin {
  const PluginDescriptor* desc;
  void* plugin_data;                      // the plug-in's own
  bool (*init)(const Plugin* plugin);     // [main] the first place to query host extensions
  void (*destroy)(const Plugin* plugin);  // [main] inactive; frees this record too
  // [main] inactive. Every later frames_count lies in [min_frames, max_frames].
  bool (*activate)(const Plugin* plugin, double sample_rate, uint32_t min_frames,
                   uint32_t max_frames);
  void (*deactivate)(const Plugin* plugin);        // [main] active
  bool (*start_processing)(const Plugin* plugin);  // [audio] active, not processing
  void (*stop_processing)(const Plugin* plugin);   // [audio] processing
  void (*reset)(const Plugin* plugin);             // [audio] active; parameter values stay
  int32_t (*process)(const Plugin* plugin, const Process* process);    // [audio] ProcessStatus
  const void* (*get_extension)(const Plugin* plugin, const char* id);  // [any] from init on
  void (*on_main_thread)(const Plugin* plugin);  // [main] answers host->request_callback
};

// ---- Host --------------------------------------------------------------------------------------

struct Host {
  Version clap_version;
  void* host_data;   // the host's own
  const char* name;  // mandatory
  const char* vendor;
  const char* url;
  const char* version;                                             // mandatory
  const void* (*get_extension)(const Host* host, const char* id);  // [any] from plugin init on
  void (*request_restart)(const Host* host);                       // [any] deactivate, reactivate
  void (*request_process)(const Host* host);                       // [any] activate and process
  void (*request_callback)(const Host* host);                      // [any] plugin on_main_thread
};

// ---- Events: header, spaces, types, flags ------------------------------------------------------

struct EventHeader {
  uint32_t size;  // of the whole event: events are copied as that many bytes
  uint32_t time;  // frame offset within the block
  uint16_t space_id;
  uint16_t type;
  uint32_t flags;
};

// Events of any other space are to be ignored.
inline constexpr uint16_t kCoreEventSpaceId = 0;

enum EventType : uint16_t {
  kEventNoteOn = 0,
  kEventNoteOff = 1,
  kEventNoteChoke = 2,
  kEventNoteEnd = 3,
  kEventNoteExpression = 4,
  kEventParamValue = 5,
  kEventParamMod = 6,
  kEventParamGestureBegin = 7,
  kEventParamGestureEnd = 8,
  kEventTransport = 9,
  kEventMidi = 10,
  kEventMidiSysex = 11,
  kEventMidi2 = 12,
};

enum EventFlags : uint32_t {
  kEventIsLive = 1,      // a live user action
  kEventDontRecord = 2,  // not to be recorded as automation
};

// "Any" for note_id, port_index, channel and key; a note-on still names its port, channel, key.
inline constexpr int kWildcard = -1;

// ---- Events: layouts ---------------------------------------------------------------------------

// Note on, off, choke and end. A velocity (0..1) of 0 on a note-on is still a note-on.
struct EventNote {
  EventHeader header;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;  // 0..15 as in MIDI 1
  int16_t key;      // 0..127 as in MIDI 1
  double velocity;
};

enum NoteExpressionId : int32_t {
  kNoteExpressionVolume = 0,
  kNoteExpressionPan = 1,
  kNoteExpressionTuning = 2,
  kNoteExpressionVibrato = 3,
  kNoteExpressionExpression = 4,
  kNoteExpressionBrightness = 5,
  kNoteExpressionPressure = 6,
};

struct EventNoteExpression {
  EventHeader header;
  int32_t expression_id;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double value;
};

// Plain values (min..max), not normalised. The cookie is the one from ParamInfo, or null.
struct EventParamValue {
  EventHeader header;
  Id param_id;
  void* cookie;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double value;
};

struct EventParamMod {
  EventHeader header;
  Id param_id;
  void* cookie;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double amount;
};

struct EventParamGesture {
  EventHeader header;
  Id param_id;
};

enum TransportFlags : uint32_t {
  kTransportHasTempo = 1,
  kTransportHasBeatsTimeline = 2,
  kTransportHasSecondsTimeline = 4,
  kTransportHasTimeSignature = 8,
  kTransportIsPlaying = 16,
  kTransportIsRecording = 32,
  kTransportIsLoopActive = 64,
  kTransportIsWithinPreRoll = 128,
};

// A field means something only when its kTransportHas... flag is set.
struct EventTransport {
  EventHeader header;
  uint32_t flags;
  BeatTime song_pos_beats;
  SecTime song_pos_seconds;
  double tempo;      // beats per minute
  double tempo_inc;  // per frame, until the next transport event
  BeatTime loop_start_beats;
  BeatTime loop_end_beats;
  SecTime loop_start_seconds;
  SecTime loop_end_seconds;
  BeatTime bar_start;
  int32_t bar_number;  // the bar at song position 0 is bar 0
  uint16_t tsig_num;
  uint16_t tsig_denom;
};

// One whole MIDI 1 channel message, status first, no running status; unused bytes 0.
struct EventMidi {
  EventHeader header;
  uint16_t port_index;
  uint8_t data[3];
};

// The bytes belong to the sender: valid for the process call going in, for try_push going out.
struct EventMidiSysex {
  EventHeader header;
  uint16_t port_index;
  const uint8_t* buffer;
  uint32_t size;
};

struct EventMidi2 {
  EventHeader header;
  uint16_t port_index;
  uint32_t data[4];
};

// ---- Event lists -------------------------------------------------------------------------------

// Sorted by time, read-only.
struct InputEvents {
  void* ctx;
  uint32_t (*size)(const InputEvents* list);
  const EventHeader* (*get)(const InputEvents* list, uint32_t index);
};

// try_push copies the event; false when the host could not take it. Push in time order.
struct OutputEvents {
  void* ctx;
  bool (*try_push)(const OutputEvents* list, const EventHeader* event);
};

// ---- Processing --------------------------------------------------------------------------------

// One port's channels: data32 or data64 is set (32-bit always available).
struct AudioBuffer {
  float** data32;
  double** data64;
  uint32_t channel_count;
  uint32_t latency;        // from or to the audio interface
  uint64_t constant_mask;  // bit n: channel n holds one value (a hint; the buffer is filled)
};

// Every pointer is valid during the process call only.
struct Process {
  int64_t steady_time;  // running frame counter, or -1
  uint32_t frames_count;
  const EventTransport* transport;  // state at frame 0; null when the host is free-running
  const AudioBuffer* audio_inputs;
  AudioBuffer* audio_outputs;
  uint32_t audio_inputs_count;
  uint32_t audio_outputs_count;
  const InputEvents* in_events;
  const OutputEvents* out_events;
};

enum ProcessStatus : int32_t {
  kProcessError = 0,
  kProcessContinue = 1,
  kProcessContinueIfNotQuiet = 2,  // the host may stop calling while the input is silent
  kProcessTail = 3,
  kProcessSleep = 4,
};

// ---- Extension ids -----------------------------------------------------------------------------

inline constexpr char kExtAudioPorts[] = "clap.audio-ports";
inline constexpr char kExtNotePorts[] = "clap.note-ports";
inline constexpr char kExtParams[] = "clap.params";
inline constexpr char kExtState[] = "clap.state";
inline constexpr char kExtGui[] = "clap.gui";
inline constexpr char kExtTimerSupport[] = "clap.timer-support";
inline constexpr char kExtPosixFdSupport[] = "clap.posix-fd-support";
inline constexpr char kExtLatency[] = "clap.latency";
inline constexpr char kExtThreadCheck[] = "clap.thread-check";
inline constexpr char kExtLog[] = "clap.log";
inline constexpr char kExtRender[] = "clap.render";
inline constexpr char kExtStateContext[] = "clap.state-context/2";
inline constexpr char kExtTail[] = "clap.tail";

// ---- Audio ports -------------------------------------------------------------------------------

enum AudioPortFlags : uint32_t {
  kAudioPortIsMain = 1,  // at most one per direction, at index 0
  kAudioPortSupports64Bits = 2,
  kAudioPortPrefers64Bits = 4,
  kAudioPortRequiresCommonSampleSize = 8,
};

// Null or "" leaves the port type unspecified.
inline constexpr char kPortTypeMono[] = "mono";
inline constexpr char kPortTypeStereo[] = "stereo";

struct AudioPortInfo {
  Id id;
  char name[kNameSize];
  uint32_t flags;
  uint32_t channel_count;
  const char* port_type;
  Id in_place_pair;  // the port on the other side that may share the buffer, or kInvalidId
};

// All but kAudioPortsRescanNames need the plug-in inactive.
enum AudioPortsRescanFlags : uint32_t {
  kAudioPortsRescanNames = 1,
  kAudioPortsRescanFlags = 2,
  kAudioPortsRescanChannelCount = 4,
  kAudioPortsRescanPortType = 8,
  kAudioPortsRescanInPlacePair = 16,
  kAudioPortsRescanList = 32,
};

// Every method [main]; the host reads ports only while the plug-in is inactive.
struct PluginAudioPorts {
  uint32_t (*count)(const Plugin* plugin, bool is_input);
  bool (*get)(const Plugin* plugin, uint32_t index, bool is_input, AudioPortInfo* info);
};

struct HostAudioPorts {
  bool (*is_rescan_flag_supported)(const Host* host, uint32_t flag);
  void (*rescan)(const Host* host, uint32_t flags);
};

// ---- Note ports --------------------------------------------------------------------------------

enum NoteDialect : uint32_t {
  kNoteDialectClap = 1,  // note and note-expression events
  kNoteDialectMidi = 2,  // MIDI 1 events
  kNoteDialectMidiMpe = 4,
  kNoteDialectMidi2 = 8,
};

struct NotePortInfo {
  Id id;
  uint32_t supported_dialects;
  uint32_t preferred_dialect;
  char name[kNameSize];
};

enum NotePortsRescanFlags : uint32_t {
  kNotePortsRescanAll = 1,  // inactive only
  kNotePortsRescanNames = 2,
};

// Every method [main]. A plug-in without this extension has no note ports at all.
struct PluginNotePorts {
  uint32_t (*count)(const Plugin* plugin, bool is_input);
  bool (*get)(const Plugin* plugin, uint32_t index, bool is_input, NotePortInfo* info);
};

struct HostNotePorts {
  uint32_t (*supported_dialects)(const Host* host);
  void (*rescan)(const Host* host, uint32_t flags);
};

// ---- Params ------------------------------------------------------------------------------------

enum ParamInfoFlags : uint32_t {
  kParamIsStepped = 1,  // the host truncates values to integers
  kParamIsPeriodic = 2,
  kParamIsHidden = 4,
  kParamIsReadonly = 8,
  kParamIsBypass = 16,
  kParamIsAutomatable = 32,
  kParamIsAutomatablePerNoteId = 64,
  kParamIsAutomatablePerKey = 128,
  kParamIsAutomatablePerChannel = 256,
  kParamIsAutomatablePerPort = 512,
  kParamIsModulatable = 1024,
  kParamIsModulatablePerNoteId = 2048,
  kParamIsModulatablePerKey = 4096,
  kParamIsModulatablePerChannel = 8192,
  kParamIsModulatablePerPort = 16384,
  kParamRequiresProcess = 32768,
  kParamIsEnum = 65536,  // needs kParamIsStepped and a text for every value
};

// The id never changes; the three values are plain and finite.
struct ParamInfo {
  Id id;
  uint32_t flags;
  void* cookie;  // handed back in events; invalid after a kParamRescanAll
  char name[kNameSize];
  char module[kPathSize];
  double min_value;
  double max_value;
  double default_value;
};

enum ParamRescanFlags : uint32_t {
  kParamRescanValues = 1,
  kParamRescanText = 2,
  kParamRescanInfo = 4,
  kParamRescanAll = 8,  // inactive only
};

enum ParamClearFlags : uint32_t {
  kParamClearAll = 1,
  kParamClearAutomations = 2,
  kParamClearModulations = 4,
};

struct PluginParams {
  uint32_t (*count)(const Plugin* plugin);                                        // [main]
  bool (*get_info)(const Plugin* plugin, uint32_t param_index, ParamInfo* info);  // [main]
  bool (*get_value)(const Plugin* plugin, Id param_id, double* value);            // [main]
  bool (*value_to_text)(const Plugin* plugin, Id param_id, double value, char* display,
                        uint32_t size);  // [main]
  bool (*text_to_value)(const Plugin* plugin, Id param_id, const char* display,
                        double* value);  // [main]
  // [audio] while active, [main] otherwise; never alongside process.
  void (*flush)(const Plugin* plugin, const InputEvents* in, const OutputEvents* out);
};

struct HostParams {
  void (*rescan)(const Host* host, uint32_t flags);              // [main]
  void (*clear)(const Host* host, Id param_id, uint32_t flags);  // [main]
  void (*request_flush)(const Host* host);                       // [any] except [audio]
};

// ---- State and streams -------------------------------------------------------------------------

// Both may move fewer bytes than asked: loop. read returns 0 at the end, -1 on error.
struct IStream {
  void* ctx;
  int64_t (*read)(const IStream* stream, void* buffer, uint64_t size);
};

struct OStream {
  void* ctx;
  int64_t (*write)(const OStream* stream, const void* buffer, uint64_t size);
};

// [main]; load may arrive while the plug-in is processing.
struct PluginState {
  bool (*save)(const Plugin* plugin, const OStream* stream);
  bool (*load)(const Plugin* plugin, const IStream* stream);
};

struct HostState {
  void (*mark_dirty)(const Host* host);  // [main]
};

// The context kinds of kExtStateContext (its method table is not declared here).
enum StateContextType : uint32_t {
  kStateContextForPreset = 1,
  kStateContextForDuplicate = 2,
  kStateContextForProject = 3,
};

// ---- GUI ---------------------------------------------------------------------------------------

inline constexpr char kWindowApiX11[] = "x11";
inline constexpr char kWindowApiWin32[] = "win32";
inline constexpr char kWindowApiCocoa[] = "cocoa";
inline constexpr char kWindowApiUikit[] = "uikit";
inline constexpr char kWindowApiWayland[] = "wayland";  // floating only

// X11 and Win32 sizes are physical pixels.
struct GuiWindow {
  const char* api;
  union {
    unsigned long x11;  // an X Window id: 8 bytes on Linux, 4 on Win64 (never used there)
    void* win32;        // HWND
    void* cocoa;
    void* uikit;
    void* ptr;
  };
};

struct GuiResizeHints {
  bool can_resize_horizontally;
  bool can_resize_vertically;
  bool preserve_aspect_ratio;
  uint32_t aspect_ratio_width;
  uint32_t aspect_ratio_height;
};

// Every method [main]. Embedded: is_api_supported, create, set_scale, can_resize, get_size (or
// set_size), set_parent, show, (hide, show)*, destroy.
struct PluginGui {
  bool (*is_api_supported)(const Plugin* plugin, const char* api, bool is_floating);
  bool (*get_preferred_api)(const Plugin* plugin, const char** api, bool* is_floating);
  bool (*create)(const Plugin* plugin, const char* api, bool is_floating);
  void (*destroy)(const Plugin* plugin);
  bool (*set_scale)(const Plugin* plugin, double scale);
  bool (*get_size)(const Plugin* plugin, uint32_t* width, uint32_t* height);
  bool (*can_resize)(const Plugin* plugin);
  bool (*get_resize_hints)(const Plugin* plugin, GuiResizeHints* hints);
  bool (*adjust_size)(const Plugin* plugin, uint32_t* width, uint32_t* height);
  bool (*set_size)(const Plugin* plugin, uint32_t width, uint32_t height);
  bool (*set_parent)(const Plugin* plugin, const GuiWindow* window);
  bool (*set_transient)(const Plugin* plugin, const GuiWindow* window);  // floating only
  void (*suggest_title)(const Plugin* plugin, const char* title);        // floating only
  bool (*show)(const Plugin* plugin);
  bool (*hide)(const Plugin* plugin);
};

// Every method [any].
struct HostGui {
  void (*resize_hints_changed)(const Host* host);
  bool (*request_resize)(const Host* host, uint32_t width, uint32_t height);
  bool (*request_show)(const Host* host);
  bool (*request_hide)(const Host* host);
  void (*closed)(const Host* host, bool was_destroyed);
};

// ---- Timer support -----------------------------------------------------------------------------

// Every method [main]. The host may stretch short periods.
struct PluginTimerSupport {
  void (*on_timer)(const Plugin* plugin, Id timer_id);
};

struct HostTimerSupport {
  bool (*register_timer)(const Host* host, uint32_t period_ms, Id* timer_id);
  bool (*unregister_timer)(const Host* host, Id timer_id);
};

// ---- POSIX fd support --------------------------------------------------------------------------

// Level-triggered: an interest fires again and again until it is removed.
enum PosixFdFlags : uint32_t {
  kPosixFdRead = 1,
  kPosixFdWrite = 2,
  kPosixFdError = 4,
};

// Every method [main].
struct PluginPosixFdSupport {
  void (*on_fd)(const Plugin* plugin, int fd, uint32_t flags);
};

struct HostPosixFdSupport {
  bool (*register_fd)(const Host* host, int fd, uint32_t flags);
  bool (*modify_fd)(const Host* host, int fd, uint32_t flags);  // new flags, registered fd
  bool (*unregister_fd)(const Host* host, int fd);
};

// ---- Latency -----------------------------------------------------------------------------------

// [main] while being activated or active; without the extension the latency is 0.
struct PluginLatency {
  uint32_t (*get)(const Plugin* plugin);
};

struct HostLatency {
  void (*changed)(const Host* host);  // [main] only while the plug-in is being activated
};

// ---- Thread check ------------------------------------------------------------------------------

// Every method [any].
struct HostThreadCheck {
  bool (*is_main_thread)(const Host* host);
  bool (*is_audio_thread)(const Host* host);
};

// ---- Log ---------------------------------------------------------------------------------------

enum LogSeverity : int32_t {
  kLogDebug = 0,
  kLogInfo = 1,
  kLogWarning = 2,
  kLogError = 3,
  kLogFatal = 4,
  kLogHostMisbehaving = 5,
  kLogPluginMisbehaving = 6,
};

struct HostLog {
  void (*log)(const Host* host, int32_t severity, const char* message);  // [any]
};

// ---- Render ------------------------------------------------------------------------------------

enum RenderMode : int32_t {
  kRenderRealtime = 0,
  kRenderOffline = 1,
};

// Every method [main].
struct PluginRender {
  bool (*has_hard_realtime_requirement)(const Plugin* plugin);
  bool (*set)(const Plugin* plugin, int32_t mode);
};

// ---- Layouts -----------------------------------------------------------------------------------

static_assert(sizeof(Version) == 12 && alignof(Version) == 4);
static_assert(offsetof(Version, revision) == 8);

static_assert(sizeof(PluginEntry) == 40 && alignof(PluginEntry) == 8);
static_assert(offsetof(PluginEntry, init) == 16);
static_assert(offsetof(PluginEntry, deinit) == 24);
static_assert(offsetof(PluginEntry, get_factory) == 32);

static_assert(sizeof(PluginFactory) == 24);
static_assert(offsetof(PluginFactory, create_plugin) == 16);

static_assert(sizeof(PluginDescriptor) == 88);
static_assert(offsetof(PluginDescriptor, id) == 16);
static_assert(offsetof(PluginDescriptor, name) == 24);
static_assert(offsetof(PluginDescriptor, vendor) == 32);
static_assert(offsetof(PluginDescriptor, support_url) == 56);
static_assert(offsetof(PluginDescriptor, version) == 64);
static_assert(offsetof(PluginDescriptor, description) == 72);
static_assert(offsetof(PluginDescriptor, features) == 80);

static_assert(sizeof(Plugin) == 96);
static_assert(offsetof(Plugin, plugin_data) == 8);
static_assert(offsetof(Plugin, init) == 16);
static_assert(offsetof(Plugin, activate) == 32);
static_assert(offsetof(Plugin, start_processing) == 48);
static_assert(offsetof(Plugin, reset) == 64);
static_assert(offsetof(Plugin, process) == 72);
static_assert(offsetof(Plugin, get_extension) == 80);
static_assert(offsetof(Plugin, on_main_thread) == 88);

static_assert(sizeof(Host) == 88);
static_assert(offsetof(Host, host_data) == 16);
static_assert(offsetof(Host, name) == 24);
static_assert(offsetof(Host, version) == 48);
static_assert(offsetof(Host, get_extension) == 56);
static_assert(offsetof(Host, request_restart) == 64);
static_assert(offsetof(Host, request_process) == 72);
static_assert(offsetof(Host, request_callback) == 80);

static_assert(sizeof(EventHeader) == 16 && alignof(EventHeader) == 4);
static_assert(offsetof(EventHeader, time) == 4);
static_assert(offsetof(EventHeader, space_id) == 8);
static_assert(offsetof(EventHeader, type) == 10);
static_assert(offsetof(EventHeader, flags) == 12);

static_assert(sizeof(EventNote) == 40 && alignof(EventNote) == 8);
static_assert(offsetof(EventNote, note_id) == 16);
static_assert(offsetof(EventNote, port_index) == 20);
static_assert(offsetof(EventNote, channel) == 22);
static_assert(offsetof(EventNote, key) == 24);
static_assert(offsetof(EventNote, velocity) == 32);

static_assert(sizeof(EventNoteExpression) == 40);
static_assert(offsetof(EventNoteExpression, note_id) == 20);
static_assert(offsetof(EventNoteExpression, port_index) == 24);
static_assert(offsetof(EventNoteExpression, key) == 28);
static_assert(offsetof(EventNoteExpression, value) == 32);

static_assert(sizeof(EventParamValue) == 56 && alignof(EventParamValue) == 8);
static_assert(offsetof(EventParamValue, param_id) == 16);
static_assert(offsetof(EventParamValue, cookie) == 24);
static_assert(offsetof(EventParamValue, note_id) == 32);
static_assert(offsetof(EventParamValue, port_index) == 36);
static_assert(offsetof(EventParamValue, channel) == 38);
static_assert(offsetof(EventParamValue, key) == 40);
static_assert(offsetof(EventParamValue, value) == 48);
static_assert(sizeof(EventParamMod) == 56);
static_assert(offsetof(EventParamMod, cookie) == 24);
static_assert(offsetof(EventParamMod, key) == 40);
static_assert(offsetof(EventParamMod, amount) == 48);

static_assert(sizeof(EventParamGesture) == 20 && alignof(EventParamGesture) == 4);
static_assert(offsetof(EventParamGesture, param_id) == 16);

static_assert(sizeof(EventTransport) == 104 && alignof(EventTransport) == 8);
static_assert(offsetof(EventTransport, flags) == 16);
static_assert(offsetof(EventTransport, song_pos_beats) == 24);
static_assert(offsetof(EventTransport, song_pos_seconds) == 32);
static_assert(offsetof(EventTransport, tempo) == 40);
static_assert(offsetof(EventTransport, tempo_inc) == 48);
static_assert(offsetof(EventTransport, loop_start_beats) == 56);
static_assert(offsetof(EventTransport, loop_end_seconds) == 80);
static_assert(offsetof(EventTransport, bar_start) == 88);
static_assert(offsetof(EventTransport, bar_number) == 96);
static_assert(offsetof(EventTransport, tsig_num) == 100);
static_assert(offsetof(EventTransport, tsig_denom) == 102);

static_assert(sizeof(EventMidi) == 24 && alignof(EventMidi) == 4);
static_assert(offsetof(EventMidi, port_index) == 16);
static_assert(offsetof(EventMidi, data) == 18);

static_assert(sizeof(EventMidiSysex) == 40 && alignof(EventMidiSysex) == 8);
static_assert(offsetof(EventMidiSysex, buffer) == 24);
static_assert(offsetof(EventMidiSysex, size) == 32);

static_assert(sizeof(EventMidi2) == 36 && alignof(EventMidi2) == 4);
static_assert(offsetof(EventMidi2, data) == 20);

static_assert(sizeof(InputEvents) == 24);
static_assert(offsetof(InputEvents, size) == 8);
static_assert(offsetof(InputEvents, get) == 16);
static_assert(sizeof(OutputEvents) == 16);
static_assert(offsetof(OutputEvents, try_push) == 8);

static_assert(sizeof(AudioBuffer) == 32);
static_assert(offsetof(AudioBuffer, data64) == 8);
static_assert(offsetof(AudioBuffer, channel_count) == 16);
static_assert(offsetof(AudioBuffer, latency) == 20);
static_assert(offsetof(AudioBuffer, constant_mask) == 24);

static_assert(sizeof(Process) == 64);
static_assert(offsetof(Process, frames_count) == 8);
static_assert(offsetof(Process, transport) == 16);
static_assert(offsetof(Process, audio_inputs) == 24);
static_assert(offsetof(Process, audio_outputs) == 32);
static_assert(offsetof(Process, audio_inputs_count) == 40);
static_assert(offsetof(Process, audio_outputs_count) == 44);
static_assert(offsetof(Process, in_events) == 48);
static_assert(offsetof(Process, out_events) == 56);

static_assert(sizeof(AudioPortInfo) == 288);
static_assert(offsetof(AudioPortInfo, name) == 4);
static_assert(offsetof(AudioPortInfo, flags) == 260);
static_assert(offsetof(AudioPortInfo, channel_count) == 264);
static_assert(offsetof(AudioPortInfo, port_type) == 272);
static_assert(offsetof(AudioPortInfo, in_place_pair) == 280);
static_assert(sizeof(PluginAudioPorts) == 16 && sizeof(HostAudioPorts) == 16);

static_assert(sizeof(NotePortInfo) == 268 && alignof(NotePortInfo) == 4);
static_assert(offsetof(NotePortInfo, supported_dialects) == 4);
static_assert(offsetof(NotePortInfo, preferred_dialect) == 8);
static_assert(offsetof(NotePortInfo, name) == 12);
static_assert(sizeof(PluginNotePorts) == 16 && sizeof(HostNotePorts) == 16);

static_assert(sizeof(ParamInfo) == 1320);
static_assert(offsetof(ParamInfo, flags) == 4);
static_assert(offsetof(ParamInfo, cookie) == 8);
static_assert(offsetof(ParamInfo, name) == 16);
static_assert(offsetof(ParamInfo, module) == 272);
static_assert(offsetof(ParamInfo, min_value) == 1296);
static_assert(offsetof(ParamInfo, max_value) == 1304);
static_assert(offsetof(ParamInfo, default_value) == 1312);
static_assert(sizeof(PluginParams) == 48);
static_assert(offsetof(PluginParams, value_to_text) == 24);
static_assert(offsetof(PluginParams, flush) == 40);
static_assert(sizeof(HostParams) == 24);
static_assert(offsetof(HostParams, request_flush) == 16);

static_assert(sizeof(IStream) == 16 && offsetof(IStream, read) == 8);
static_assert(sizeof(OStream) == 16 && offsetof(OStream, write) == 8);
static_assert(sizeof(PluginState) == 16 && offsetof(PluginState, load) == 8);
static_assert(sizeof(HostState) == 8);

static_assert(sizeof(GuiWindow) == 16);
static_assert(offsetof(GuiWindow, x11) == 8 && offsetof(GuiWindow, win32) == 8);
#ifdef _WIN32
static_assert(sizeof(GuiWindow::x11) == 4);
#else
static_assert(sizeof(GuiWindow::x11) == 8);
#endif
static_assert(sizeof(GuiResizeHints) == 12);
static_assert(offsetof(GuiResizeHints, preserve_aspect_ratio) == 2);
static_assert(offsetof(GuiResizeHints, aspect_ratio_width) == 4);
static_assert(offsetof(GuiResizeHints, aspect_ratio_height) == 8);
static_assert(sizeof(PluginGui) == 120);
static_assert(offsetof(PluginGui, set_scale) == 32);
static_assert(offsetof(PluginGui, set_size) == 72);
static_assert(offsetof(PluginGui, set_parent) == 80);
static_assert(offsetof(PluginGui, show) == 104);
static_assert(offsetof(PluginGui, hide) == 112);
static_assert(sizeof(HostGui) == 40);
static_assert(offsetof(HostGui, request_resize) == 8);
static_assert(offsetof(HostGui, closed) == 32);

static_assert(sizeof(PluginTimerSupport) == 8 && sizeof(HostTimerSupport) == 16);
static_assert(offsetof(HostTimerSupport, unregister_timer) == 8);
static_assert(sizeof(PluginPosixFdSupport) == 8 && sizeof(HostPosixFdSupport) == 24);
static_assert(offsetof(HostPosixFdSupport, modify_fd) == 8);
static_assert(offsetof(HostPosixFdSupport, unregister_fd) == 16);
static_assert(sizeof(PluginLatency) == 8 && sizeof(HostLatency) == 8);
static_assert(sizeof(HostThreadCheck) == 16);
static_assert(offsetof(HostThreadCheck, is_audio_thread) == 8);
static_assert(sizeof(HostLog) == 8);
static_assert(sizeof(PluginRender) == 16 && offsetof(PluginRender, set) == 8);

}  // namespace clap
