// The CLAP parameter descriptions and texts: the parameter table seen in plain units.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "plug/clap_effect.h"
#include "plug/text.h"

IParameter* IClapEffect::ParameterById(clap::Id id) const {
  return id <= INT32_MAX ? GetParameter(static_cast<int>(id)) : nullptr;
}

uint32_t IClapEffect::ParamCount() const {
  return static_cast<uint32_t>(ParameterCount());
}

bool IClapEffect::GetParamInfo(uint32_t index, clap::ParamInfo* info) const {
  const IParameter* parameter = ParameterById(index);
  if (!parameter || !info) return false;
  *info = clap::ParamInfo{};
  info->id = index;
  const IParameter::Kind kind = parameter->GetKind();
  info->flags = clap::kParamIsAutomatable;
  // Everything but a continuous value moves in whole steps; switches and lists name each one.
  if (kind != IParameter::kContinuous) info->flags |= clap::kParamIsStepped;
  if (kind == IParameter::kBool || kind == IParameter::kEnumerated)
    info->flags |= clap::kParamIsEnum;
  CopyText(info->name, parameter->Name());
  info->min_value = parameter->Minimum();
  info->max_value = parameter->Maximum();
  info->default_value = defaults_[index];
  return true;
}

bool IClapEffect::GetParamValue(clap::Id id, double* value) const {
  const IParameter* parameter = ParameterById(id);
  if (!parameter || !value) return false;
  *value = parameter->Value();
  return true;
}

bool IClapEffect::ParamValueToText(clap::Id id, double value, char* text, uint32_t capacity) const {
  const IParameter* parameter = ParameterById(id);
  if (!parameter || !text || capacity == 0 || !std::isfinite(value)) return false;
  IParameter::Text display;
  parameter->FormatValue(PlainValue(*parameter, value), false, display);
  CopyText(text, capacity, display);
  return true;
}

bool IClapEffect::ParamTextToValue(clap::Id id, const char* text, double* value) const {
  const IParameter* parameter = ParameterById(id);
  if (!parameter || !text || !value) return false;
  // A display text of a value first ("Favor Neighbors", a channel's "16"), then a number as
  // the display writes it.
  int named = 0;
  if (parameter->ValueForText(text, &named)) {
    *value = named;
    return true;
  }
  char* end = nullptr;
  double number = std::strtod(text, &end);
  if (end == text || !std::isfinite(number)) return false;
  if (parameter->NegateDisplay()) number = -number;
  *value = PlainValue(*parameter, number);
  return true;
}
