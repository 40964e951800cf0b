// The editor object the plug-in creates: the window layer over the drawing back end. The window
// itself, text and the operating-system services are per platform (editor_window_win32.cpp,
// editor_window_linux.cpp and editor_window_x11.cpp); the decisions that do not depend on a
// platform are shared here.
//
// Threads. On Windows everything runs on the thread that owns the host's window (the thread that
// calls the editor-open request), except what IGraphicsCore documents for its value pushes. On
// Linux the open window is driven (editor_loop.h) by a thread of its own, or by the host's GUI
// loop when an adapter supplies one: that thread runs the tick, the drawing, input and the entry.
// The window opens and closes on the thread of the host's requests, which must not hold the
// plug-in's lock (the display server may be slow; the audio thread must not wait for it).
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/graphics_raster.h"
#include "graphics/value_entry_refresh.h"
#include "plug/parameter.h"

class IEditorLoop;
class TextRenderer;

class IEditorWindow : public IGraphicsRaster {
 public:
  // The value entry's states while an entry box is open.
  enum EntryState : int32_t {
    kEntryOpen = 0,     // open, not focused: ticks redraw as usual
    kEntryFocused = 1,  // the box has the focus: the editor window stays out of the way
    kEntryRefresh = 2,  // a paint happened: show the parameter's current text at the next tick
    kEntryCancel = 3,   // right button on the editor: close without a change
    kEntryCommit = 4,   // Return, a list selection or the left button: commit at the next tick
  };
  // What a redraw tick has to do.
  enum class TickAction { kRedraw, kRefreshEntry, kCancelEntry, kCommitEntry, kNothing };

  static constexpr const char* kWindowClassName = "TintinnaWndClass";
  static constexpr const char* kWindowTitle = "Tintinna";
  static constexpr int kTimerId = 2;
  static constexpr int kEntryControlId = 99;
  static constexpr int kEntryTextLimit = 1000;
  static constexpr int kEditBoxWidth = 36;
  static constexpr int kEditBoxHeight = 16;
  static constexpr int kEntryFontHeight = 14;
  static constexpr int kWheelDelta = 120;

  IEditorWindow(IEffectBase* plugin, int width, int height, int framesPerSecond);
  // Closes the window as CloseEditorWindow does, releases the custom colours, then the layers
  // below are torn down.
  ~IEditorWindow() override;

  // ---- Per platform --------------------------------------------------------------------------
  bool PresentArea(const IBounds& area) override;
  // The font comes from the first style ever drawn and is kept; later calls change only the
  // colour (and take their own alignment). Placed at the top of the bounds, not clipped to them
  // nor to the draw bounds, only to the surface. True when text of some height was laid out.
  bool DrawString(const ITextStyle& style, const char* text, const IBounds& bounds) override;
  // Measured with the editor's font once the first string chose it; the core's estimate before.
  bool StringInk(const ITextStyle& style, const char* text, const IBounds& bounds,
                 IBounds& ink) override;
  void Resize(int width, int height) override;
  bool IsWindowOpen() override { return window_ != nullptr; }
  void OpenValueEntry(IControl* control, IParameter* parameter, bool textMode) override;
  // The folder (with its trailing separator) of the host program or of the plug-in library.
  void GetHostPath(char (&path)[kPathSize]) override;
  void GetModulePath(char (&path)[kPathSize]) override;
  void PickFile(char (&result)[kPathSize], int action, const char* startFolder,
                const char* extension) override;
  bool PickColour(IRgba* colour, const char* caption) override;
  bool OpenLink(const char* address, const char* caption, const char* confirmation,
                const char* error) override;
  void* OpenEditorWindow(void* parent) override;
  void CloseEditorWindow() override;
  void* GetEditorWindow() override { return window_; }
  void OpenValueMenu(IControl* control, IParameter* parameter, int itemsPerColumn) override;
  // PNG resources only (the name's extension decides); the id selects the resource.
  RasterBitmap* LoadImageResource(int resourceId, const char* resourceName) override;

  // The library's module (an HMODULE on Windows, any handle inside the library elsewhere); set
  // by the plug-in right after construction.
  void SetModuleHandle(void* module) noexcept { moduleHandle_ = module; }
  // Linux: the host's GUI loop that drives the window from the next open on (not owned; null,
  // the default, for a thread of the editor's own). It must outlive the open window. Ignored on
  // Windows, where the window runs on the host's window thread anyway.
  void SetHostLoop(IEditorLoop* loop) noexcept { hostLoop_ = loop; }
  void* ModuleHandle() const noexcept { return moduleHandle_; }
  int32_t GetEntryState() const noexcept { return entryState_; }
  bool IsEntryOpen() const noexcept { return entryBox_ != nullptr; }

  // ---- Shared decisions (editor_window.cpp) --------------------------------------------------
  // The core's key code for a virtual-key code: space 0, arrows up/down/left/right 1–4, digits
  // 5–14, letters 15–40 (capital and small alike); −1 for keys that are not reported.
  static int MapKeyCode(uint32_t virtualKey) noexcept;
  // Whole notches of a wheel delta, truncated toward zero.
  static int WheelNotches(int delta) noexcept { return delta / kWheelDelta; }
  // The text after the last '.' (never the first character) equals "png" ignoring case.
  static bool HasPngExtension(const char* name) noexcept;
  // path ← fullName up to and including its last separator, or empty when there is none or
  // it is the last character.
  static void TrimToFolder(const char* fullName, char separator, char (&path)[kPathSize]) noexcept;
  // The entry's text for the parameter's current value.
  static void EntryText(const IParameter& parameter, IParameter::Text& text) noexcept;
  // Drop-down list width: 24, or 8 per character of the longest display text plus 24.
  static int EntryListWidth(const IParameter& parameter) noexcept;
  // The last display text equal to text, or −1.
  static int EntryListSelection(const IParameter& parameter, const char* text) noexcept;
  // The normalized value a commit of text gives: the value a display text maps to (0 if none),
  // or the text's leading decimal number (0 if none), negated when the parameter shows its
  // values negated.
  static double EntryCommitValue(const IParameter& parameter, const char* text) noexcept;
  // The longest decimal prefix after leading blanks; 0 when there is none or it is not finite.
  static double ParseLeadingNumber(const char* text) noexcept;

  // The redraw tick's first step: with an entry box open in a state other than kEntryOpen it
  // decides the entry's action instead of a redraw (unknown states fall back to kEntryOpen).
  TickAction BeginRedrawTick() noexcept;
  // After a tick painted something: an open box refreshes its text at the next tick.
  void AfterRedrawPainted() noexcept;
  // A left press: an open entry commits at the next tick; the press goes on to the controls.
  void NoteLeftButtonDown() noexcept;
  // A right press: an open entry cancels at the next tick, and the press is consumed (true).
  bool NoteRightButtonDown() noexcept;
  // While the box has the focus, the editor window leaves every message (but the right button)
  // to the default procedure.
  bool EntryHoldsMessages() const noexcept {
    return entryBox_ != nullptr && entryState_ == kEntryFocused;
  }
  // Forgets the entry: box, procedure, control, parameter, state and its last fill.
  void ClearEntry() noexcept;

  // The value entry's text, for every window layer (see ValueEntryRefresh for the rule):
  // the box was opened showing text (the parameter's EntryText).
  void NoteEntryFilled(const char* text) noexcept { entryRefresh_.Filled(text); }
  // At a kRefreshEntry tick: true, with text to put in the box (selected whole), only when the
  // parameter's text changed on the plug-in side since the box was filled and the box still
  // shows that fill, i.e. the user has not typed. shown: what the box shows now.
  bool EntryRefreshText(const char* shown, IParameter::Text& text) noexcept;
  // At a kCommitEntry tick: sets the entry's control from the box's text as one edit of its
  // parameter (begin, value, end). The caller then closes the box.
  void CommitEntryText(const char* text);

 protected:
  // The platform's window and entry-box procedures (editor_window_win32.cpp,
  // editor_window_x11.cpp) work on the fields.
  friend class EditorWindowMessages;

  // The core's resize and the surface's; returns the change of size.
  void ResizeCoreAndSurface(int width, int height, int& dw, int& dh);

  bool fontSelected_ = false;
  IRgba textColour_{255, 0, 0, 0};
  void* moduleHandle_ = nullptr;
  void* window_ = nullptr;
  void* entryBox_ = nullptr;
  void* entryBoxProcedure_ = nullptr;
  int32_t entryState_ = kEntryOpen;
  uint32_t* customColours_ = nullptr;  // 16 colours, allocated on first use
  void* parentWindow_ = nullptr;
  std::unique_ptr<TextRenderer> textRenderer_;  // the FreeType text path (not on Windows)
  ValueEntryRefresh entryRefresh_;
  void* session_ = nullptr;  // the open X11 window, its connection and driver (Linux)
  IEditorLoop* hostLoop_ = nullptr;
};
