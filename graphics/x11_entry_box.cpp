// The editor's own value entry: its geometry, editing rules and pixels.
#include "graphics/x11_entry_box.h"

#include <algorithm>

#include "graphics/editor_window.h"
#include "graphics/text_renderer.h"
#include "raster/blit.h"

namespace {

constexpr uint32_t kBackground = 0xFFFFFFFFu;
constexpr uint32_t kBorder = 0xFF7A7A7Au;
constexpr uint32_t kInk = 0xFF000000u;
constexpr uint32_t kHighlight = 0xFF3874D8u;
constexpr uint32_t kHighlightInk = 0xFFFFFFFFu;
constexpr int kPadding = 3;

void Paint(RasterBitmap& bitmap, const IBounds& b, uint32_t colour) {
  FillRect(&bitmap, b.left, b.top, b.Width(), b.Height(), colour, 1.0f, 0);
}

}  // namespace

X11EntryBox::X11EntryBox(const IParameter& parameter, const IBounds& controlBounds, int editorWidth,
                         int editorHeight) {
  const auto centreX = static_cast<int>((controlBounds.left + controlBounds.right) * 0.5);
  const auto centreY = static_cast<int>((controlBounds.top + controlBounds.bottom) * 0.5);
  IParameter::Text text;
  IEditorWindow::EntryText(parameter, text);
  const int count = parameter.ValueTextCount();
  int left = 0, top = 0, width = 0, height = 0;
  if (count == 0) {
    width = IEditorWindow::kEditBoxWidth;
    height = IEditorWindow::kEditBoxHeight;
    left = centreX - width / 2;
    top = centreY - height / 2;
    text_ = text;
    caret_ = text_.size();
    allSelected_ = true;  // ready to be typed over
  } else {
    for (int i = 0; i < count; ++i) {
      IParameter::Text item;
      parameter.FormatValue(i, false, item);
      items_.emplace_back(item);
    }
    selected_ = IEditorWindow::EntryListSelection(parameter, text);
    // As many rows as the editor's height holds, then columns side by side.
    rows_ = std::clamp((editorHeight - 2) / kListRowHeight, 1, count);
    columns_ = (count + rows_ - 1) / rows_;
    columnWidth_ = IEditorWindow::EntryListWidth(parameter);
    shownColumns_ = std::clamp(editorWidth / columnWidth_, 1, columns_);
    width = columnWidth_ * shownColumns_;
    height = kListRowHeight * rows_ + 2;
    left = centreX - width / 2;
    top = centreY;
    ShowColumnOf(selected_);
  }
  // A list cannot drop out of the editor's window as a system list would: it stays inside.
  left = std::clamp(left, 0, std::max(0, editorWidth - width));
  top = std::clamp(top, 0, std::max(0, editorHeight - height));
  bounds_ = {left, top, left + width, top + height};
  pixels_.Resize(width, height);
}

std::string X11EntryBox::Text() const {
  if (!IsList()) return text_;
  return selected_ >= 0 ? items_[static_cast<size_t>(selected_)] : std::string();
}

void X11EntryBox::Fill(const char* text) {
  if (IsList()) {
    const auto found = std::find(items_.rbegin(), items_.rend(), std::string(text));
    selected_ = found == items_.rend() ? -1 : static_cast<int>(items_.rend() - found) - 1;
    ShowColumnOf(selected_);
  } else {
    text_ = text;
    caret_ = text_.size();
    allSelected_ = true;
  }
}

X11EntryBox::Action X11EntryBox::HandleKey(Key key, char character) {
  switch (key) {
    case Key::kReturn:
      return Action::kCommit;
    case Key::kEscape:
      return Action::kCancel;
    default:
      break;
  }
  if (IsList()) {
    const int last = static_cast<int>(items_.size()) - 1;
    // Across columns the side keys move a column; in a single one they move an item.
    const int side = columns_ > 1 ? rows_ : 1;
    switch (key) {
      case Key::kUp:
        return Choose(std::max(0, selected_ - 1));
      case Key::kDown:
        return Choose(selected_ + 1);
      case Key::kLeft:
        return Choose(std::max(0, selected_ - side));
      case Key::kRight:
        return Choose(selected_ < 0 ? 0 : selected_ + side);
      case Key::kPageUp:
        return Choose(std::max(0, selected_ - rows_));
      case Key::kPageDown:
        return Choose(selected_ < 0 ? 0 : selected_ + rows_);
      case Key::kHome:
        return Choose(0);
      case Key::kEnd:
        return Choose(last);
      default:
        return Action::kNone;
    }
  }
  const std::string before = text_;
  const size_t caretBefore = caret_;
  const bool wasSelected = allSelected_;
  const bool replaces = allSelected_;
  allSelected_ = false;
  switch (key) {
    case Key::kCharacter:
      if (static_cast<unsigned char>(character) < 0x20 || character == 0x7F) {
        allSelected_ = wasSelected;
        return Action::kNone;
      }
      if (replaces) text_.clear(), caret_ = 0;
      if (text_.size() >= static_cast<size_t>(IEditorWindow::kEntryTextLimit)) break;
      text_.insert(caret_, 1, character);
      ++caret_;
      break;
    case Key::kBackspace:
      if (replaces) {
        text_.clear(), caret_ = 0;
      } else if (caret_ > 0) {
        text_.erase(--caret_, 1);
      }
      break;
    case Key::kDelete:
      if (replaces) {
        text_.clear(), caret_ = 0;
      } else if (caret_ < text_.size()) {
        text_.erase(caret_, 1);
      }
      break;
    case Key::kLeft:
      if (!replaces && caret_ > 0) --caret_;
      if (replaces) caret_ = 0;
      break;
    case Key::kRight:
      if (caret_ < text_.size()) caret_ += replaces ? text_.size() - caret_ : 1;
      break;
    case Key::kHome:
      caret_ = 0;
      break;
    case Key::kEnd:
      caret_ = text_.size();
      break;
    default:
      allSelected_ = wasSelected;
      return Action::kNone;
  }
  const bool changed = text_ != before || caret_ != caretBefore || allSelected_ != wasSelected;
  return changed ? Action::kChanged : Action::kNone;
}

X11EntryBox::Action X11EntryBox::Choose(int item) {
  item = std::min(item, static_cast<int>(items_.size()) - 1);
  if (item == selected_) return Action::kNone;
  selected_ = item;
  ShowColumnOf(item);
  return Action::kChanged;
}

void X11EntryBox::ShowColumnOf(int item) {
  if (item < 0) return;
  const int column = item / rows_;
  if (column < firstColumn_) firstColumn_ = column;
  if (column >= firstColumn_ + shownColumns_) firstColumn_ = column - shownColumns_ + 1;
}

X11EntryBox::Action X11EntryBox::Scroll(int notches) {
  if (!IsList()) return Action::kNone;
  // A notch up (positive) shows earlier columns.
  const int first = std::clamp(firstColumn_ - notches, 0, columns_ - shownColumns_);
  if (first == firstColumn_) return Action::kNone;
  firstColumn_ = first;
  return Action::kChanged;
}

X11EntryBox::Action X11EntryBox::HandlePress(int x, int y) {
  if (IsList()) {
    const int row = (y - bounds_.top - 1) / kListRowHeight;
    const int column = firstColumn_ + (x - bounds_.left) / columnWidth_;
    const int item = column * rows_ + row;
    if (y < bounds_.top + 1 || row < 0 || row >= rows_ || x < bounds_.left ||
        item >= static_cast<int>(items_.size()))
      return Action::kNone;
    selected_ = item;
    return Action::kCommit;
  }
  // The caret goes to the end or the start, whichever half was hit: the box is small.
  const size_t caret = x < (bounds_.left + bounds_.right) / 2 ? 0 : text_.size();
  if (caret == caret_ && !allSelected_) return Action::kNone;
  caret_ = caret;
  allSelected_ = false;
  return Action::kChanged;
}

void X11EntryBox::Render(TextRenderer& text) {
  MemoryBitmap& p = pixels_;
  const int width = bounds_.Width(), height = bounds_.Height();
  if (p.GetWidth() != width || p.GetHeight() != height) return;
  Paint(p, {0, 0, width, height}, kBorder);
  Paint(p, {1, 1, width - 1, height - 1}, kBackground);
  const int line = text.LineHeight();
  if (IsList()) {
    const int count = static_cast<int>(items_.size());
    for (int column = 0; column < shownColumns_; ++column) {
      const int left = column * columnWidth_;
      for (int row = 0; row < rows_; ++row) {
        const int item = (firstColumn_ + column) * rows_ + row;
        if (item >= count) break;
        const int top = 1 + row * kListRowHeight;
        const bool chosen = item == selected_;
        if (chosen)
          Paint(p, {left + 1, top, std::min(width - 1, left + columnWidth_), top + kListRowHeight},
                kHighlight);
        const int y = top + (kListRowHeight - line) / 2;
        text.RenderText(&p, items_[static_cast<size_t>(item)].c_str(),
                        {left + kPadding, y, left + columnWidth_ - kPadding, y + line},
                        chosen ? kHighlightInk : kInk, ITextStyle::kLeft);
      }
    }
    return;
  }
  const int inner = width - 2 * kPadding;
  const int full = text.MeasureText(text_.c_str());
  const int beforeCaret = text.MeasureText(text_.substr(0, caret_).c_str());
  // Centred while it fits; longer texts scroll so that the caret stays in view.
  int x = kPadding + (inner - full) / 2;
  if (full > inner) x = std::min(kPadding, width - kPadding - 1 - beforeCaret);
  const int y = (height - line) / 2;
  if (allSelected_ && !text_.empty())
    Paint(p, {std::max(1, x), 1, std::min(width - 1, x + full), height - 1}, kHighlight);
  text.RenderText(&p, text_.c_str(), {x, y, x + std::max(full, 1), y + line},
                  allSelected_ ? kHighlightInk : kInk, ITextStyle::kLeft);
  if (!allSelected_) {
    const int caretX = std::clamp(x + beforeCaret, 1, width - 2);
    Paint(p, {caretX, 2, caretX + 1, height - 2}, kInk);
  }
}
