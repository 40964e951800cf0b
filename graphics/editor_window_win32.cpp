// The editor window layer on Windows: the child window in the host's frame, its timer and
// painting, mouse and key input, text through GDI, the in-place value entry and the system
// dialogs. Everything here runs on the thread that owns the host's window.
#include <windows.h>

// After windows.h: these build on its types.
#include <commdlg.h>
#include <shellapi.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>

#include "controls/control.h"
#include "graphics/editor_window.h"
#include "raster/dib_bitmap.h"
#include "raster/png_loader.h"

namespace {

// One per loaded library: the class is registered while any editor window of it is alive.
int32_t openWindowCount = 0;
// Written just before a window is created, read by its WM_CREATE.
double frameRateHandOver = 24.0;

constexpr int kFileNameSize = 256;
constexpr int kCustomColourCount = 16;
constexpr BYTE kClearTypeQuality = 5;

HWND AsWindow(void* handle) {
  return static_cast<HWND>(handle);
}

COLORREF ToColorRef(const IRgba& colour) {
  return static_cast<COLORREF>((colour.red & 0xFF) | (colour.green & 0xFF) << 8 |
                               (colour.blue & 0xFF) << 16);
}

IMouseModifiers Modifiers(WPARAM keyState) {
  IMouseModifiers modifiers;
  modifiers.left = (keyState & MK_LBUTTON) != 0;
  modifiers.right = (keyState & MK_RBUTTON) != 0;
  modifiers.shift = (keyState & MK_SHIFT) != 0;
  modifiers.control = (keyState & MK_CONTROL) != 0;
  modifiers.alt = GetKeyState(VK_MENU) < 0;
  return modifiers;
}

int LowX(LPARAM position) {
  return static_cast<int16_t>(LOWORD(position));
}
int HighY(LPARAM position) {
  return static_cast<int16_t>(HIWORD(position));
}

// A non-MDI child window: its parent grows with it.
bool IsPlainChild(HWND window) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  return (style & WS_CHILD) != 0 && (exStyle & WS_EX_MDICHILD) == 0;
}

void GrowWindow(HWND window, int dw, int dh) {
  RECT r{};
  GetWindowRect(window, &r);
  SetWindowPos(window, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* choose = reinterpret_cast<const CHOOSECOLORA*>(lParam);
    const auto* caption = reinterpret_cast<const char*>(choose->lCustData);
    if (caption != nullptr) SetWindowTextA(dialog, caption);
  }
  return 0;
}

}  // namespace

// The window and entry-box procedures, with access to the editor's window fields.
class EditorWindowMessages {
 public:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK EntryProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

  static void RegisterWindowClass(HINSTANCE module);
  static void ReleaseWindowClass(HINSTANCE module);
  static void CloseEntry(IEditorWindow& editor);

 private:
  static void RedrawTick(IEditorWindow& editor);
  static void RefreshEntry(IEditorWindow& editor);
  static void CommitEntry(IEditorWindow& editor);
  // The window went away without CloseEditorWindow (its parent was destroyed by the host).
  static void ForgetWindow(IEditorWindow& editor);
};

void EditorWindowMessages::RegisterWindowClass(HINSTANCE module) {
  if (openWindowCount++ > 0) return;
  // A class left behind (its last window died with the host's window, when it could not be
  // unregistered) may point into an earlier load of this library: start afresh.
  UnregisterClassA(IEditorWindow::kWindowClassName, module);
  WNDCLASSA windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &EditorWindowMessages::WindowProcedure;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = IEditorWindow::kWindowClassName;
  RegisterClassA(&windowClass);
}

void EditorWindowMessages::ReleaseWindowClass(HINSTANCE module) {
  if (openWindowCount > 0 && --openWindowCount == 0) {
    UnregisterClassA(IEditorWindow::kWindowClassName, module);
  }
}

void EditorWindowMessages::CloseEntry(IEditorWindow& editor) {
  const HWND box = AsWindow(editor.entryBox_);
  if (box != nullptr) {
    if (editor.entryBoxProcedure_ != nullptr) {
      SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editor.entryBoxProcedure_));
    }
    const auto font = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
    DestroyWindow(box);
    if (font != nullptr) DeleteObject(font);
  }
  editor.ClearEntry();
}

void EditorWindowMessages::RefreshEntry(IEditorWindow& editor) {
  const IParameter* parameter = editor.EntryParameter();
  const HWND box = AsWindow(editor.entryBox_);
  if (parameter == nullptr || box == nullptr) return;
  char shown[IEditorWindow::kEntryTextLimit + 1] = {};
  GetWindowTextA(box, shown, sizeof shown);
  IParameter::Text text;
  if (!editor.EntryRefreshText(shown, text)) return;
  if (parameter->ValueTextCount() > 0) {
    SendMessageA(box, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  } else {
    SetWindowTextA(box, text);
    SendMessageA(box, EM_SETSEL, 0, -1);
  }
}

void EditorWindowMessages::CommitEntry(IEditorWindow& editor) {
  if (editor.entryBox_ != nullptr) {
    char text[IEditorWindow::kEntryTextLimit + 1] = {};
    GetWindowTextA(AsWindow(editor.entryBox_), text, sizeof text);
    editor.CommitEntryText(text);
  }
  CloseEntry(editor);
}

void EditorWindowMessages::RedrawTick(IEditorWindow& editor) {
  switch (editor.BeginRedrawTick()) {
    case IEditorWindow::TickAction::kRefreshEntry:
      RefreshEntry(editor);
      return;
    case IEditorWindow::TickAction::kCancelEntry:
      CloseEntry(editor);
      return;
    case IEditorWindow::TickAction::kCommitEntry:
      CommitEntry(editor);
      return;
    case IEditorWindow::TickAction::kNothing:
      return;
    case IEditorWindow::TickAction::kRedraw:
      break;
  }
  IBounds area{};
  if (!editor.CollectDirtyArea(area)) return;
  const HWND window = AsWindow(editor.window_);
  const RECT r{area.left, area.top, area.right, area.bottom};
  InvalidateRect(window, &r, FALSE);
  UpdateWindow(window);
  editor.AfterRedrawPainted();
}

void EditorWindowMessages::ForgetWindow(IEditorWindow& editor) {
  CloseEntry(editor);
  editor.ReleaseMouse();
  editor.window_ = nullptr;
  ReleaseWindowClass(static_cast<HINSTANCE>(editor.moduleHandle_));
}

LRESULT CALLBACK EditorWindowMessages::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                       LPARAM lParam) {
  if (message == WM_CREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    const auto period = static_cast<UINT>(1000.0 / frameRateHandOver);
    SetTimer(window, IEditorWindow::kTimerId, period, nullptr);
    SetFocus(window);
    return 0;
  }
  auto* editor = reinterpret_cast<IEditorWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (editor == nullptr || editor->window_ != window) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  IEditorWindow& e = *editor;

  // A drop-down list reports its selection to its parent, so the commit is noticed here.
  if (message == WM_COMMAND && e.entryBox_ != nullptr &&
      reinterpret_cast<HWND>(lParam) == AsWindow(e.entryBox_) && HIWORD(wParam) == CBN_SELCHANGE) {
    e.entryState_ = IEditorWindow::kEntryCommit;
    return 0;
  }
  if (e.EntryHoldsMessages()) {
    if (message != WM_RBUTTONDOWN) return DefWindowProcA(window, message, wParam, lParam);
    e.entryState_ = IEditorWindow::kEntryCancel;
    return 0;
  }

  switch (message) {
    case WM_PAINT: {
      RECT r{};
      if (GetUpdateRect(window, &r, FALSE)) e.DrawArea(IBounds{r.left, r.top, r.right, r.bottom});
      return 0;
    }
    case WM_CLOSE:
      e.CloseEditorWindow();
      return 0;
    case WM_DESTROY:
      ForgetWindow(e);
      return 0;
    case WM_MOUSEACTIVATE:
      SetFocus(window);
      return MA_ACTIVATE;
    case WM_KEYDOWN: {
      const int code = IEditorWindow::MapKeyCode(static_cast<uint32_t>(wParam));
      if (code >= 0) {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(window, &p);
        e.HandleKeyDown(p.x, p.y, code);
      }
      return 0;
    }
    case WM_TIMER:
      if (wParam == IEditorWindow::kTimerId) RedrawTick(e);
      return 0;
    case WM_MOUSEMOVE:
      if ((wParam & (MK_LBUTTON | MK_RBUTTON)) != 0) {
        if (GetCapture() == window)
          e.HandleMouseDrag(LowX(lParam), HighY(lParam), Modifiers(wParam));
      } else {
        e.HandleMouseOver(LowX(lParam), HighY(lParam), Modifiers(wParam));
      }
      return 0;
    case WM_LBUTTONDOWN:
      e.NoteLeftButtonDown();
      SetCapture(window);
      e.HandleMouseDown(LowX(lParam), HighY(lParam), Modifiers(wParam));
      return 0;
    case WM_RBUTTONDOWN:
      if (!e.NoteRightButtonDown()) {
        SetCapture(window);
        e.HandleMouseDown(LowX(lParam), HighY(lParam), Modifiers(wParam));
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      ReleaseCapture();
      e.HandleMouseUp(LowX(lParam), HighY(lParam), Modifiers(wParam));
      return 0;
    case WM_LBUTTONDBLCLK:
      if (e.HandleDoubleClick(LowX(lParam), HighY(lParam), Modifiers(wParam))) SetCapture(window);
      return 0;
    case WM_MOUSEWHEEL: {
      RECT r{};
      GetWindowRect(window, &r);
      const int notches = IEditorWindow::WheelNotches(static_cast<int16_t>(HIWORD(wParam)));
      e.HandleMouseWheel(LowX(lParam) - r.left, HighY(lParam) - r.top, Modifiers(LOWORD(wParam)),
                         notches);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK EditorWindowMessages::EntryProcedure(HWND box, UINT message, WPARAM wParam,
                                                      LPARAM lParam) {
  auto* editor = reinterpret_cast<IEditorWindow*>(GetWindowLongPtrA(box, GWLP_USERDATA));
  if (editor == nullptr || editor->entryBox_ != box || editor->entryBoxProcedure_ == nullptr) {
    return DefWindowProcA(box, message, wParam, lParam);
  }
  const auto previous = reinterpret_cast<WNDPROC>(editor->entryBoxProcedure_);
  switch (message) {
    case WM_SETFOCUS:
      editor->entryState_ = IEditorWindow::kEntryFocused;
      break;
    case WM_KILLFOCUS:
      editor->entryState_ = IEditorWindow::kEntryOpen;
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcA(previous, box, message, wParam, lParam);
      const auto* asked = reinterpret_cast<const MSG*>(lParam);
      if (asked != nullptr && asked->message == WM_KEYDOWN && asked->wParam == VK_RETURN) {
        code |= DLGC_WANTALLKEYS;
      }
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        editor->entryState_ = IEditorWindow::kEntryCommit;
        return 0;
      }
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == CBN_SELCHANGE) {
        editor->entryState_ = IEditorWindow::kEntryCommit;
        return 0;
      }
      break;
    default:
      break;
  }
  return CallWindowProcA(previous, box, message, wParam, lParam);
}

// ---- IEditorWindow, Windows half --------------------------------------------------------------

bool IEditorWindow::PresentArea(const IBounds& area) {
  const HWND window = AsWindow(window_);
  if (window == nullptr) return true;
  PAINTSTRUCT paint{};
  HDC target = BeginPaint(window, &paint);
  auto source = surface_ ? static_cast<HDC>(surface_->GetDeviceContext()) : nullptr;
  if (target != nullptr && source != nullptr) {
    BitBlt(target, area.left, area.top, area.Width(), area.Height(), source, area.left, area.top,
           SRCCOPY);
  }
  EndPaint(window, &paint);
  return true;
}

bool IEditorWindow::DrawString(const ITextStyle& style, const char* text, const IBounds& bounds) {
  if (text == nullptr || *text == '\0') return true;
  auto dc = surface_ ? static_cast<HDC>(surface_->GetDeviceContext()) : nullptr;
  if (dc == nullptr) return false;
  if (!fontSelected_) {
    // The first style drawn chooses the font for the editor's life.
    HFONT font = CreateFontA(style.size, 0, style.orientation * 10, style.orientation * 10,
                             style.style == ITextStyle::kBold ? FW_BOLD : 0,
                             style.style == ITextStyle::kItalic, FALSE, FALSE, 0,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, kClearTypeQuality,
                             DEFAULT_PITCH | FF_DONTCARE, style.fontFace);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    fontSelected_ = true;
    SetTextColor(dc, ToColorRef(style.colour));
    textColour_ = style.colour;
  } else if (!(style.colour == textColour_)) {
    SetTextColor(dc, ToColorRef(style.colour));
    textColour_ = style.colour;
  }
  UINT format = DT_NOCLIP | DT_LEFT;
  if (style.alignment == ITextStyle::kCentre) format = DT_NOCLIP | DT_CENTER;
  if (style.alignment == ITextStyle::kRight) format = DT_NOCLIP | DT_RIGHT;
  RECT r{bounds.left, bounds.top, bounds.right, bounds.bottom};
  const int height = DrawTextA(dc, text, -1, &r, format);
  // The raster code writes the same bits directly: GDI's batch must be done first.
  GdiFlush();
  return height != 0;
}

bool IEditorWindow::StringInk(const ITextStyle& style, const char* text, const IBounds& bounds,
                              IBounds& ink) {
  auto dc = surface_ ? static_cast<HDC>(surface_->GetDeviceContext()) : nullptr;
  if (!fontSelected_ || dc == nullptr || text == nullptr || *text == '\0')
    return IGraphicsRaster::StringInk(style, text, bounds, ink);
  RECT r{0, 0, 0, 0};
  DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_NOCLIP | DT_LEFT);  // the widest line, all lines
  const int width = r.right - r.left, height = r.bottom - r.top;
  int left = bounds.left;
  if (style.alignment == ITextStyle::kCentre) left = bounds.left + (bounds.Width() - width) / 2;
  if (style.alignment == ITextStyle::kRight) left = bounds.right - width;
  // Glyphs reach past their advance (overhangs, the ClearType fringe), and centring rounds.
  const int margin = style.size / 4 > 2 ? style.size / 4 : 2;
  ink =
      IBounds{left - margin, bounds.top - 1, left + width + margin, bounds.top + height + 1}.Union(
          bounds);
  return true;
}

void IEditorWindow::Resize(int width, int height) {
  // The entry's control is deleted with the others.
  if (entryBox_ != nullptr) EditorWindowMessages::CloseEntry(*this);
  int dw = 0, dh = 0;
  ResizeCoreAndSurface(width, height, dw, dh);
  const HWND window = AsWindow(window_);
  if (window == nullptr) return;
  RECT old{};
  GetWindowRect(window, &old);
  GrowWindow(window, dw, dh);
  if (IsPlainChild(window)) {
    const HWND parent = GetParent(window);
    if (parent != nullptr) {
      GrowWindow(parent, dw, dh);
      if (IsPlainChild(parent)) {
        const HWND grandparent = GetParent(parent);
        if (grandparent != nullptr) GrowWindow(grandparent, dw, dh);
      }
    }
  }
  const RECT area{0, 0, old.right - old.left, old.bottom - old.top};
  InvalidateRect(window, &area, FALSE);
}

void IEditorWindow::OpenValueEntry(IControl* control, IParameter* parameter, bool /*textMode*/) {
  if (control == nullptr || parameter == nullptr || entryBox_ != nullptr || window_ == nullptr) {
    return;
  }
  const IBounds& b = control->DrawBounds();
  const auto centreX = static_cast<int>((b.left + b.right) * 0.5);
  const auto centreY = static_cast<int>((b.top + b.bottom) * 0.5);
  IParameter::Text text;
  EntryText(*parameter, text);
  const int count = parameter->ValueTextCount();
  const auto module = static_cast<HINSTANCE>(moduleHandle_);
  const auto id = reinterpret_cast<HMENU>(static_cast<intptr_t>(kEntryControlId));

  HWND box = nullptr;
  if (count == 0) {
    box = CreateWindowExA(0, "EDIT", text, WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_CENTER,
                          centreX - kEditBoxWidth / 2, centreY - kEditBoxHeight / 2, kEditBoxWidth,
                          kEditBoxHeight, AsWindow(window_), id, module, nullptr);
    if (box != nullptr) SendMessageA(box, EM_SETSEL, 0, -1);
  } else {
    const int width = EntryListWidth(*parameter);
    const int selected = EntryListSelection(*parameter, text);
    box = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST,
                          centreX - width / 2, centreY, width, 36 * (count + 1), AsWindow(window_),
                          id, module, nullptr);
    if (box != nullptr) {
      for (int i = 0; i < count; ++i) {
        IParameter::Text item;
        parameter->FormatValue(i, false, item);
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
      }
      if (selected >= 0) SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    }
  }
  if (box == nullptr) return;
  entryBox_ = box;
  NoteEntryFilled(text);
  SetFocus(box);
  // Installed after the focus moved, so the entry starts in state kEntryOpen.
  entryBoxProcedure_ = reinterpret_cast<void*>(SetWindowLongPtrA(
      box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditorWindowMessages::EntryProcedure)));
  SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  HFONT font = CreateFontA(kEntryFontHeight, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetEntry(control, parameter);
}

void IEditorWindow::GetHostPath(char (&path)[kPathSize]) {
  char name[kFileNameSize] = {};
  path[0] = '\0';
  if (GetModuleFileNameA(nullptr, name, kFileNameSize) == 0) return;
  name[kFileNameSize - 1] = '\0';
  TrimToFolder(name, '\\', path);
}

void IEditorWindow::GetModulePath(char (&path)[kPathSize]) {
  char name[kFileNameSize] = {};
  path[0] = '\0';
  if (GetModuleFileNameA(static_cast<HMODULE>(moduleHandle_), name, kFileNameSize) == 0) return;
  name[kFileNameSize - 1] = '\0';
  TrimToFolder(name, '\\', path);
}

void IEditorWindow::PickFile(char (&result)[kPathSize], int action, const char* startFolder,
                             const char* /*extension*/) {
  result[0] = '\0';
  if (window_ == nullptr) return;
  char fileName[kFileNameSize] = {};
  char folder[kFileNameSize] = {};
  if (startFolder != nullptr) {
    std::strncpy(folder, startFolder, kFileNameSize - 1);
  }
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = AsWindow(window_);
  dialog.lpstrFile = fileName;
  dialog.nMaxFile = kFileNameSize - 1;
  dialog.lpstrInitialDir = folder;
  BOOL chosen = FALSE;
  if (action == 1) {
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    chosen = GetSaveFileNameA(&dialog);
  } else {
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameA(&dialog);
  }
  if (!chosen) return;
  std::snprintf(result, kPathSize, "%s", fileName);
}

bool IEditorWindow::PickColour(IRgba* colour, const char* caption) {
  if (window_ == nullptr || colour == nullptr) return false;
  if (customColours_ == nullptr) customColours_ = new uint32_t[kCustomColourCount]();
  CHOOSECOLORA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = AsWindow(window_);
  dialog.rgbResult = ToColorRef(*colour);
  dialog.lpCustColors = reinterpret_cast<COLORREF*>(customColours_);
  dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK | CC_SOLIDCOLOR | CC_ANYCOLOR;
  dialog.lCustData = reinterpret_cast<LPARAM>(caption);
  dialog.lpfnHook = &ColourDialogHook;
  if (!ChooseColorA(&dialog)) return false;
  colour->red = GetRValue(dialog.rgbResult);
  colour->green = GetGValue(dialog.rgbResult);
  colour->blue = GetBValue(dialog.rgbResult);
  return true;
}

bool IEditorWindow::OpenLink(const char* address, const char* caption, const char* confirmation,
                             const char* error) {
  if (address == nullptr) return false;
  if (confirmation != nullptr &&
      MessageBoxA(AsWindow(window_), confirmation, caption, MB_YESNO) != IDYES) {
    return false;
  }
  DWORD connection = 0;
  if (InternetGetConnectedState(&connection, 0)) {
    const auto opened = reinterpret_cast<intptr_t>(
        ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL));
    if (opened > 32) return true;
  }
  if (error != nullptr) MessageBoxA(AsWindow(window_), error, caption, MB_OK);
  return false;
}

void* IEditorWindow::OpenEditorWindow(void* parent) {
  parentWindow_ = parent;
  int x = 0, y = 0, width = Width(), height = Height();
  if (window_ != nullptr) {
    // A new parent while the window is open: the same size and place relative to it.
    RECT parentRect{}, oldRect{};
    GetWindowRect(AsWindow(parent), &parentRect);
    GetWindowRect(AsWindow(window_), &oldRect);
    CloseEditorWindow();
    width = oldRect.right - oldRect.left;
    height = oldRect.bottom - oldRect.top;
    x = oldRect.left - parentRect.left;
    y = oldRect.top - parentRect.top;
  }
  const auto module = static_cast<HINSTANCE>(moduleHandle_);
  EditorWindowMessages::RegisterWindowClass(module);
  frameRateHandOver = FramesPerSecond();
  HWND window = CreateWindowExA(0, kWindowClassName, kWindowTitle, WS_CHILD | WS_VISIBLE, x, y,
                                width, height, AsWindow(parent), nullptr, module, this);
  if (window == nullptr) {
    EditorWindowMessages::ReleaseWindowClass(module);
    return nullptr;
  }
  window_ = window;
  MarkAllControlsDirty();
  return window_;
}

void IEditorWindow::CloseEditorWindow() {
  if (window_ == nullptr) {
    ClearEntry();
    return;
  }
  if (entryBox_ != nullptr) EditorWindowMessages::CloseEntry(*this);
  ReleaseMouse();  // a press still held ends its edit
  const HWND window = AsWindow(window_);
  // Cleared first, so the window's own destruction messages find no editor.
  window_ = nullptr;
  DestroyWindow(window);
  EditorWindowMessages::ReleaseWindowClass(static_cast<HINSTANCE>(moduleHandle_));
}

void IEditorWindow::OpenValueMenu(IControl* control, IParameter* parameter, int itemsPerColumn) {
  if (control == nullptr || parameter == nullptr) return;
  const int count = parameter->ValueTextCount();
  if (count <= 0) return;
  if (itemsPerColumn <= 0) itemsPerColumn = count;
  const auto current = static_cast<int>(parameter->Value());
  // The system-wide menu animation settings are left alone: they belong to the user.
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  for (int id = 1; id <= count; ++id) {
    IParameter::Text text;
    parameter->FormatValue(id - 1, false, text);
    UINT flags = MF_STRING;
    if ((id - 1) % itemsPerColumn == 0) flags |= MF_MENUBARBREAK;
    if (id - 1 == current) flags |= MF_CHECKED;
    AppendMenuA(menu, flags, static_cast<UINT_PTR>(id), text);
  }
  POINT p{};
  GetCursorPos(&p);
  const int chosen =
      TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY, p.x, p.y, GetActiveWindow(), nullptr);
  DestroyMenu(menu);
  if (chosen <= 0 || chosen > count) return;
  IParameter::Text text;
  parameter->FormatValue(chosen - 1, false, text);
  int value = 0;
  if (!parameter->ValueForText(text, &value)) value = 0;
  CommitUserValue(*control, parameter->NormalizeValue(value));
}

RasterBitmap* IEditorWindow::LoadImageResource(int resourceId, const char* resourceName) {
  if (!HasPngExtension(resourceName)) return nullptr;
  return LoadPngFromResource(moduleHandle_, resourceId, nullptr);
}
