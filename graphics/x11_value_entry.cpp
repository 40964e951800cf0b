// The Linux editor's value entry: its box, font and keyboard focus.
#include "graphics/x11_value_entry.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstring>

#include "graphics/editor_window.h"
#include "graphics/text_renderer.h"
#include "graphics/x11_window.h"

namespace {

// The box's keys, from what the keyboard layout made of a key press.
bool EntryKeyFor(KeySym keysym, const char* text, int length, X11EntryBox::Key& key,
                 char& character) {
  using Key = X11EntryBox::Key;
  static constexpr struct {
    KeySym keysym;
    Key key;
  } kKeys[] = {
      {XK_Return, Key::kReturn},
      {XK_KP_Enter, Key::kReturn},
      {XK_Escape, Key::kEscape},
      {XK_BackSpace, Key::kBackspace},
      {XK_Delete, Key::kDelete},
      {XK_KP_Delete, Key::kDelete},
      {XK_Left, Key::kLeft},
      {XK_KP_Left, Key::kLeft},
      {XK_Right, Key::kRight},
      {XK_KP_Right, Key::kRight},
      {XK_Up, Key::kUp},
      {XK_KP_Up, Key::kUp},
      {XK_Down, Key::kDown},
      {XK_KP_Down, Key::kDown},
      {XK_Home, Key::kHome},
      {XK_KP_Home, Key::kHome},
      {XK_End, Key::kEnd},
      {XK_KP_End, Key::kEnd},
      {XK_Page_Up, Key::kPageUp},
      {XK_KP_Page_Up, Key::kPageUp},
      {XK_Page_Down, Key::kPageDown},
      {XK_KP_Page_Down, Key::kPageDown},
  };
  for (const auto& k : kKeys) {
    if (k.keysym != keysym) continue;
    key = k.key;
    return true;
  }
  if (length != 1) return false;
  const auto byte = static_cast<unsigned char>(text[0]);
  if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) return false;
  key = Key::kCharacter;
  character = text[0];
  return true;
}

}  // namespace

X11ValueEntry::X11ValueEntry(X11Window& window) : window_(window) {}

X11ValueEntry::~X11ValueEntry() = default;

X11EntryBox& X11ValueEntry::Open(const IParameter& parameter, const IBounds& controlBounds,
                                 int editorWidth, int editorHeight, Time time) {
  box_ = std::make_unique<X11EntryBox>(parameter, controlBounds, editorWidth, editorHeight);
  Render();
  retakes_ = 0;
  hostFocus_ = window_.FocusHolder();
  window_.WantKeys(true);
  window_.TakeFocus(time);
  return *box_;
}

void X11ValueEntry::Close() {
  if (!box_) return;
  box_.reset();
  window_.WantKeys(false);
  if (window_.FocusHolder() == window_.Id()) window_.GiveFocus(hostFocus_);
}

X11EntryBox::Action X11ValueEntry::Key(XKeyEvent& event) {
  char text[8] = {};
  KeySym keysym = NoSymbol;
  const int length = XLookupString(&event, text, sizeof text, &keysym, nullptr);
  X11EntryBox::Key key{};
  char character = '\0';
  if (!box_ || !EntryKeyFor(keysym, text, length, key, character))
    return X11EntryBox::Action::kNone;
  return box_->HandleKey(key, character);
}

void X11ValueEntry::FocusLeft(const XFocusChangeEvent& event) {
  // Another client's grab (a menu, a drag) takes the keys for a while and gives them back.
  if (!box_ || event.mode == NotifyGrab || event.mode == NotifyUngrab) return;
  if (retakes_ >= kMostRetakes) return;
  const Window focus = window_.FocusHolder();
  if (focus == window_.Id() || !window_.InOurTopLevel(focus)) return;
  hostFocus_ = focus;
  ++retakes_;
  window_.TakeFocus(CurrentTime);
}

void X11ValueEntry::Render() {
  if (!box_) return;
  if (!text_) {
    text_ = CreateTextRenderer();
    if (!text_) return;
    ITextStyle style;  // Arial, 14 pixels, black
    std::strncpy(style.fontFace, "Arial", sizeof style.fontFace - 1);
    style.size = IEditorWindow::kEntryFontHeight;
    style.colour = IRgba{255, 0, 0, 0};
    text_->SelectFont(style);
  }
  box_->Render(*text_);
}
