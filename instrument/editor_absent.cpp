// Editor reactions of an instrument built without its editor layout: nothing to show.
#include "instrument/tintinna.h"

void Tintinna::BuildEditor() {}

void Tintinna::RefreshToneControls() {}

void Tintinna::RefreshTransposeButtons() {}

bool Tintinna::NudgeToneSelector(int, int) {
  return false;
}
