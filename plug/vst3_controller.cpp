// The edit controller: parameters and their texts, the program list, the MIDI mapping, the
// component handler and the view.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "graphics/graphics_core.h"
#include "plug/vst3_effect.h"
#include "plug/vst3_events.h"
#include "plug/vst3_text.h"
#include "plug/vst3_view.h"

using vst3::kResultFalse;
using vst3::kResultOk;

namespace {

bool IsMidiController(vst3::ParamID id) {
  return id >= IVst3Effect::kFirstMidiControllerId &&
         id < IVst3Effect::kFirstMidiControllerId + IVst3Effect::kMidiControllerCount;
}

int32_t StepCount(const IParameter& parameter) {
  if (parameter.GetKind() == IParameter::kContinuous || !(parameter.Step() > 0.0)) return 0;
  return static_cast<int32_t>(
      std::lround((parameter.Maximum() - parameter.Minimum()) / parameter.Step()));
}

// The number a text starts with ("25", "0.5 sec"); false when there is none.
bool LeadingNumber(const char* text, double& number) {
  char* end = nullptr;
  number = std::strtod(text, &end);
  return end != text && std::isfinite(number);
}

}  // namespace

int IVst3Effect::ProgramIndex(ParamValue normalized) const noexcept {
  const int last = std::max(PresetCount() - 1, 0);
  if (std::isnan(normalized)) return CurrentPreset();
  return static_cast<int>(std::lround(std::clamp(normalized, 0.0, 1.0) * last));
}

vst3::ParamValue IVst3Effect::ProgramValue(int index) const noexcept {
  const int last = PresetCount() - 1;
  return last > 0 ? std::clamp(static_cast<double>(index) / last, 0.0, 1.0) : 0.0;
}

// ---- Parameters --------------------------------------------------------------------------------

int32_t IVst3Effect::getParameterCount() {
  return ParameterCount() + 1 + kMidiControllerCount;
}

vst3::tresult IVst3Effect::getParameterInfo(int32_t paramIndex, vst3::ParameterInfo& info) {
  std::memset(&info, 0, sizeof info);
  info.unitId = vst3::kRootUnitId;
  using Info = vst3::ParameterInfo;
  if (paramIndex >= 0 && paramIndex < ParameterCount()) {
    const IParameter& parameter = *GetParameter(paramIndex);
    info.id = static_cast<ParamID>(paramIndex);
    ToString16(info.title, kString128Size, parameter.Name());
    ToString16(info.shortTitle, kString128Size, parameter.Name());
    ToString16(info.units, kString128Size, parameter.UnitLabel());
    info.stepCount = StepCount(parameter);
    info.defaultNormalizedValue = static_cast<size_t>(paramIndex) < defaults_.size()
                                      ? defaults_[static_cast<size_t>(paramIndex)]
                                      : parameter.Normalized();
    info.flags = Info::kCanAutomate;
    return kResultOk;
  }
  if (paramIndex == ParameterCount()) {
    info.id = kProgramId;
    ToString16(info.title, kString128Size, "Program");
    ToString16(info.shortTitle, kString128Size, "Program");
    info.stepCount = std::max(PresetCount() - 1, 0);
    info.flags = Info::kCanAutomate | Info::kIsList | Info::kIsProgramChange;
    return kResultOk;
  }
  const int32_t controller = paramIndex - ParameterCount() - 1;
  if (controller < 0 || controller >= kMidiControllerCount) return vst3::kInvalidArgument;
  // Hidden, not automatable and titled "MIDI CC ": hosts leave them out of their lists.
  char title[32];
  std::snprintf(title, sizeof title, "MIDI CC %d|%d", controller / kControllersPerChannel + 1,
                controller % kControllersPerChannel);
  info.id = kFirstMidiControllerId + static_cast<ParamID>(controller);
  ToString16(info.title, kString128Size, title);
  ToString16(info.shortTitle, kString128Size, title);
  info.flags = Info::kIsHidden;
  return kResultOk;
}

vst3::tresult IVst3Effect::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                 vst3::String128 string) {
  if (!string) return vst3::kInvalidArgument;
  IParameter::Text text = {};
  if (const IParameter* parameter = GetParameter(static_cast<int>(id));
      parameter && id < static_cast<ParamID>(ParameterCount())) {
    // The text the plug-in shows once the value is set: the value lands on its step first.
    parameter->FormatValue(parameter->PlainValueFor(valueNormalized), false, text);
  } else if (id == kProgramId) {
    ScopedLock lock(&Lock());
    std::snprintf(text, sizeof text, "%s", GetPresetName(ProgramIndex(valueNormalized)));
  } else if (IsMidiController(id)) {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(Vst3MidiByte(valueNormalized)));
  } else {
    return vst3::kInvalidArgument;
  }
  ToString16(string, kString128Size, text);
  return kResultOk;
}

vst3::tresult IVst3Effect::getParamValueByString(ParamID id, vst3::TChar* string,
                                                 ParamValue& valueNormalized) {
  if (!string) return vst3::kInvalidArgument;
  char text[kString128Size];
  FromString16(text, sizeof text, string);
  double number = 0.0;
  if (const IParameter* parameter = GetParameter(static_cast<int>(id));
      parameter && id < static_cast<ParamID>(ParameterCount())) {
    int listed = 0;
    if (parameter->ValueForText(text, &listed)) {
      valueNormalized = parameter->NormalizeValue(listed);
      return kResultOk;
    }
    if (!LeadingNumber(text, number)) return kResultFalse;
    valueNormalized = parameter->NormalizeValue(number);
    return kResultOk;
  }
  if (id == kProgramId) {
    ScopedLock lock(&Lock());
    for (int i = 0; i < PresetCount(); ++i) {
      if (std::strcmp(GetPresetName(i), text) == 0) {
        valueNormalized = ProgramValue(i);
        return kResultOk;
      }
    }
    return kResultFalse;
  }
  if (!IsMidiController(id) || !LeadingNumber(text, number)) return kResultFalse;
  valueNormalized = std::clamp(number / 127.0, 0.0, 1.0);
  return kResultOk;
}

vst3::ParamValue IVst3Effect::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) {
  if (id < static_cast<ParamID>(ParameterCount()))
    return GetParameter(static_cast<int>(id))->PlainValueFor(valueNormalized);
  if (id == kProgramId) return ProgramIndex(valueNormalized);
  return valueNormalized;
}

vst3::ParamValue IVst3Effect::plainParamToNormalized(ParamID id, ParamValue plainValue) {
  if (id < static_cast<ParamID>(ParameterCount()))
    return GetParameter(static_cast<int>(id))->NormalizeValue(plainValue);
  if (id == kProgramId) return std::isnan(plainValue) ? 0.0 : ProgramValue(std::lround(plainValue));
  return std::isnan(plainValue) ? 0.0 : std::clamp(plainValue, 0.0, 1.0);
}

vst3::ParamValue IVst3Effect::getParamNormalized(ParamID id) {
  if (id < static_cast<ParamID>(ParameterCount()))
    return GetParameter(static_cast<int>(id))->Normalized();
  if (id != kProgramId) return 0.0;
  ScopedLock lock(&Lock());
  return ProgramValue(CurrentPreset());
}

vst3::tresult IVst3Effect::setParamNormalized(ParamID id, ParamValue value) {
  if (id >= static_cast<ParamID>(ParameterCount()) && id != kProgramId)
    return IsMidiController(id) ? kResultOk : vst3::kInvalidArgument;
  ScopedLock lock(&Lock());
  ApplyHostValue(id, value);
  return kResultOk;
}

void IVst3Effect::ApplyHostValue(ParamID id, ParamValue value) {
  // A NaN has no place in the range; values outside 0..1 are held to its ends.
  if (std::isnan(value)) return;
  value = std::clamp(value, 0.0, 1.0);
  if (id == kProgramId) {
    SelectPreset(ProgramIndex(value));
    return;
  }
  IParameter* parameter = GetParameter(static_cast<int>(id));
  // Hosts repeat values (Ardour at both ends of every automated block, and back to the
  // controller after each edit): only a change is a change, so a button parameter acts once.
  if (!parameter || parameter->PlainValueFor(value) == parameter->Value()) return;
  if (IGraphicsCore* editor = GetEditor())
    editor->SetParameterFromPlugin(static_cast<int>(id), value, true);
  parameter->SetFromNormalized(value);
  ParameterChanged(static_cast<int>(id));
}

void IVst3Effect::SelectPreset(int index) {
  if (index < 0 || index >= PresetCount() || index == CurrentPreset()) return;
  if (!HasStateChunks()) StorePreset(nullptr);
  if (ApplyPreset(index)) ParametersReloaded();
}

vst3::tresult IVst3Effect::setComponentState(vst3::IBStream* /*state*/) {
  return kResultOk;
}

vst3::tresult IVst3Effect::setComponentHandler(vst3::IComponentHandler* handler) {
  ScopedLock lock(&Lock());
  if (handler == handler_) return kResultOk;
  if (handler) handler->addRef();
  if (handler_) handler_->release();
  handler_ = handler;
  return kResultOk;
}

vst3::IPlugView* IVst3Effect::createView(vst3::FIDString name) {
  if (!name || std::strcmp(name, vst3::kEditor) != 0 || !GetEditor()) return nullptr;
  return new (std::nothrow) Vst3View(*this);
}

// ---- MIDI mapping ------------------------------------------------------------------------------

vst3::tresult IVst3Effect::getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                                       vst3::CtrlNumber midiControllerNumber,
                                                       ParamID& id) {
  if (busIndex != 0 || channel < 0 || channel > 15 || midiControllerNumber < 0 ||
      midiControllerNumber >= kControllersPerChannel)
    return kResultFalse;
  id = kFirstMidiControllerId + static_cast<ParamID>(channel * kControllersPerChannel) +
       static_cast<ParamID>(midiControllerNumber);
  return kResultOk;
}

// ---- Units and the program list ----------------------------------------------------------------

int32_t IVst3Effect::getUnitCount() {
  return 1;
}

vst3::tresult IVst3Effect::getUnitInfo(int32_t unitIndex, vst3::UnitInfo& info) {
  if (unitIndex != 0) return vst3::kInvalidArgument;
  info = {};
  info.id = vst3::kRootUnitId;
  info.parentUnitId = vst3::kNoParentUnitId;
  ToString16(info.name, kString128Size, "Root");
  info.programListId = PresetCount() > 0 ? kPresetListId : vst3::kNoProgramListId;
  return kResultOk;
}

int32_t IVst3Effect::getProgramListCount() {
  return PresetCount() > 0 ? 1 : 0;
}

vst3::tresult IVst3Effect::getProgramListInfo(int32_t listIndex, vst3::ProgramListInfo& info) {
  if (listIndex != 0 || PresetCount() == 0) return vst3::kInvalidArgument;
  info = {};
  info.id = kPresetListId;
  ToString16(info.name, kString128Size, "Presets");
  info.programCount = PresetCount();
  return kResultOk;
}

vst3::tresult IVst3Effect::getProgramName(vst3::ProgramListID listId, int32_t programIndex,
                                          vst3::String128 name) {
  if (listId != kPresetListId || programIndex < 0 || programIndex >= PresetCount() || !name)
    return vst3::kInvalidArgument;
  // Applying an unused preset renames it, on whichever thread applies it.
  ScopedLock lock(&Lock());
  ToString16(name, kString128Size, GetPresetName(programIndex));
  return kResultOk;
}

vst3::tresult IVst3Effect::getProgramInfo(vst3::ProgramListID, int32_t, vst3::CString,
                                          vst3::String128) {
  return kResultFalse;
}

vst3::tresult IVst3Effect::hasProgramPitchNames(vst3::ProgramListID, int32_t) {
  return kResultFalse;
}

vst3::tresult IVst3Effect::getProgramPitchName(vst3::ProgramListID, int32_t, int16_t,
                                               vst3::String128) {
  return kResultFalse;
}

vst3::UnitID IVst3Effect::getSelectedUnit() {
  return vst3::kRootUnitId;
}

vst3::tresult IVst3Effect::selectUnit(vst3::UnitID unitId) {
  return unitId == vst3::kRootUnitId ? kResultOk : vst3::kInvalidArgument;
}

vst3::tresult IVst3Effect::getUnitByBus(vst3::MediaType, vst3::BusDirection, int32_t, int32_t,
                                        vst3::UnitID& unitId) {
  unitId = vst3::kRootUnitId;
  return kResultOk;
}

vst3::tresult IVst3Effect::setUnitProgramData(int32_t, int32_t, vst3::IBStream*) {
  return vst3::kNotImplemented;
}
