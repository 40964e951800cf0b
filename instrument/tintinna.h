// Tintinna: up to eight tuned chimes struck by the wind, played out as MIDI.
//
// Threads. The constructor runs on the host's thread inside the format's entry point.
// ParameterChanged and ResetProcessing take the plug-in's lock; ProcessBlock runs on the audio
// thread with the lock already held by the adapter, so settings and wind state never change
// inside a block.
//
// The class derives from the adapter of the format being built (PluginAdapter, from that
// format's plugin_adapter.h); it uses only what every adapter shares with IEffectBase.
#pragma once

#include "instrument/chime_settings.h"
#include "instrument/pending_note_off.h"
#include "instrument/wind_state.h"
#include "plugin_adapter.h"

class IControl;

class Tintinna : public PluginAdapter {
 public:
  static constexpr int kParameterCount = 28;
  static constexpr int kPresetCount = 6;
  static constexpr int kMaxChimes = ChimeSettings::kMaxChimes;

  enum Parameter : int {
    kWindSpeed = 0,
    kWindVariation = 1,
    kToneCount = 2,
    kTone1 = 3,  // through kTone1 + 7
    kSensitivity = 11,
    kClapSize = 12,
    kAlgorithm = 13,
    kDuration = 14,
    kNoteChannel = 15,
    kMinVelocity = 16,
    kChannelA = 17,
    kNumberA = 18,
    kActiveA = 19,
    kChannelB = 20,
    kNumberB = 21,
    kActiveB = 22,
    kTransposeUp = 24,
    kTransposeDown = 25,
  };

  // Engine rates are kept within this range so that every count fits an int and no factor
  // becomes infinite; hosts run far inside it.
  static constexpr double kMinEngineRate = 1.0;
  static constexpr double kMaxEngineRate = 10.0e6;

  explicit Tintinna(PluginAdapter::HostHandle host);
  ~Tintinna() override;

  // [locked] Keeps ChimeSettings in step with parameter index.
  void ParameterChanged(int index) override;
  // [locked] Moves the engine to the base's sample rate; wind, sequence and notes carry on.
  void ResetProcessing() override;
  // [audio, lock held by caller] Passes the audio through, advances the wind, plays strikes.
  void ProcessBlock(double** inputs, double** outputs, int frames) override;

  // [locked] Raise or lower all eight notes by one step, unless one is already at the end.
  void TransposeUp();
  void TransposeDown();

  const ChimeSettings& Settings() const noexcept { return settings_; }
  const WindState& Wind() const noexcept { return wind_; }
  const PendingNoteOff& PendingNote(int chime) const noexcept { return pending_[chime]; }

 private:
  void DefineParameters();
  void Transpose(int step);

  // Wind engine (wind_engine.cpp), [audio].
  void AdvanceWind(int frames);
  void UpdateMeter(int frames);
  void RunStrikeOpportunities(int frames);
  void ChooseChime();
  void Bounce(int offset);
  int NextStrikeInterval();

  // MIDI output (midi_output.cpp), [audio].
  void StrikeChime(int offset);
  void RunNoteOffCountdowns(int frames);
  void SendControllerOutputs(int meter);
  void SetLamp(int chime, double normalized);

  // Editor reactions: they touch editor controls and so live with the editor layout. [locked]
  void BuildEditor();
  void RefreshToneControls();
  void RefreshTransposeButtons();
  // Moves chime's (1-8) tone selector by steps through the user-value path, so that the host
  // hears of it and the note follows the parameter. The selectors exist from construction on.
  void NudgeToneSelector(int chime, int steps);

  ChimeSettings settings_;
  WindState wind_;
  PendingNoteOff pending_[kMaxChimes + 1];

  // Handles into the editor; -1 and null while there is none.
  int meterControl_ = -1;
  int lampControls_[kMaxChimes + 1] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
  IControl* toneSelectors_[kMaxChimes + 1] = {};
  IControl* transposeUpButton_ = nullptr;
  IControl* transposeDownButton_ = nullptr;
};
