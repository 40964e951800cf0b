// The value entry drawn by the editor itself where no system edit box can be borrowed: an edit
// box for numbers or a list of a parameter's display texts, placed as on Windows. A list taller
// than the editor breaks into columns, as many as fit side by side; beyond them it scrolls a
// column at a time, always showing the chosen item. It keeps its own pixels; the window lays
// them over the editor's surface when it presents. Used on the editor's thread only.
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
    kPageUp,
    kPageDown,
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
  // The list's layout: items per column, the columns, and the first one shown.
  int Rows() const noexcept { return rows_; }
  int Columns() const noexcept { return columns_; }
  int FirstColumn() const noexcept { return firstColumn_; }

  // A key; character is the text the keyboard layout gave it (kCharacter only).
  Action HandleKey(Key key, char character = '\0');
  // A left press inside Bounds(): moves the caret, or chooses a list item (a commit).
  Action HandlePress(int x, int y);
  // Wheel notches over a list whose columns do not all fit: scrolls a column per notch.
  Action Scroll(int notches);
  // Shows text as at opening: selected whole, or as the chosen item of the list (none when no
  // item has that text). Which text, and when, is the editor's shared refresh rule.
  void Fill(const char* text);

  // Draws the box into its own pixels (Bounds()-sized) with the entry's text renderer.
  void Render(TextRenderer& text);
  MemoryBitmap& Pixels() noexcept { return pixels_; }

 private:
  IBounds bounds_;
  std::vector<std::string> items_;
  // Chooses item (clamped); kChanged when the choice moved. The choice comes into view.
  Action Choose(int item);
  void ShowColumnOf(int item);

  int selected_ = -1;
  int rows_ = 0;
  int columns_ = 0;
  int shownColumns_ = 0;
  int columnWidth_ = 0;
  int firstColumn_ = 0;
  std::string text_;
  size_t caret_ = 0;
  bool allSelected_ = false;
  MemoryBitmap pixels_;
};
