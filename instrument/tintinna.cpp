// The Tintinna plug-in: its identity, its 28 parameters and the settings that follow them.
#include "instrument/tintinna.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "plug/mutex.h"

namespace {

constexpr int kDefaultNotes[ChimeSettings::kMaxChimes] = {48, 50, 52, 53, 55, 57, 59, 60};

// Parameters whose value v is shown as the number v + 1 (channels, controller numbers).
void AddOneBasedTexts(IParameter* parameter, int count) {
  for (int v = 0; v < count; ++v) {
    char text[IParameter::kTextSize];
    std::snprintf(text, sizeof text, "%d", v + 1);
    parameter->AddValueText(v, text);
  }
}

}  // namespace

Tintinna::Tintinna(PluginAdapter::HostHandle host)
    : PluginAdapter(host, kParameterCount, "1-1 2-2", kPresetCount, "Tintinna", "", "Orrinvale",
                    0x10000, FourCC("tnta"), FourCC("orvl"), 0, true, false, true) {
  DefineParameters();
  BuildEditor();
}

Tintinna::~Tintinna() {
  CloseEditor();
}

void Tintinna::DefineParameters() {
  GetParameter(kWindSpeed)->DefineContinuous("WSpeed", 10.0, 0.0, 30.0, 1.0, "");
  GetParameter(kWindVariation)->DefineContinuous("Variable", 0.0, 0.0, 30.0, 1.0, "");
  GetParameter(kToneCount)->DefineInteger("NumTones", 6, 1, kMaxChimes, "");
  for (int k = 0; k < kMaxChimes; ++k) {
    char name[IParameter::kTextSize];
    std::snprintf(name, sizeof name, "Tone %d", k + 1);
    GetParameter(kTone1 + k)->DefineInteger(name, kDefaultNotes[k], 0, 127, "");
  }
  GetParameter(kSensitivity)->DefineInteger("Sensitiv", 99, 1, 200, "");
  GetParameter(kClapSize)->DefineContinuous("ClapSize", 0.5, 0.0, 1.0, 0.01, "");

  IParameter* algorithm = GetParameter(kAlgorithm);
  algorithm->DefineEnumerated("Algorithm", 0, 2);
  algorithm->AddValueText(0, "Select Any");
  algorithm->AddValueText(1, "Favor Neighbors");

  GetParameter(kDuration)->DefineContinuous("Duration", 0.1, 0.1, 10.0, 0.1, "sec");

  const struct {
    int index;
    const char* name;
    int maximum;
  } numbered[] = {
      {kNoteChannel, "Channel", 15}, {kMinVelocity, "MinVelocity", 126},
      {kChannelA, "ChannelA", 15},   {kNumberA, "CC num A", 126},
      {kChannelB, "ChannelB", 15},   {kNumberB, "CC Number B", 126},
  };
  for (const auto& p : numbered) {
    IParameter* parameter = GetParameter(p.index);
    parameter->DefineInteger(p.name, 0, 0, p.maximum, "");
    AddOneBasedTexts(parameter, p.maximum + 1);
  }
  GetParameter(kActiveA)->DefineBool("CC A", false);
  GetParameter(kActiveB)->DefineBool("CC B", false);
  // 23 to 27 stay undefined; 24 and 25 carry the transpose buttons.
}

void Tintinna::ParameterChanged(int index) {
  ScopedLock lock(&Lock());
  const IParameter* parameter = GetParameter(index);
  if (!parameter) return;
  // The parameter keeps its value finite and within its range whatever the host sends, so the
  // note table and the MIDI bytes can take it as it is.
  const double v = parameter->Value();
  const int whole = static_cast<int>(v);

  switch (index) {
    case kWindSpeed:
      settings_.meanWind = v * 0.1;
      break;
    case kWindVariation:
      settings_.windVariation = v * 0.1;
      break;
    case kToneCount:
      settings_.toneCount = whole;
      RefreshToneControls();
      break;
    case kTone1:
    case kTone1 + 1:
    case kTone1 + 2:
    case kTone1 + 3:
    case kTone1 + 4:
    case kTone1 + 5:
    case kTone1 + 6:
    case kTone1 + 7:
      settings_.notes[index - 2] = whole;
      RefreshTransposeButtons();
      break;
    case kSensitivity:
      settings_.sensitivity = whole;
      break;
    case kClapSize:
      settings_.clapSize = v;
      break;
    case kAlgorithm:
      settings_.anyDistance = v > 0.5;
      break;
    case kDuration:
      settings_.noteSeconds = v;
      break;
    case kNoteChannel:
      settings_.noteChannel = whole;
      break;
    case kMinVelocity:
      settings_.minVelocity = whole;
      break;
    case kChannelA:
      settings_.ccChannelA = whole;
      settings_.UpdateSends();
      break;
    case kNumberA:
      settings_.ccNumberA = whole;
      settings_.UpdateSends();
      break;
    case kActiveA:
      settings_.ccActiveA = v < 0.5;
      settings_.UpdateSends();
      break;
    case kChannelB:
      settings_.ccChannelB = whole;
      settings_.UpdateSends();
      break;
    case kNumberB:
      settings_.ccNumberB = whole;
      settings_.UpdateSends();
      break;
    case kActiveB:
      settings_.ccActiveB = v < 0.5;
      settings_.UpdateSends();
      break;
    case kTransposeUp:
      if (v == 1.0) {
        TransposeUp();
        RefreshTransposeButtons();
      }
      break;
    case kTransposeDown:
      if (v == 1.0) {
        TransposeDown();
        RefreshTransposeButtons();
      }
      break;
    default:
      break;
  }
}

void Tintinna::TransposeUp() {
  Transpose(+1);
}

void Tintinna::TransposeDown() {
  Transpose(-1);
}

void Tintinna::Transpose(int step) {
  ScopedLock lock(&Lock());
  const int end = step > 0 ? 127 : 0;
  const int* notes = settings_.notes;
  if (std::find(notes + 1, notes + kMaxChimes + 1, end) != notes + kMaxChimes + 1) return;
  for (int chime = 1; chime <= kMaxChimes; ++chime) {
    settings_.notes[chime] += step;
    NudgeToneSelector(chime, step);
  }
}

PluginAdapter* CreateEffectInstance(PluginAdapter::HostHandle host) {
  return new (std::nothrow) Tintinna(host);
}
