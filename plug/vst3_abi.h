// The VST 3 binary interface: the IDs, interfaces, records and constants a plug-in and a host
// share.
//
// Declared for x86-64 only, where Linux (g++) and Windows (mingw-w64) lay every record out alike
// with natural alignment and differ only in the byte order of IDs and in the result codes. The
// asserts at the end pin every record size and the key offsets.
//
// Interfaces are abstract classes whose vtables are the binary contract: pure virtual methods in
// slot order, no data, no overloads, and no virtual destructor (it would insert slots). Their
// destructors are protected so that nothing deletes an object through an interface; objects go
// away through release(). x86-64 has a single calling convention on each of the two systems, so
// the methods need no calling-convention annotation (32-bit Windows would need __stdcall and packs
// records differently, hence the assert below).
//
// Threads, as hosts call them: everything on the host's window thread except where a method says
// [audio] (the processing thread) or [audio in Ardour] (specified for the window thread, but
// Ardour 7.3 also calls it from its processing thread, so it must be real-time safe).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vst3 {

static_assert(sizeof(void*) == 8, "the VST 3 declarations here hold for x86-64 only");

// ---- Platform: Windows builds are COM compatible (GUID byte order, HRESULT codes) -------------
#ifdef _WIN32
constexpr bool kComCompatible = true;
#else
constexpr bool kComCompatible = false;
#endif

// ---- Basic types ---------------------------------------------------------------------------
using TBool = uint8_t;  // 0 false, anything else true
using tresult = int32_t;
using TChar = char16_t;        // UTF-16 code unit, never wchar_t
using String128 = TChar[128];  // NUL-terminated; decays to TChar* as a parameter
using FIDString = const char*;
using CString = const char*;
using TUID = char[16];  // an ID's 16 bytes; decays to a pointer as a parameter

using ParamID = uint32_t;
using ParamValue = double;  // normalised, 0 to 1
using SampleRate = double;
using TSamples = int64_t;
using TQuarterNotes = double;
using Sample32 = float;
using Sample64 = double;
using MediaType = int32_t;
using BusDirection = int32_t;
using BusType = int32_t;
using IoMode = int32_t;
using UnitID = int32_t;
using ProgramListID = int32_t;
using KnobMode = int32_t;
using CtrlNumber = int16_t;
using SpeakerArrangement = uint64_t;  // one bit per speaker
using Speaker = uint64_t;
using NoteExpressionTypeID = uint32_t;
using FileDescriptor = int;
using TimerInterval = uint64_t;  // milliseconds

// Plug-ins use IDs up to 0x7FFFFFFF; the rest belongs to hosts.
constexpr ParamID kNoParamId = 0xFFFFFFFF;

// ---- Result codes: COM's HRESULTs on Windows, small integers elsewhere ------------------------
constexpr tresult ResultCode(int32_t plain, uint32_t com) {
  return kComCompatible ? static_cast<tresult>(com) : plain;
}
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = kResultOk;
constexpr tresult kResultFalse = 1;
constexpr tresult kNoInterface = ResultCode(-1, 0x80004002);
constexpr tresult kInvalidArgument = ResultCode(2, 0x80070057);
constexpr tresult kNotImplemented = ResultCode(3, 0x80004001);
constexpr tresult kInternalError = ResultCode(4, 0x80004005);
constexpr tresult kNotInitialized = ResultCode(5, 0x8000FFFF);
constexpr tresult kOutOfMemory = ResultCode(6, 0x8007000E);

// ---- Interface and class IDs ------------------------------------------------------------------
// An ID as published: four 32-bit words. Its text form, the 32 hex digits of the words in order,
// is the same on every system; its 16 bytes in memory are not.
struct Uid {
  uint32_t l1, l2, l3, l4;
};

enum class UidLayout {
  kWordsMsbFirst,  // Linux and macOS: the four words, most significant byte first
  kComGuid,        // Windows: a GUID, whose first word and the halves of the second are LSB first
};
constexpr UidLayout kNativeUidLayout =
    kComCompatible ? UidLayout::kComGuid : UidLayout::kWordsMsbFirst;

using UidBytes = std::array<char, 16>;

// The one place that lays an ID out in memory.
constexpr UidBytes ToBytes(const Uid& id, UidLayout layout = kNativeUidLayout) {
  const uint32_t words[4] = {id.l1, id.l2, id.l3, id.l4};
  UidBytes bytes{};
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(words[i / 4] >> (24 - 8 * (i % 4)));
  if (layout == UidLayout::kComGuid) {
    auto reverse = [&bytes](size_t from, size_t to) {
      while (from < --to) {
        const char c = bytes[from];
        bytes[from++] = bytes[to];
        bytes[to] = c;
      }
    };
    reverse(0, 4);
    reverse(4, 6);
    reverse(6, 8);
  }
  return bytes;
}

// 32 upper-case hex digits and a terminating NUL.
constexpr std::array<char, 33> ToText(const Uid& id) {
  const uint32_t words[4] = {id.l1, id.l2, id.l3, id.l4};
  std::array<char, 33> text{};
  for (size_t i = 0; i < 32; ++i)
    text[i] = "0123456789ABCDEF"[words[i / 8] >> (28 - 4 * (i % 8)) & 0xF];
  return text;
}

// The native bytes of an interface's ID, for queryInterface and createInstance.
template <class Interface>
inline constexpr UidBytes kIid = ToBytes(Interface::kUid);

// Whether the 16 bytes a caller passed are the given ID; a null pointer matches nothing.
constexpr bool SameUid(const char* tuid, const UidBytes& id) {
  if (tuid == nullptr) return false;
  for (size_t i = 0; i < id.size(); ++i)
    if (tuid[i] != id[i]) return false;
  return true;
}

template <class Interface>
constexpr bool IsIid(const char* tuid) {
  return SameUid(tuid, kIid<Interface>);
}

// The class ID under which hosts look for the VST 3 successor of a VST 2 plug-in saved in a song:
// "VST" ("VSE" for a separate controller class), the VST 2 unique ID MSB first, then the first
// nine bytes of the effect name in lower case, padded with zeros.
constexpr Uid Vst2SuccessorUid(int32_t vst2UniqueId, std::string_view name,
                               bool controller = false) {
  uint8_t bytes[16] = {'V', 'S', static_cast<uint8_t>(controller ? 'E' : 'T')};
  const auto id = static_cast<uint32_t>(vst2UniqueId);
  for (size_t i = 0; i < 4; ++i) bytes[3 + i] = static_cast<uint8_t>(id >> (24 - 8 * i));
  for (size_t i = 0; i < 9 && i < name.size(); ++i) {
    const char c = name[i];
    bytes[7 + i] = static_cast<uint8_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  uint32_t words[4] = {};
  for (size_t i = 0; i < 16; ++i) words[i / 4] = words[i / 4] << 8 | bytes[i];
  return {words[0], words[1], words[2], words[3]};
}

// ---- Module entry points: the exported names and their signatures -----------------------------
class IPluginFactory;
using GetPluginFactoryProc = IPluginFactory* (*)();  // returns one reference, owned by the caller
using ModuleEntryProc = bool (*)(void* sharedLibraryHandle);  // Linux, required by Ardour
using ModuleExitProc = bool (*)();                            // Linux, required by Ardour
using InitDllProc = bool (*)();                               // Windows, optional
using ExitDllProc = bool (*)();                               // Windows, optional
constexpr const char* kGetPluginFactoryName = "GetPluginFactory";
constexpr const char* kModuleEntryName = "ModuleEntry";
constexpr const char* kModuleExitName = "ModuleExit";
constexpr const char* kInitDllName = "InitDll";
constexpr const char* kExitDllName = "ExitDll";

// Inside NAME.vst3/, the library is <folder>/NAME<suffix>.
constexpr std::string_view kBundleBinaryFolder =
    kComCompatible ? "Contents/x86_64-win" : "Contents/x86_64-linux";
constexpr std::string_view kBundleBinarySuffix = kComCompatible ? ".vst3" : ".so";

// ---- FUnknown: identity and reference counting, slots 0 to 2 of every interface ---------------
class FUnknown {
 public:
  static constexpr Uid kUid{0x00000000, 0x00000000, 0xC0000000, 0x00000046};
  // On success *obj is the sub-object for iid with one reference added; else null and
  // kNoInterface.
  virtual tresult queryInterface(const TUID iid, void** obj) = 0;
  virtual uint32_t addRef() = 0;   // thread-safe; returns the new count
  virtual uint32_t release() = 0;  // thread-safe; destroys the object at 0

 protected:
  ~FUnknown() = default;
};

// ---- Factory records and the factory, the module's only export --------------------------------
struct PFactoryInfo {
  enum FactoryFlags : int32_t {
    kNoFlags = 0,
    kClassesDiscardable = 1 << 0,
    kLicenseCheck = 1 << 1,  // deprecated
    kComponentNonDiscardable = 1 << 3,
    kUnicode = 1 << 4,  // the usual value
  };
  static constexpr size_t kNameSize = 64, kURLSize = 256, kEmailSize = 128;
  char vendor[kNameSize];
  char url[kURLSize];
  char email[kEmailSize];
  int32_t flags;
};

constexpr int32_t kManyInstances = 0x7FFFFFFF;
constexpr const char* kAudioModuleClass = "Audio Module Class";  // the only category Ardour scans
constexpr const char* kComponentControllerClass = "Component Controller Class";

enum ComponentFlags : uint32_t { kDistributable = 1 << 0, kSimpleModeSupported = 1 << 1 };

// Sub-categories, joined with '|'. Ardour treats any string containing "Instrument" as an
// instrument, which keeps its MIDI output on audio tracks under strict I/O.
constexpr const char* kSubFx = "Fx";
constexpr const char* kSubFxInstrument = "Fx|Instrument";
constexpr const char* kSubFxGenerator = "Fx|Generator";
constexpr const char* kSubFxTools = "Fx|Tools";
constexpr const char* kSubInstrument = "Instrument";
constexpr const char* kSubInstrumentSynth = "Instrument|Synth";
constexpr const char* kSubMono = "Mono";
constexpr const char* kSubStereo = "Stereo";

struct PClassInfo {
  static constexpr size_t kCategorySize = 32, kNameSize = 64;
  TUID cid;
  int32_t cardinality;  // kManyInstances
  char category[kCategorySize];
  char name[kNameSize];
};

struct PClassInfo2 {
  static constexpr size_t kCategorySize = 32, kNameSize = 64, kVendorSize = 64, kVersionSize = 64,
                          kSubCategoriesSize = 128;
  TUID cid;
  int32_t cardinality;
  char category[kCategorySize];
  char name[kNameSize];
  uint32_t classFlags;  // ComponentFlags
  char subCategories[kSubCategoriesSize];
  char vendor[kVendorSize];  // empty: the factory's vendor
  char version[kVersionSize];
  char sdkVersion[kVersionSize];  // free text such as "VST 3.7.14"
};

// As PClassInfo2 with UTF-16 texts, except category and subCategories.
struct PClassInfoW {
  static constexpr size_t kCategorySize = 32, kNameSize = 64, kVendorSize = 64, kVersionSize = 64,
                          kSubCategoriesSize = 128;
  TUID cid;
  int32_t cardinality;
  char category[kCategorySize];
  TChar name[kNameSize];
  uint32_t classFlags;
  char subCategories[kSubCategoriesSize];
  TChar vendor[kVendorSize];
  TChar version[kVersionSize];
  TChar sdkVersion[kVersionSize];
};

class IPluginFactory : public FUnknown {
 public:
  static constexpr Uid kUid{0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F};
  virtual tresult getFactoryInfo(PFactoryInfo* info) = 0;
  virtual int32_t countClasses() = 0;
  virtual tresult getClassInfo(int32_t index, PClassInfo* info) = 0;
  // cid and iid each point to 16 ID bytes. The new object comes with one reference.
  virtual tresult createInstance(FIDString cid, FIDString iid, void** obj) = 0;

 protected:
  ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
 public:
  static constexpr Uid kUid{0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB};
  virtual tresult getClassInfo2(int32_t index, PClassInfo2* info) = 0;

 protected:
  ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
 public:
  static constexpr Uid kUid{0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931};
  virtual tresult getClassInfoUnicode(int32_t index, PClassInfoW* info) = 0;
  virtual tresult setHostContext(FUnknown* context) = 0;

 protected:
  ~IPluginFactory3() = default;
};

// ---- IPluginBase: the life cycle shared by component and controller ---------------------------
class IPluginBase : public FUnknown {
 public:
  static constexpr Uid kUid{0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625};
  // Ardour calls both twice on an object that is component and controller at once.
  virtual tresult initialize(FUnknown* context) = 0;
  virtual tresult terminate() = 0;

 protected:
  ~IPluginBase() = default;
};

// ---- Host streams: saved state is read and written through them -------------------------------
class IBStream : public FUnknown {
 public:
  static constexpr Uid kUid{0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B};
  enum IStreamSeekMode : int32_t { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };
  // The count pointers may be null. A read at the end succeeds with fewer bytes.
  virtual tresult read(void* buffer, int32_t numBytes, int32_t* numBytesRead) = 0;
  virtual tresult write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) = 0;
  virtual tresult seek(int64_t pos, int32_t mode, int64_t* result) = 0;
  virtual tresult tell(int64_t* pos) = 0;

 protected:
  ~IBStream() = default;
};

// ---- Buses and processing constants ------------------------------------------------------------
enum MediaTypes : int32_t { kAudio = 0, kEvent = 1, kNumMediaTypes = 2 };
enum BusDirections : int32_t { kInput = 0, kOutput = 1 };
enum BusTypes : int32_t { kMain = 0, kAux = 1 };  // main buses come first
enum IoModes : int32_t { kSimple = 0, kAdvanced = 1, kOfflineProcessing = 2 };
enum SymbolicSampleSizes : int32_t { kSample32 = 0, kSample64 = 1 };
enum ProcessModes : int32_t { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
constexpr uint32_t kNoTail = 0;
constexpr uint32_t kInfiniteTail = 0xFFFFFFFF;

constexpr Speaker kSpeakerL = 1 << 0;
constexpr Speaker kSpeakerR = 1 << 1;
constexpr Speaker kSpeakerC = 1 << 2;
constexpr Speaker kSpeakerLfe = 1 << 3;
constexpr Speaker kSpeakerLs = 1 << 4;
constexpr Speaker kSpeakerRs = 1 << 5;
constexpr Speaker kSpeakerM = 1 << 19;
constexpr SpeakerArrangement kArrEmpty = 0;
constexpr SpeakerArrangement kArrMono = kSpeakerM;
constexpr SpeakerArrangement kArrStereo = kSpeakerL | kSpeakerR;

struct BusInfo {
  enum BusFlags : uint32_t { kDefaultActive = 1 << 0, kIsControlVoltage = 1 << 1 };
  MediaType mediaType;
  BusDirection direction;
  int32_t channelCount;
  String128 name;
  BusType busType;
  uint32_t flags;
};

struct RoutingInfo {
  MediaType mediaType;
  int32_t busIndex;
  int32_t channel;  // -1: all channels
};

// ---- IComponent: buses, activation and the processor's state ---------------------------------
class IComponent : public IPluginBase {
 public:
  static constexpr Uid kUid{0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802};
  // A single class that is its own controller answers kResultFalse.
  virtual tresult getControllerClassId(TUID classId) = 0;
  virtual tresult setIoMode(IoMode mode) = 0;
  virtual int32_t getBusCount(MediaType type, BusDirection dir) = 0;
  virtual tresult getBusInfo(MediaType type, BusDirection dir, int32_t index, BusInfo& bus) = 0;
  virtual tresult getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
  virtual tresult activateBus(MediaType type, BusDirection dir, int32_t index, TBool state) = 0;
  virtual tresult setActive(TBool state) = 0;
  // Ardour's save stream already holds a header: write from the current position.
  virtual tresult setState(IBStream* state) = 0;
  virtual tresult getState(IBStream* state) = 0;  // concurrently with process in Ardour

 protected:
  ~IComponent() = default;
};

// ---- Processing records ------------------------------------------------------------------------
struct ProcessSetup {
  int32_t processMode;         // ProcessModes
  int32_t symbolicSampleSize;  // SymbolicSampleSizes
  int32_t maxSamplesPerBlock;
  SampleRate sampleRate;
};

struct AudioBusBuffers {
  int32_t numChannels;
  uint64_t silenceFlags;  // bit per channel
  union {
    Sample32** channelBuffers32;
    Sample64** channelBuffers64;
  };
};

struct FrameRate {
  enum FrameRateFlags : uint32_t { kPullDownRate = 1 << 0, kDropRate = 1 << 1 };
  uint32_t framesPerSecond;
  uint32_t flags;
};

struct Chord {
  uint8_t keyNote;
  uint8_t rootNote;
  int16_t chordMask;  // bit 0 the minor second; 0x0FFF used
};

struct ProcessContext {
  enum StatesAndFlags : uint32_t {
    kPlaying = 1 << 1,
    kCycleActive = 1 << 2,
    kRecording = 1 << 3,
    kSystemTimeValid = 1 << 8,
    kProjectTimeMusicValid = 1 << 9,
    kTempoValid = 1 << 10,
    kBarPositionValid = 1 << 11,
    kCycleValid = 1 << 12,
    kTimeSigValid = 1 << 13,
    kSmpteValid = 1 << 14,
    kClockValid = 1 << 15,
    kContTimeValid = 1 << 17,
    kChordValid = 1 << 18,
  };
  uint32_t state;
  SampleRate sampleRate;
  TSamples projectTimeSamples;
  int64_t systemTime;  // nanoseconds (Ardour 7.3 gives microseconds)
  TSamples continousTimeSamples;
  TQuarterNotes projectTimeMusic;
  TQuarterNotes barPositionMusic;  // Ardour 7.3: bar number times 4, not usable
  TQuarterNotes cycleStartMusic;
  TQuarterNotes cycleEndMusic;
  double tempo;  // quarter notes per minute
  int32_t timeSigNumerator;
  int32_t timeSigDenominator;
  Chord chord;
  int32_t smpteOffsetSubframes;  // 1/80 of a frame
  FrameRate frameRate;
  int32_t samplesToNextClock;
};

class IParameterChanges;
class IEventList;

struct ProcessData {
  int32_t processMode;
  int32_t symbolicSampleSize;
  int32_t numSamples;
  int32_t numInputs;   // audio buses
  int32_t numOutputs;  // audio buses
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;
};

// ---- IAudioProcessor: set-up and the process call, queried on the component ------------------
class IAudioProcessor : public FUnknown {
 public:
  static constexpr Uid kUid{0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D};
  // [audio in Ardour] with setActive and activateBus, when connections change mid-session.
  virtual tresult setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                     SpeakerArrangement* outputs, int32_t numOuts) = 0;
  virtual tresult getBusArrangement(BusDirection dir, int32_t index, SpeakerArrangement& arr) = 0;
  virtual tresult canProcessSampleSize(int32_t symbolicSampleSize) = 0;
  virtual uint32_t getLatencySamples() = 0;
  virtual tresult setupProcessing(ProcessSetup& setup) = 0;
  virtual tresult setProcessing(TBool state) = 0;  // window or [audio] thread
  virtual tresult process(ProcessData& data) = 0;  // [audio]
  virtual uint32_t getTailSamples() = 0;

 protected:
  ~IAudioProcessor() = default;
};

// Tells hosts which ProcessContext fields the plug-in reads.
class IProcessContextRequirements : public FUnknown {
 public:
  static constexpr Uid kUid{0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0};
  enum Flags : uint32_t {
    kNeedSystemTime = 1 << 0,
    kNeedContinousTimeSamples = 1 << 1,
    kNeedProjectTimeMusic = 1 << 2,
    kNeedBarPositionMusic = 1 << 3,
    kNeedCycleMusic = 1 << 4,
    kNeedSamplesToNextClock = 1 << 5,
    kNeedTempo = 1 << 6,
    kNeedTimeSignature = 1 << 7,
    kNeedChord = 1 << 8,
    kNeedFrameRate = 1 << 9,
    kNeedTransportState = 1 << 10,  // playing, cycle active, recording
  };
  virtual uint32_t getProcessContextRequirements() = 0;

 protected:
  ~IProcessContextRequirements() = default;
};

// ---- Events: the MIDI-like traffic of the event buses -----------------------------------------
struct NoteOnEvent {
  int16_t channel;
  int16_t pitch;   // 0 to 127
  float tuning;    // cents
  float velocity;  // 0 to 1
  int32_t length;  // frames; optional
  int32_t noteId;  // -1: none
};

struct NoteOffEvent {
  int16_t channel;
  int16_t pitch;
  float velocity;
  int32_t noteId;
  float tuning;
};

struct DataEvent {
  enum DataTypes : uint32_t { kMidiSysEx = 0 };
  uint32_t size;  // bytes
  uint32_t type;
  const uint8_t* bytes;  // valid until process returns
};

struct PolyPressureEvent {
  int16_t channel;
  int16_t pitch;
  float pressure;  // 0 to 1
  int32_t noteId;
};

struct NoteExpressionValueEvent {
  NoteExpressionTypeID typeId;
  int32_t noteId;
  double value;
};

struct NoteExpressionTextEvent {
  NoteExpressionTypeID typeId;
  int32_t noteId;
  uint32_t textLen;
  const TChar* text;
};

struct ChordEvent {
  int16_t root;
  int16_t bassNote;
  int16_t mask;
  uint16_t textLen;
  const TChar* text;
};

struct ScaleEvent {
  int16_t root;
  int16_t mask;  // bit 0 is C
  uint16_t textLen;
  const TChar* text;
};

// A MIDI message other than a note: controlNumber is a controller 0 to 127 or one of
// kAfterTouch, kPitchBend (value the low 7 bits, value2 the high), kCtrlProgramChange,
// kCtrlPolyPressure (value the key, value2 the pressure) or kCtrlQuarterFrame.
struct LegacyMIDICCOutEvent {
  uint8_t controlNumber;
  int8_t channel;  // 0 to 15
  int8_t value;    // 0 to 127
  int8_t value2;
};

// Zero all 48 bytes (memset) before filling one: braces leave the padding and the union's tail
// unspecified.
struct Event {
  enum EventFlags : uint16_t {
    kIsLive = 1 << 0,
    kUserReserved1 = 1 << 14,
    kUserReserved2 = 1 << 15
  };
  enum EventTypes : uint16_t {
    kNoteOnEvent = 0,
    kNoteOffEvent = 1,
    kDataEvent = 2,
    kPolyPressureEvent = 3,
    kNoteExpressionValueEvent = 4,
    kNoteExpressionTextEvent = 5,
    kChordEvent = 6,
    kScaleEvent = 7,
    kLegacyMIDICCOutEvent = 65535,
  };
  int32_t busIndex;
  int32_t sampleOffset;  // frames from the start of the block
  TQuarterNotes ppqPosition;
  uint16_t flags;  // EventFlags
  uint16_t type;   // EventTypes
  union {
    NoteOnEvent noteOn;
    NoteOffEvent noteOff;
    DataEvent data;
    PolyPressureEvent polyPressure;
    NoteExpressionValueEvent noteExpressionValue;
    NoteExpressionTextEvent noteExpressionText;
    ChordEvent chord;
    ScaleEvent scale;
    LegacyMIDICCOutEvent midiCCOut;
  };
};

// Hosts never use these note IDs.
constexpr int32_t kFirstPluginNoteId = -10000;
constexpr int32_t kLastPluginNoteId = -1000;

// Controller numbers beyond MIDI's 0 to 127.
enum ControllerNumbers : CtrlNumber {
  kAfterTouch = 128,  // channel pressure
  kPitchBend = 129,
  kCountCtrlNumber = 130,
  // Only in LegacyMIDICCOutEvent:
  kCtrlProgramChange = 130,
  kCtrlPolyPressure = 131,
  kCtrlQuarterFrame = 132,
};

// [audio] Host-owned event lists of one process call.
class IEventList : public FUnknown {
 public:
  static constexpr Uid kUid{0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44};
  virtual int32_t getEventCount() = 0;
  virtual tresult getEvent(int32_t index, Event& e) = 0;  // copies out
  virtual tresult addEvent(Event& e) = 0;                 // copies in

 protected:
  ~IEventList() = default;
};

// ---- Parameter changes of one process call, host-owned ----------------------------------------
// [audio] One parameter's points, in the order of their offsets.
class IParamValueQueue : public FUnknown {
 public:
  static constexpr Uid kUid{0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA};
  virtual ParamID getParameterId() = 0;
  virtual int32_t getPointCount() = 0;
  // Offsets may equal numSamples: Ardour adds a point at the block's end.
  virtual tresult getPoint(int32_t index, int32_t& sampleOffset, ParamValue& value) = 0;
  virtual tresult addPoint(int32_t sampleOffset, ParamValue value, int32_t& index) = 0;

 protected:
  ~IParamValueQueue() = default;
};

// [audio]
class IParameterChanges : public FUnknown {
 public:
  static constexpr Uid kUid{0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D};
  virtual int32_t getParameterCount() = 0;
  virtual IParamValueQueue* getParameterData(int32_t index) = 0;  // null when out of range
  // The ID is passed by reference (a pointer); an ID already present gives its queue.
  virtual IParamValueQueue* addParameterData(const ParamID& id, int32_t& index) = 0;

 protected:
  ~IParameterChanges() = default;
};

// ---- Controller records and constants ----------------------------------------------------------
struct ParameterInfo {
  enum ParameterFlags : int32_t {
    kNoFlags = 0,
    kCanAutomate = 1 << 0,
    kIsReadOnly = 1 << 1,
    kIsWrapAround = 1 << 2,
    kIsList = 1 << 3,
    kIsHidden = 1 << 4,
    kIsProgramChange = 1 << 15,
    kIsBypass = 1 << 16,
  };
  ParamID id;
  String128 title;
  String128 shortTitle;
  String128 units;
  int32_t stepCount;  // 0 continuous, 1 a toggle, n: n + 1 values
  ParamValue defaultNormalizedValue;
  UnitID unitId;
  int32_t flags;  // ParameterFlags
};

enum RestartFlags : int32_t {
  kReloadComponent = 1 << 0,
  kIoChanged = 1 << 1,
  kParamValuesChanged = 1 << 2,
  kLatencyChanged = 1 << 3,
  kParamTitlesChanged = 1 << 4,
  kMidiCCAssignmentChanged = 1 << 5,
  kNoteExpressionChanged = 1 << 6,
  kIoTitlesChanged = 1 << 7,
  kPrefetchableSupportChanged = 1 << 8,
  kRoutingInfoChanged = 1 << 9,
  kKeyswitchChanged = 1 << 10,
  kParamIDMappingChanged = 1 << 11,
};

enum KnobModes : KnobMode { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

// ---- Host side of the controller: edits and restarts go through it ----------------------------
// Call only from the host's window thread.
class IComponentHandler : public FUnknown {
 public:
  static constexpr Uid kUid{0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6};
  virtual tresult beginEdit(ParamID id) = 0;
  virtual tresult performEdit(ParamID id, ParamValue valueNormalized) = 0;
  virtual tresult endEdit(ParamID id) = 0;
  virtual tresult restartComponent(int32_t flags) = 0;  // RestartFlags

 protected:
  ~IComponentHandler() = default;
};

// ---- Editor view and its host frame ------------------------------------------------------------
constexpr const char* kEditor = "editor";  // the view name passed to createView
constexpr const char* kPlatformTypeHWND = "HWND";
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";
constexpr const char* kNativePlatformType =
    kComCompatible ? kPlatformTypeHWND : kPlatformTypeX11EmbedWindowID;

struct ViewRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

class IPlugFrame;

class IPlugView : public FUnknown {
 public:
  static constexpr Uid kUid{0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29};
  virtual tresult isPlatformTypeSupported(FIDString type) = 0;
  // parent is an HWND, or an X11 Window ID cast to a pointer.
  virtual tresult attached(void* parent, FIDString type) = 0;
  virtual tresult removed() = 0;  // unregister run-loop handlers here
  virtual tresult onWheel(float distance) = 0;
  virtual tresult onKeyDown(TChar key, int16_t keyCode, int16_t modifiers) = 0;
  virtual tresult onKeyUp(TChar key, int16_t keyCode, int16_t modifiers) = 0;
  virtual tresult getSize(ViewRect* size) = 0;
  virtual tresult onSize(ViewRect* newSize) = 0;
  virtual tresult onFocus(TBool state) = 0;
  virtual tresult setFrame(IPlugFrame* frame) = 0;  // before attached; null before release
  virtual tresult canResize() = 0;
  virtual tresult checkSizeConstraint(ViewRect* rect) = 0;

 protected:
  ~IPlugView() = default;
};

// On Linux it may also answer IRunLoop.
class IPlugFrame : public FUnknown {
 public:
  static constexpr Uid kUid{0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3};
  virtual tresult resizeView(IPlugView* view, ViewRect* newSize) = 0;

 protected:
  ~IPlugFrame() = default;
};

// ---- Linux run loop: the host's window thread calls the editor back through it ---------------
class IEventHandler : public FUnknown {
 public:
  static constexpr Uid kUid{0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983};
  virtual void onFDIsSet(FileDescriptor fd) = 0;

 protected:
  ~IEventHandler() = default;
};

class ITimerHandler : public FUnknown {
 public:
  static constexpr Uid kUid{0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9};
  virtual void onTimer() = 0;

 protected:
  ~ITimerHandler() = default;
};

// The host keeps the raw handler pointers until they are unregistered.
class IRunLoop : public FUnknown {
 public:
  static constexpr Uid kUid{0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389};
  virtual tresult registerEventHandler(IEventHandler* handler, FileDescriptor fd) = 0;
  virtual tresult unregisterEventHandler(IEventHandler* handler) = 0;
  virtual tresult registerTimer(ITimerHandler* handler, TimerInterval milliseconds) = 0;
  virtual tresult unregisterTimer(ITimerHandler* handler) = 0;

 protected:
  ~IRunLoop() = default;
};

// ---- IEditController: parameters, controller state and the editor ----------------------------
class IEditController : public IPluginBase {
 public:
  static constexpr Uid kUid{0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E};
  virtual tresult setComponentState(IBStream* state) = 0;
  virtual tresult setState(IBStream* state) = 0;
  virtual tresult getState(IBStream* state) = 0;
  virtual int32_t getParameterCount() = 0;
  virtual tresult getParameterInfo(int32_t paramIndex, ParameterInfo& info) = 0;
  virtual tresult getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                        String128 string) = 0;
  virtual tresult getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) = 0;
  virtual ParamValue normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
  // [audio in Ardour]
  virtual ParamValue plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
  virtual ParamValue getParamNormalized(ParamID id) = 0;
  // [audio in Ardour] on a MIDI program change.
  virtual tresult setParamNormalized(ParamID id, ParamValue value) = 0;
  virtual tresult setComponentHandler(IComponentHandler* handler) = 0;  // null at teardown
  virtual IPlugView* createView(FIDString name) = 0;  // one reference; must not open a display

 protected:
  ~IEditController() = default;
};

class IEditController2 : public FUnknown {
 public:
  static constexpr Uid kUid{0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038};
  virtual tresult setKnobMode(KnobMode mode) = 0;
  virtual tresult openHelp(TBool onlyCheck) = 0;
  virtual tresult openAboutBox(TBool onlyCheck) = 0;

 protected:
  ~IEditController2() = default;
};

// Incoming MIDI controllers, channel pressure and pitch bend reach the plug-in only as the
// parameter changes this mapping names.
class IMidiMapping : public FUnknown {
 public:
  static constexpr Uid kUid{0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5};
  // [audio in Ardour] kResultOk with id set when mapped.
  virtual tresult getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                              CtrlNumber midiControllerNumber, ParamID& id) = 0;

 protected:
  ~IMidiMapping() = default;
};

// ---- Units and program lists: how hosts name the presets of a program-change parameter -------
constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;
constexpr ProgramListID kNoProgramListId = -1;
constexpr int32_t kAllProgramInvalid = -1;

struct UnitInfo {
  UnitID id;
  UnitID parentUnitId;
  String128 name;
  ProgramListID programListId;
};

struct ProgramListInfo {
  ProgramListID id;
  String128 name;
  int32_t programCount;
};

class IUnitInfo : public FUnknown {
 public:
  static constexpr Uid kUid{0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1};
  virtual int32_t getUnitCount() = 0;
  virtual tresult getUnitInfo(int32_t unitIndex, UnitInfo& info) = 0;
  virtual int32_t getProgramListCount() = 0;
  virtual tresult getProgramListInfo(int32_t listIndex, ProgramListInfo& info) = 0;
  virtual tresult getProgramName(ProgramListID listId, int32_t programIndex, String128 name) = 0;
  virtual tresult getProgramInfo(ProgramListID listId, int32_t programIndex, CString attributeId,
                                 String128 attributeValue) = 0;
  virtual tresult hasProgramPitchNames(ProgramListID listId, int32_t programIndex) = 0;
  virtual tresult getProgramPitchName(ProgramListID listId, int32_t programIndex, int16_t midiPitch,
                                      String128 name) = 0;
  virtual UnitID getSelectedUnit() = 0;
  virtual tresult selectUnit(UnitID unitId) = 0;
  virtual tresult getUnitByBus(MediaType type, BusDirection dir, int32_t busIndex, int32_t channel,
                               UnitID& unitId) = 0;
  virtual tresult setUnitProgramData(int32_t listOrUnitId, int32_t programIndex,
                                     IBStream* data) = 0;

 protected:
  ~IUnitInfo() = default;
};

// ---- IHostApplication: the context passed to initialize ---------------------------------------
class IHostApplication : public FUnknown {
 public:
  static constexpr Uid kUid{0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5};
  virtual tresult getName(String128 name) = 0;
  virtual tresult createInstance(TUID cid, TUID iid, void** obj) = 0;

 protected:
  ~IHostApplication() = default;
};

// ---- Layouts: identical for x86-64 g++ and mingw-w64 ------------------------------------------
static_assert(sizeof(FUnknown) == sizeof(void*) && sizeof(IComponent) == sizeof(void*));

static_assert(sizeof(PFactoryInfo) == 452 && alignof(PFactoryInfo) == 4);
static_assert(offsetof(PFactoryInfo, url) == 64);
static_assert(offsetof(PFactoryInfo, email) == 320);
static_assert(offsetof(PFactoryInfo, flags) == 448);

static_assert(sizeof(PClassInfo) == 116 && alignof(PClassInfo) == 4);
static_assert(offsetof(PClassInfo, cardinality) == 16);
static_assert(offsetof(PClassInfo, category) == 20);
static_assert(offsetof(PClassInfo, name) == 52);

static_assert(sizeof(PClassInfo2) == 440 && alignof(PClassInfo2) == 4);
static_assert(offsetof(PClassInfo2, name) == 52);
static_assert(offsetof(PClassInfo2, classFlags) == 116);
static_assert(offsetof(PClassInfo2, subCategories) == 120);
static_assert(offsetof(PClassInfo2, vendor) == 248);
static_assert(offsetof(PClassInfo2, version) == 312);
static_assert(offsetof(PClassInfo2, sdkVersion) == 376);

static_assert(sizeof(PClassInfoW) == 696 && alignof(PClassInfoW) == 4);
static_assert(offsetof(PClassInfoW, name) == 52);
static_assert(offsetof(PClassInfoW, classFlags) == 180);
static_assert(offsetof(PClassInfoW, subCategories) == 184);
static_assert(offsetof(PClassInfoW, vendor) == 312);
static_assert(offsetof(PClassInfoW, version) == 440);
static_assert(offsetof(PClassInfoW, sdkVersion) == 568);

static_assert(sizeof(BusInfo) == 276 && alignof(BusInfo) == 4);
static_assert(offsetof(BusInfo, name) == 12);
static_assert(offsetof(BusInfo, busType) == 268);
static_assert(offsetof(BusInfo, flags) == 272);
static_assert(sizeof(RoutingInfo) == 12 && offsetof(RoutingInfo, channel) == 8);

static_assert(sizeof(ProcessSetup) == 24 && alignof(ProcessSetup) == 8);
static_assert(offsetof(ProcessSetup, maxSamplesPerBlock) == 8);
static_assert(offsetof(ProcessSetup, sampleRate) == 16);

static_assert(sizeof(AudioBusBuffers) == 24 && alignof(AudioBusBuffers) == 8);
static_assert(offsetof(AudioBusBuffers, silenceFlags) == 8);
static_assert(offsetof(AudioBusBuffers, channelBuffers32) == 16);
static_assert(offsetof(AudioBusBuffers, channelBuffers64) == 16);

static_assert(sizeof(ProcessData) == 80 && alignof(ProcessData) == 8);
static_assert(offsetof(ProcessData, numOutputs) == 16);
static_assert(offsetof(ProcessData, inputs) == 24);
static_assert(offsetof(ProcessData, outputs) == 32);
static_assert(offsetof(ProcessData, inputParameterChanges) == 40);
static_assert(offsetof(ProcessData, outputParameterChanges) == 48);
static_assert(offsetof(ProcessData, inputEvents) == 56);
static_assert(offsetof(ProcessData, outputEvents) == 64);
static_assert(offsetof(ProcessData, processContext) == 72);

static_assert(sizeof(FrameRate) == 8 && alignof(FrameRate) == 4);
static_assert(sizeof(Chord) == 4 && alignof(Chord) == 2 && offsetof(Chord, chordMask) == 2);
static_assert(sizeof(ProcessContext) == 112 && alignof(ProcessContext) == 8);
static_assert(offsetof(ProcessContext, sampleRate) == 8);
static_assert(offsetof(ProcessContext, projectTimeSamples) == 16);
static_assert(offsetof(ProcessContext, systemTime) == 24);
static_assert(offsetof(ProcessContext, continousTimeSamples) == 32);
static_assert(offsetof(ProcessContext, projectTimeMusic) == 40);
static_assert(offsetof(ProcessContext, barPositionMusic) == 48);
static_assert(offsetof(ProcessContext, cycleStartMusic) == 56);
static_assert(offsetof(ProcessContext, cycleEndMusic) == 64);
static_assert(offsetof(ProcessContext, tempo) == 72);
static_assert(offsetof(ProcessContext, timeSigNumerator) == 80);
static_assert(offsetof(ProcessContext, timeSigDenominator) == 84);
static_assert(offsetof(ProcessContext, chord) == 88);
static_assert(offsetof(ProcessContext, smpteOffsetSubframes) == 92);
static_assert(offsetof(ProcessContext, frameRate) == 96);
static_assert(offsetof(ProcessContext, samplesToNextClock) == 104);

static_assert(sizeof(NoteOnEvent) == 20 && alignof(NoteOnEvent) == 4);
static_assert(sizeof(NoteOffEvent) == 16 && alignof(NoteOffEvent) == 4);
static_assert(sizeof(DataEvent) == 16 && alignof(DataEvent) == 8);
static_assert(sizeof(PolyPressureEvent) == 12 && alignof(PolyPressureEvent) == 4);
static_assert(sizeof(NoteExpressionValueEvent) == 16 && alignof(NoteExpressionValueEvent) == 8);
static_assert(sizeof(NoteExpressionTextEvent) == 24 && alignof(NoteExpressionTextEvent) == 8);
static_assert(offsetof(NoteExpressionTextEvent, text) == 16);
static_assert(sizeof(ChordEvent) == 16 && offsetof(ChordEvent, text) == 8);
static_assert(sizeof(ScaleEvent) == 16 && offsetof(ScaleEvent, text) == 8);
static_assert(sizeof(LegacyMIDICCOutEvent) == 4 && alignof(LegacyMIDICCOutEvent) == 1);

static_assert(sizeof(Event) == 48 && alignof(Event) == 8);
static_assert(offsetof(Event, ppqPosition) == 8);
static_assert(offsetof(Event, flags) == 16);
static_assert(offsetof(Event, type) == 18);
static_assert(offsetof(Event, noteOn) == 24);
static_assert(offsetof(Event, noteOn.pitch) == 26);
static_assert(offsetof(Event, noteOn.tuning) == 28);
static_assert(offsetof(Event, noteOn.velocity) == 32);
static_assert(offsetof(Event, noteOn.length) == 36);
static_assert(offsetof(Event, noteOn.noteId) == 40);
static_assert(offsetof(Event, noteOff.velocity) == 28);
static_assert(offsetof(Event, noteOff.noteId) == 32);
static_assert(offsetof(Event, noteOff.tuning) == 36);
static_assert(offsetof(Event, polyPressure.pressure) == 28);
static_assert(offsetof(Event, polyPressure.noteId) == 32);
static_assert(offsetof(Event, midiCCOut.channel) == 25);
static_assert(offsetof(Event, midiCCOut.value) == 26);
static_assert(offsetof(Event, midiCCOut.value2) == 27);
static_assert(offsetof(Event, data.type) == 28);
static_assert(offsetof(Event, data.bytes) == 32);

static_assert(sizeof(ParameterInfo) == 792 && alignof(ParameterInfo) == 8);
static_assert(offsetof(ParameterInfo, title) == 4);
static_assert(offsetof(ParameterInfo, shortTitle) == 260);
static_assert(offsetof(ParameterInfo, units) == 516);
static_assert(offsetof(ParameterInfo, stepCount) == 772);
static_assert(offsetof(ParameterInfo, defaultNormalizedValue) == 776);
static_assert(offsetof(ParameterInfo, unitId) == 784);
static_assert(offsetof(ParameterInfo, flags) == 788);

static_assert(sizeof(UnitInfo) == 268 && alignof(UnitInfo) == 4);
static_assert(offsetof(UnitInfo, name) == 8);
static_assert(offsetof(UnitInfo, programListId) == 264);
static_assert(sizeof(ProgramListInfo) == 264 && alignof(ProgramListInfo) == 4);
static_assert(offsetof(ProgramListInfo, programCount) == 260);
static_assert(sizeof(ViewRect) == 16 && offsetof(ViewRect, bottom) == 12);

}  // namespace vst3
