// When an open value-entry box may take the parameter's text again. Shared by every window
// layer, whatever box it draws: the rule is the platform's no more than the entry states are.
//
// The box is refreshed only when the parameter's text changed on the plug-in side since the box
// was last filled, and never over what the user typed: while the meter moves, every paint asks
// for a refresh, and replacing the box's text each time would wipe the typing.
//
// [editor] Use: Filled(text) when the box opens with the parameter's text; at each refresh tick
// Refresh(parameter, shown, text) with what the box shows now, and when it returns true put text
// in the box (selected whole, as at opening: ready to be typed over); Reset() when the box closes.
#pragma once

#include <cstddef>

#include "plug/parameter.h"

class ValueEntryRefresh {
 public:
  // The box now shows text (it was opened with it).
  void Filled(const char* text) noexcept;
  // True, with text set to the parameter's current display text (and remembered as the new
  // fill), when that text differs from the last fill and shown still equals the last fill.
  // False, and the box is left alone, when nothing changed on the plug-in side or the user has
  // typed (shown differs from the fill).
  bool Refresh(const IParameter& parameter, const char* shown, IParameter::Text& text) noexcept;
  void Reset() noexcept;
  const char* LastFill() const noexcept { return filled_; }

 private:
  IParameter::Text filled_ = {};
};
