// The value entry drawn by the editor itself where no system edit box can be borrowed: an edit
// box for numbers or a list of a parameter's display texts, placed and sized as on Windows.
// It keeps its own pixels; the window lays them over the editor's surface when it presents.
// Used on the editor's thread only.
#pragma once

#include <string>
#include <vector>

#include "graphics/graphics_types.h"
#include "plug/parameter.h"
#include "raster/memory_bitmap.h"

class TextRenderer;

class X11EntryBox {
 public:
  enum class Key {
    kCharacter,
    kBackspace,
    kDelete,
    kLeft,
    kRight,
    kHome,
    kEnd,
    kUp,
    kDown,
    kReturn,
    kEscape,
  };
  enum class Action { kNone, kChanged, kCommit, kCancel };

  static constexpr int kListRowHeight = 16;

  // For parameter at the control's draw bounds, kept inside an editor of editorWidth ×
  // editorHeight.
  X11EntryBox(const IParameter& parameter, const IBounds& controlBounds, int editorWidth,
              int editorHeight);

  const IBounds& Bounds() const noexcept { return bounds_; }
  bool IsList() const noexcept { return !items_.empty(); }
  // What a commit reads: the typed text, or the chosen item's text ("" when none is chosen).
  std::string Text() const;
  int Selected() const noexcept { return selected_; }

  // A key; character is the text the keyboard layout gave it (kCharacter only).
  Action HandleKey(Key key, char character = '\0');
  // A left press inside Bounds(): moves the caret, or chooses a list item (a commit).
  Action HandlePress(int x, int y);
  // Shows text as at opening: selected whole, or as the chosen item of the list (none when no
  // item has that text). Which text, and when, is the editor's shared refresh rule.
  void Fill(const char* text);

  // Draws the box into its own pixels (Bounds()-sized) with the entry's text renderer.
  void Render(TextRenderer& text);
  MemoryBitmap& Pixels() noexcept { return pixels_; }

 private:
  IBounds bounds_;
  std::vector<std::string> items_;
  int selected_ = -1;
  std::string text_;
  size_t caret_ = 0;
  bool allSelected_ = false;
  MemoryBitmap pixels_;
};
