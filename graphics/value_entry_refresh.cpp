// When an open value-entry box may take the parameter's text again.
#include "graphics/value_entry_refresh.h"

#include <cstring>

void ValueEntryRefresh::Filled(const char* text) noexcept {
  std::strncpy(filled_, text ? text : "", sizeof filled_ - 1);
  filled_[sizeof filled_ - 1] = '\0';
}

bool ValueEntryRefresh::Refresh(const IParameter& parameter, const char* shown,
                                IParameter::Text& text) noexcept {
  parameter.FormatCurrentValue(text);
  if (std::strcmp(text, filled_) == 0) return false;
  if (std::strcmp(shown ? shown : "", filled_) != 0) return false;
  Filled(text);
  return true;
}

void ValueEntryRefresh::Reset() noexcept {
  filled_[0] = '\0';
}
