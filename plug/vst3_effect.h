// The VST 3 adapter: one object that is the component, its audio processor and its edit
// controller, with the MIDI mapping and the program list; hosts reach every part through
// queryInterface.
//
// Threads. The window thread is the thread of the first initialize: set-up, controller, unit and
// view calls come from it. process comes from the audio thread, and Ardour also calls setActive,
// activateBus, setProcessing and setBusArrangements there, getState during process, and the value
// conversions and the MIDI mapping on its audio thread. Every call that touches the plug-in takes
// its lock for the whole call, as the VST 2 adapter does; the conversions, the mapping and the bus
// descriptions read only what construction fixed and take none.
//
// Calls to the host's component handler are made from the window thread outside process only.
// What the instrument reports anywhere else (from process, or from a host thread) goes out as
// output parameter changes of a processing call.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "plug/effect_base.h"
#include "plug/vst3_abi.h"

class Vst3View;

namespace vst3_sides {

// IComponent and IEditController both declare setState and getState; these two bases give each
// side its own pair.
class ComponentState : public vst3::IComponent {
 public:
  vst3::tresult setState(vst3::IBStream* state) final { return LoadComponentState(state); }
  vst3::tresult getState(vst3::IBStream* state) final { return SaveComponentState(state); }

 protected:
  ~ComponentState() = default;
  virtual vst3::tresult LoadComponentState(vst3::IBStream* state) = 0;
  virtual vst3::tresult SaveComponentState(vst3::IBStream* state) = 0;
};

class ControllerState : public vst3::IEditController {
 public:
  // The whole state is the component's: the controller keeps nothing of its own.
  vst3::tresult setState(vst3::IBStream*) final { return vst3::kResultOk; }
  vst3::tresult getState(vst3::IBStream*) final { return vst3::kResultOk; }

 protected:
  ~ControllerState() = default;
};

}  // namespace vst3_sides

class IVst3Effect : public IEffectBase,
                    public vst3_sides::ComponentState,
                    public vst3::IAudioProcessor,
                    public vst3_sides::ControllerState,
                    public vst3::IMidiMapping,
                    public vst3::IUnitInfo,
                    public vst3::IProcessContextRequirements {
 public:
  using tresult = vst3::tresult;
  using ParamID = vst3::ParamID;
  using ParamValue = vst3::ParamValue;
  // What the instrument's constructor receives: the host context when the creator has one
  // (null from the factory; initialize brings the host's).
  using HostHandle = vst3::FUnknown*;

  // Parameter IDs beyond the instrument's own, whose IDs are their indices. The program list's
  // parameter, then one hidden parameter per MIDI channel and controller (kCountCtrlNumber of
  // them: 0 to 127, channel pressure, pitch bend), which the MIDI mapping names so that incoming
  // controllers reach the plug-in and pass through.
  static constexpr ParamID kProgramId = 0x100;
  static constexpr ParamID kFirstMidiControllerId = 0x1000;
  static constexpr int kControllersPerChannel = vst3::kCountCtrlNumber;
  static constexpr int kMidiControllerCount = 16 * kControllersPerChannel;
  static constexpr vst3::ProgramListID kPresetListId = 1;

  IVst3Effect(HostHandle host, int parameterCount, const char* channelIO, int presetCount,
              const char* effectName, const char* productName, const char* makerName,
              int32_t version, int32_t uniqueId, int32_t makerId, int latency, bool midi,
              bool stateChunks, bool isInstrument);
  ~IVst3Effect() override;

  // [window thread] Run by the factory once the instrument is built: a preset to stand on and the
  // parameters' defaults as the host will be told them.
  void CompleteCreation();

  // ---- FUnknown: one identity and one reference count for every interface ----------------
  tresult queryInterface(const vst3::TUID iid, void** obj) override;
  uint32_t addRef() override;
  // The last release closes the editor and deletes the plug-in.
  uint32_t release() override;

  // ---- IPluginBase: counted, so that the second initialize and terminate of a host that treats
  // component and controller apart do nothing ------------------------------------------------
  tresult initialize(vst3::FUnknown* context) override;
  tresult terminate() override;

  // ---- IComponent ----------------------------------------------------------------------------
  tresult getControllerClassId(vst3::TUID classId) override;  // kResultFalse: this is it
  tresult setIoMode(vst3::IoMode mode) override;
  int32_t getBusCount(vst3::MediaType type, vst3::BusDirection dir) override;
  tresult getBusInfo(vst3::MediaType type, vst3::BusDirection dir, int32_t index,
                     vst3::BusInfo& bus) override;
  tresult getRoutingInfo(vst3::RoutingInfo& inInfo, vst3::RoutingInfo& outInfo) override;
  tresult activateBus(vst3::MediaType type, vst3::BusDirection dir, int32_t index,
                      vst3::TBool state) override;
  tresult setActive(vst3::TBool state) override;

  // ---- IAudioProcessor -----------------------------------------------------------------------
  tresult setBusArrangements(vst3::SpeakerArrangement* inputs, int32_t numIns,
                             vst3::SpeakerArrangement* outputs, int32_t numOuts) override;
  tresult getBusArrangement(vst3::BusDirection dir, int32_t index,
                            vst3::SpeakerArrangement& arr) override;
  tresult canProcessSampleSize(int32_t symbolicSampleSize) override;
  uint32_t getLatencySamples() override;
  tresult setupProcessing(vst3::ProcessSetup& setup) override;
  tresult setProcessing(vst3::TBool state) override;
  // [audio, locked] Events in, the call run in slices cut at the host's parameter points, events
  // and reported parameter values out.
  tresult process(vst3::ProcessData& data) override;
  uint32_t getTailSamples() override;

  // ---- IEditController -------------------------------------------------------------------------
  // The component's state is already this object's: nothing to repeat.
  tresult setComponentState(vst3::IBStream* state) override;
  int32_t getParameterCount() override;
  tresult getParameterInfo(int32_t paramIndex, vst3::ParameterInfo& info) override;
  tresult getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                vst3::String128 string) override;
  tresult getParamValueByString(ParamID id, vst3::TChar* string,
                                ParamValue& valueNormalized) override;
  ParamValue normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
  ParamValue plainParamToNormalized(ParamID id, ParamValue plainValue) override;
  ParamValue getParamNormalized(ParamID id) override;
  // [locked] Applied when it changes the value (a host echoing a value back changes nothing).
  tresult setParamNormalized(ParamID id, ParamValue value) override;
  tresult setComponentHandler(vst3::IComponentHandler* handler) override;
  vst3::IPlugView* createView(vst3::FIDString name) override;

  // ---- IMidiMapping: every controller of bus 0 to its hidden parameter -----------------------
  tresult getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                      vst3::CtrlNumber midiControllerNumber, ParamID& id) override;

  // ---- IUnitInfo: the root unit and its program list, the presets ----------------------------
  int32_t getUnitCount() override;
  tresult getUnitInfo(int32_t unitIndex, vst3::UnitInfo& info) override;
  int32_t getProgramListCount() override;
  tresult getProgramListInfo(int32_t listIndex, vst3::ProgramListInfo& info) override;
  tresult getProgramName(vst3::ProgramListID listId, int32_t programIndex,
                         vst3::String128 name) override;
  tresult getProgramInfo(vst3::ProgramListID listId, int32_t programIndex,
                         vst3::CString attributeId, vst3::String128 attributeValue) override;
  tresult hasProgramPitchNames(vst3::ProgramListID listId, int32_t programIndex) override;
  tresult getProgramPitchName(vst3::ProgramListID listId, int32_t programIndex, int16_t midiPitch,
                              vst3::String128 name) override;
  vst3::UnitID getSelectedUnit() override;
  tresult selectUnit(vst3::UnitID unitId) override;
  tresult getUnitByBus(vst3::MediaType type, vst3::BusDirection dir, int32_t busIndex,
                       int32_t channel, vst3::UnitID& unitId) override;
  tresult setUnitProgramData(int32_t listOrUnitId, int32_t programIndex,
                             vst3::IBStream* data) override;

  uint32_t getProcessContextRequirements() override;

  // ---- Host services -------------------------------------------------------------------------
  // [editor, window thread] beginEdit / endEdit, once per gesture; dropped on any other thread.
  void BeginParameterGesture(int index) override;
  void EndParameterGesture(int index) override;
  // [locked] performEdit on the window thread outside process (inside begin and end of its own
  // when no gesture of the parameter is open), else an output parameter change.
  void InformHostOfParameter(int index, double normalized) override;
  // [audio] From the process call's context; values it marks invalid, and values that are no
  // numbers, give way to the defaults, as in VST 2.
  bool IsTransportRunning() override;
  int GetSamplePosition() override;
  double GetTempo() override;
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(ITransportInfo* info) override;
  // Asks the open view's frame for the editor's size.
  void EditorResized(int width, int height) override;
  // The buses are fixed: nothing depends on the host.
  void HostSpecificSetup() override {}
  // [audio, adapter] Applies the host's points due at frame; see process.
  int32_t ApplyHostChangesAt(int32_t frame) override;

  // ---- For the view [window thread, unlocked: the window talks to the display server] ---------
  bool AttachView(Vst3View* view, void* parent);
  void DetachView(Vst3View* view);

 protected:
  tresult LoadComponentState(vst3::IBStream* state) override;
  tresult SaveComponentState(vst3::IBStream* state) override;

 private:
  // One input queue of the call under way, read one point ahead.
  struct ChangeCursor {
    vst3::IParamValueQueue* queue = nullptr;
    ParamID id = 0;
    int32_t count = 0;
    int32_t next = 0;  // index of the point held in offset/value
    int32_t offset = 0;
    ParamValue value = 0.0;
  };

  // True on the window thread outside process, when a host call is allowed.
  bool MayCallHandler() const noexcept;
  bool OnWindowThread() const noexcept { return std::this_thread::get_id() == windowThread_; }
  // [locked] A host value for an instrument parameter or the program, applied when it changes
  // something.
  void ApplyHostValue(ParamID id, ParamValue value);
  // [locked] effSetProgram's rule: the values go into the current preset unless the plug-in
  // saves chunks, then the preset is applied and the host told of every value.
  void SelectPreset(int index);
  void ParametersReloaded();
  // [locked] An output parameter change at the current frame of the call under way, or, outside
  // a call, at the start of the next one.
  void ReportToHost(ParamID id, ParamValue value);
  int32_t ReportFrame() const noexcept;
  int ProgramIndex(ParamValue normalized) const noexcept;
  ParamValue ProgramValue(int index) const noexcept;
  vst3::SpeakerArrangement Arrangement(int channels) const noexcept;

  // Processing steps (vst3_process.cpp), [audio, locked].
  void TakeContext(const vst3::ProcessContext* context);
  void ReportHeldValues();
  void TakeInputEvents(vst3::IEventList* events);
  void StartParameterChanges(vst3::IParameterChanges* changes);
  void FinishParameterChanges();
  void RunAudio(const vst3::ProcessData& data);
  void DeliverEvents(vst3::IEventList* events, int32_t frames);

  std::atomic<uint32_t> references_{1};
  int initializeCount_ = 0;
  std::thread::id windowThread_;
  vst3::FUnknown* hostContext_ = nullptr;
  vst3::IComponentHandler* handler_ = nullptr;
  Vst3View* openView_ = nullptr;
  std::vector<ParamValue> defaults_;

  // The processing call under way (audio thread, under the lock).
  vst3::ProcessData* call_ = nullptr;
  int32_t callFrames_ = 0;
  int32_t reportFrame_ = -1;  // the frame whose host changes are being applied
  vst3::ProcessContext context_{};
  bool hasContext_ = false;
  std::vector<ChangeCursor> cursors_;
  int cursorCount_ = 0;
  std::vector<float*> floatInputs_;
  std::vector<float*> floatOutputs_;
  std::vector<double*> doubleInputs_;
  std::vector<double*> doubleOutputs_;
  // Per instrument parameter, then the program: a host point beyond the last call's end, due at
  // the start of the next call, and values the host has still to hear of.
  std::vector<ParamValue> heldValues_;
  std::vector<uint8_t> held_;
  std::vector<uint8_t> unreported_;
  bool anyHeld_ = false;
  bool anyUnreported_ = false;
  std::vector<uint8_t> gestures_;  // per instrument parameter: its gesture is open (window thread)
};
