// The editor window layer on Linux, apart from the window itself (editor_window_x11.cpp): text
// through FreeType, the library's own paths and images, and the system services, which have no
// Linux counterpart here and report that nothing was chosen or opened.
#include <dlfcn.h>
#include <unistd.h>

#include "graphics/editor_window.h"
#include "graphics/text_renderer.h"
#include "raster/png_loader.h"

bool IEditorWindow::DrawString(const ITextStyle& style, const char* text, const IBounds& bounds) {
  if (!text || !*text) return true;
  if (!fontSelected_) {
    // The first style drawn chooses the font for the editor's life.
    textRenderer_ = CreateTextRenderer();
    if (textRenderer_) textRenderer_->SelectFont(style);
    fontSelected_ = true;
    textColour_ = style.colour;
  } else if (!(style.colour == textColour_)) {
    textColour_ = style.colour;
  }
  if (!textRenderer_) return false;
  return textRenderer_->RenderText(Surface(), text, bounds, textColour_.Packed(),
                                   style.alignment) != 0;
}

bool IEditorWindow::StringInk(const ITextStyle& style, const char* text, const IBounds& bounds,
                              IBounds& ink) {
  if (!fontSelected_ || !textRenderer_ || !text || !*text)
    return IGraphicsRaster::StringInk(style, text, bounds, ink);
  ink = textRenderer_->InkBounds(text, bounds, style.alignment).Union(bounds);
  return true;
}

void IEditorWindow::Resize(int width, int height) {
  int dw = 0, dh = 0;
  ResizeCoreAndSurface(width, height, dw, dh);
}

void IEditorWindow::GetHostPath(char (&path)[kPathSize]) {
  char name[4096];
  const ssize_t length = readlink("/proc/self/exe", name, sizeof(name) - 1);
  if (length <= 0) {
    path[0] = '\0';
    return;
  }
  name[length] = '\0';
  TrimToFolder(name, '/', path);
}

void IEditorWindow::GetModulePath(char (&path)[kPathSize]) {
  Dl_info info{};
  // Any address inside this library names it.
  if (dladdr(reinterpret_cast<void*>(&IEditorWindow::MapKeyCode), &info) == 0 || !info.dli_fname) {
    path[0] = '\0';
    return;
  }
  TrimToFolder(info.dli_fname, '/', path);
}

void IEditorWindow::PickFile(char (&result)[kPathSize], int /*action*/, const char* /*startFolder*/,
                             const char* /*extension*/) {
  result[0] = '\0';
}

bool IEditorWindow::PickColour(IRgba* /*colour*/, const char* /*caption*/) {
  return false;
}

bool IEditorWindow::OpenLink(const char* /*address*/, const char* /*caption*/,
                             const char* /*confirmation*/, const char* /*error*/) {
  return false;
}

RasterBitmap* IEditorWindow::LoadImageResource(int resourceId, const char* resourceName) {
  if (!HasPngExtension(resourceName)) return nullptr;
  return LoadPngFromResource(moduleHandle_, resourceId, nullptr);
}
