// The editor window's decisions that do not depend on a platform: key mapping, the value
// entry's states and texts, the image loader test and path trimming.
#include "graphics/editor_window.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "graphics/text_renderer.h"
#include "raster/dib_bitmap.h"

IEditorWindow::IEditorWindow(IEffectBase* plugin, int width, int height, int framesPerSecond)
    : IGraphicsRaster(plugin, width, height, framesPerSecond) {}

IEditorWindow::~IEditorWindow() {
  gestureParameter_ = -1;  // the plug-in is being destroyed: it hears of no edit any more
  CloseEditorWindow();
  delete[] customColours_;
  customColours_ = nullptr;
}

int IEditorWindow::MapKeyCode(uint32_t virtualKey) noexcept {
  switch (virtualKey) {
    case 0x20:
      return 0;
    case 0x26:  // up
      return 1;
    case 0x28:  // down
      return 2;
    case 0x25:  // left
      return 3;
    case 0x27:  // right
      return 4;
    default:
      break;
  }
  if (virtualKey >= '0' && virtualKey <= '9') return 5 + static_cast<int>(virtualKey - '0');
  if (virtualKey >= 'A' && virtualKey <= 'Z') return 15 + static_cast<int>(virtualKey - 'A');
  if (virtualKey >= 'a' && virtualKey <= 'z') return 15 + static_cast<int>(virtualKey - 'a');
  return -1;
}

bool IEditorWindow::HasPngExtension(const char* name) noexcept {
  if (!name || !*name) return false;
  const char* dot = nullptr;
  for (const char* c = name + std::strlen(name) - 1; c > name; --c) {
    if (*c == '.') {
      dot = c;
      break;
    }
  }
  if (!dot) return false;
  const char* extension = dot + 1;
  static constexpr char kPng[] = "png";
  for (int i = 0; i < 3; ++i)
    if (std::tolower(static_cast<unsigned char>(extension[i])) != kPng[i]) return false;
  return extension[3] == '\0';
}

void IEditorWindow::TrimToFolder(const char* fullName, char separator,
                                 char (&path)[kPathSize]) noexcept {
  path[0] = '\0';
  if (!fullName) return;
  const char* last = std::strrchr(fullName, separator);
  if (!last || last[1] == '\0') return;
  const size_t length = static_cast<size_t>(last - fullName) + 1;
  if (length >= kPathSize) return;  // a folder that does not fit is no folder at all
  std::memcpy(path, fullName, length);
  path[length] = '\0';
}

void IEditorWindow::EntryText(const IParameter& parameter, IParameter::Text& text) noexcept {
  parameter.FormatCurrentValue(text);
}

int IEditorWindow::EntryListWidth(const IParameter& parameter) noexcept {
  int width = 24;
  const int count = parameter.ValueTextCount();
  for (int i = 0; i < count; ++i) {
    IParameter::Text text;
    parameter.FormatValue(i, false, text);
    width = std::max(width, 8 * static_cast<int>(std::strlen(text)) + 24);
  }
  return width;
}

int IEditorWindow::EntryListSelection(const IParameter& parameter, const char* text) noexcept {
  int selected = -1;
  if (!text) return selected;
  const int count = parameter.ValueTextCount();
  for (int i = 0; i < count; ++i) {
    IParameter::Text candidate;
    parameter.FormatValue(i, false, candidate);
    if (std::strcmp(candidate, text) == 0) selected = i;
  }
  return selected;
}

double IEditorWindow::ParseLeadingNumber(const char* text) noexcept {
  if (!text) return 0.0;
  while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' ||
         *text == '\f')
    ++text;
  // Plain decimal only: sign, digits, one point, an exponent. No hex, no "inf", no "nan".
  const char* c = text;
  if (*c == '+' || *c == '-') ++c;
  const char* digits = c;
  while (std::isdigit(static_cast<unsigned char>(*c))) ++c;
  if (*c == '.') ++c;
  while (std::isdigit(static_cast<unsigned char>(*c))) ++c;
  const bool anyDigit = std::any_of(
      digits, c, [](char d) { return std::isdigit(static_cast<unsigned char>(d)) != 0; });
  if (!anyDigit) return 0.0;
  if (*c == 'e' || *c == 'E') {
    const char* exponent = c + 1;
    if (*exponent == '+' || *exponent == '-') ++exponent;
    if (std::isdigit(static_cast<unsigned char>(*exponent))) {
      c = exponent;
      while (std::isdigit(static_cast<unsigned char>(*c))) ++c;
    }
  }
  char buffer[kEntryTextLimit + 1];
  const size_t length = std::min(static_cast<size_t>(c - text), sizeof(buffer) - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  const double value = std::strtod(buffer, nullptr);
  return std::isfinite(value) ? value : 0.0;
}

double IEditorWindow::EntryCommitValue(const IParameter& parameter, const char* text) noexcept {
  double value = 0.0;
  if (parameter.ValueTextCount() > 0) {
    int mapped = 0;
    if (text && parameter.ValueForText(text, &mapped)) value = mapped;
  } else {
    value = ParseLeadingNumber(text);
    if (parameter.NegateDisplay()) value = -value;
  }
  return parameter.NormalizeValue(value);
}

IEditorWindow::TickAction IEditorWindow::BeginRedrawTick() noexcept {
  if (!entryBox_ || entryState_ == kEntryOpen) return TickAction::kRedraw;
  switch (entryState_) {
    case kEntryRefresh:
      entryState_ = kEntryOpen;
      return TickAction::kRefreshEntry;
    case kEntryCancel:
      return TickAction::kCancelEntry;
    case kEntryCommit:
      return TickAction::kCommitEntry;
    default:
      entryState_ = kEntryOpen;
      return TickAction::kNothing;
  }
}

void IEditorWindow::AfterRedrawPainted() noexcept {
  if (entryBox_) entryState_ = kEntryRefresh;
}

void IEditorWindow::NoteLeftButtonDown() noexcept {
  if (entryBox_) entryState_ = kEntryCommit;
}

bool IEditorWindow::NoteRightButtonDown() noexcept {
  if (!entryBox_) return false;
  entryState_ = kEntryCancel;
  return true;
}

void IEditorWindow::ClearEntry() noexcept {
  entryBox_ = nullptr;
  entryBoxProcedure_ = nullptr;
  entryState_ = kEntryOpen;
  SetEntry(nullptr, nullptr);
  entryRefresh_.Reset();
}

bool IEditorWindow::EntryRefreshText(const char* shown, IParameter::Text& text) noexcept {
  const IParameter* parameter = EntryParameter();
  return parameter && entryRefresh_.Refresh(*parameter, shown, text);
}

void IEditorWindow::CommitEntryText(const char* text) {
  IControl* control = EntryControl();
  const IParameter* parameter = EntryParameter();
  if (control && parameter) CommitUserValue(*control, EntryCommitValue(*parameter, text));
}

void IEditorWindow::ResizeCoreAndSurface(int width, int height, int& dw, int& dh) {
  dw = width - width_;
  dh = height - height_;
  IGraphicsCore::Resize(width, height);
  if (surface_) surface_->Resize(width, height);
}
