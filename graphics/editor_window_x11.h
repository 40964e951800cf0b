// What the rest of the Linux editor tells its X11 window.
#pragma once

#include "graphics/graphics_types.h"

class IEditorWindow;

// A text was drawn at bounds and its glyphs covered ink (which may reach beyond bounds); the
// open window redraws and shows wherever that text reaches, now or last time, beyond the pass.
void NoteTextDrawn(IEditorWindow& editor, const IBounds& bounds, const IBounds& ink);
