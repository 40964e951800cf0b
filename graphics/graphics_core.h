// The platform-neutral editor: the control list, dirty tracking, the draw pass and mouse and
// key dispatch. Drawing is the raster back end's; windows are the window layer's.
//
// Threads. Mouse, key, timer and paint handling run on the editor's window thread.
// SetParameterFromPlugin also runs on the host's parameter thread (plug-in lock held) and
// SetControlFromPlugin on the audio thread; both only touch control values and flags, which
// are atomic, and neither takes a lock. The core itself takes no lock: the control list is
// built before the editor is attached and changes afterwards only on the editor thread.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/graphics_types.h"
#include "plug/pointer_list.h"

class IControl;
class IEffectBase;
class IParameter;
class RasterBitmap;

class IGraphicsCore {
 public:
  static constexpr int kDefaultFramesPerSecond = 24;
  static constexpr int kPathSize = 256;

  // framesPerSecond <= 0 selects 24.
  IGraphicsCore(IEffectBase* plugin, int width, int height, int framesPerSecond);
  IGraphicsCore(const IGraphicsCore&) = delete;
  IGraphicsCore& operator=(const IGraphicsCore&) = delete;

  // ---- Drawing (raster back end) and window system (window layer), in table order ----------
  virtual void CreateSurface() = 0;
  virtual bool PresentArea(const IBounds& area) = 0;
  virtual bool DrawBitmap(const IImage& image, const IBounds& destination, int sourceX, int sourceY,
                          const IBlend* blend) = 0;
  virtual bool DrawRotatedBitmap(const IImage& image, int centreX, int centreY, double radians,
                                 int verticalOffset, const IBlend* blend) = 0;
  virtual bool DrawRotatedMask(const IImage& base, const IImage& mask, const IImage& top, int x,
                               int y, double degrees, const IBlend* blend) = 0;
  virtual bool DrawPoint(const IRgba& colour, float x, float y, const IBlend* blend,
                         bool antialias) = 0;
  virtual bool WritePixel(const IRgba& colour, int x, int y) = 0;
  virtual bool DrawLine(const IRgba& colour, float x1, float y1, float x2, float y2,
                        const IBlend* blend, bool antialias) = 0;
  virtual bool DrawArc(const IRgba& colour, float centreX, float centreY, float radius,
                       float startAngle, float endAngle, const IBlend* blend, bool antialias) = 0;
  virtual bool DrawCircle(const IRgba& colour, float centreX, float centreY, float radius,
                          const IBlend* blend, bool antialias) = 0;
  virtual bool FillBounds(const IRgba& colour, const IBounds& bounds, const IBlend* blend) = 0;
  virtual bool DrawString(const ITextStyle& style, const char* text, const IBounds& bounds) = 0;
  virtual IRgba ReadPixel(int x, int y) = 0;
  virtual uint32_t* GetSurfacePixels() = 0;
  // Drops the capture, deletes every control and tells the plug-in; layers extend it.
  virtual void Resize(int width, int height);
  virtual bool IsWindowOpen() { return GetEditorWindow() != nullptr; }
  virtual void OpenValueEntry(IControl* control, IParameter* parameter, bool textMode) = 0;
  virtual void GetHostPath(char (&path)[kPathSize]) = 0;
  virtual void GetModulePath(char (&path)[kPathSize]) = 0;
  virtual void PickFile(char (&result)[kPathSize], int action, const char* startFolder,
                        const char* extension) = 0;
  virtual bool PickColour(IRgba* colour, const char* caption) = 0;
  virtual bool OpenLink(const char* address, const char* caption, const char* confirmation,
                        const char* error) = 0;
  // parent: the host's window (an HWND on Windows, an X11 window id on Linux).
  virtual void* OpenEditorWindow(void* parent) = 0;
  virtual void CloseEditorWindow() = 0;
  virtual void* GetEditorWindow() = 0;
  // Deletes every control, last to first.
  virtual ~IGraphicsCore();
  virtual IImage LoadSkinImage(int resourceId, const char* resourceName, int frames) = 0;
  virtual IImage ScaleImage(const IImage& image, int width, int height) = 0;
  virtual IImage CropImage(const IImage& image, const IBounds& bounds) = 0;
  // Loads the image and inserts a plain-copy bitmap control for it at index 0.
  virtual void AttachBackground(int resourceId, const char* resourceName);
  virtual bool DrawVerticalLine(const IRgba& colour, int x, int y1, int y2) = 0;
  virtual bool DrawHorizontalLine(const IRgba& colour, int y, int x1, int x2) = 0;
  virtual void KeepImage(const IImage& image) = 0;
  virtual void ReleaseImage(const IImage& image) = 0;
  virtual void OpenValueMenu(IControl* control, IParameter* parameter, int itemsPerColumn) = 0;
  // [editor] ink <- a box holding every pixel DrawString would touch for the same arguments,
  // and the bounds themselves. True when measured with the font DrawString uses (a result to
  // keep); the core only estimates (EstimateStringInk) and says false.
  virtual bool StringInk(const ITextStyle& style, const char* text, const IBounds& bounds,
                         IBounds& ink);
  // A generous box: no glyph is wider or taller than the style's size, and half a size more
  // covers overhangs.
  static IBounds EstimateStringInk(const ITextStyle& style, const char* text,
                                   const IBounds& bounds);

  // ---- Controls ----------------------------------------------------------------------------
  // [editor] Takes ownership; returns the control's index (the previous count), or -1 for a
  // null control.
  int AttachControl(IControl* control);
  IControl* GetControl(int index) const noexcept { return controls_.Get(index); }
  int ControlCount() const noexcept { return controls_.Count(); }
  bool DrawBitmapFrame(const IImage& image, const IBounds& destination, int frame,
                       const IBlend* blend);
  // [parameter thread, plug-in lock held; or editor] Pushes a parameter value into every
  // control bound to it; value in real units unless normalized. Never calls back into the
  // plug-in. index must be a valid parameter of the plug-in (an invalid one is ignored).
  void SetParameterFromPlugin(int parameterIndex, double value, bool normalized);
  // [audio, never locks] Moves the control at index (ignored when out of range).
  void SetControlFromPlugin(int controlIndex, double normalized);
  // [editor] Makes the next tick draw everything (the window was opened).
  void MarkAllControlsDirty();

  // ---- Redraw, driven by the window layer --------------------------------------------------
  // [editor] Notifies each control's observers, then unites the dirty controls' bounds into
  // area (pass it all zero), widened to hold the whole ink of every text it meets; true if any
  // was dirty. It also notes the pieces of that area that changed: each dirty control widened
  // the same way, pieces that meet joined.
  bool CollectDirtyArea(IBounds& area);
  // [editor] Widens the area as the scan does, draws every visible control meeting it, in index
  // order, marks all clean (a control changed since the scan looked at it stays dirty), and
  // presents the widened area. Given the area the last scan returned, it draws only the pieces
  // that changed, one after the other (clipped to each), and presents the whole area.
  bool DrawArea(const IBounds& updateArea);

  // ---- Mouse and keys [editor], in window-client coordinates -------------------------------
  // A press captures the control under the pointer and tells the host an edit of its
  // parameter begins; drags go to the captured control wherever the pointer is; the release
  // goes to it alone and ends the edit; a release without a press does nothing. A double click
  // on a click-like control is such a press; other double clicks and wheel steps are edits of
  // their own, each bracketed in a begin and an end. Every end follows a begin of the same
  // parameter. Greyed and hidden controls are not hit.
  void HandleMouseDown(int x, int y, const IMouseModifiers& modifiers);
  void HandleMouseUp(int x, int y, const IMouseModifiers& modifiers);
  void HandleMouseDrag(int x, int y, const IMouseModifiers& modifiers);
  bool HandleMouseOver(int x, int y, const IMouseModifiers& modifiers);
  bool HandleDoubleClick(int x, int y, const IMouseModifiers& modifiers);
  void HandleMouseWheel(int x, int y, const IMouseModifiers& modifiers, int notches);
  void HandleKeyDown(int x, int y, int keyCode);
  // The captured control, else the last visible, ungreyed control hit; -1 for none.
  int FindControlAt(int x, int y) const;
  // Drops the capture and ends an edit still open (the window closed, or lost the mouse,
  // before the release).
  void ReleaseMouse();
  // A user edit made in one step outside the mouse handlers (the value entry's commit, a value
  // menu): SetValueFromUser, bracketed in a begin and an end of edit when the control is bound.
  void CommitUserValue(IControl& control, double normalized);

  IEffectBase* Plugin() const noexcept { return plugin_; }
  const IBounds& DrawBounds() const noexcept { return drawBounds_; }
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  int FramesPerSecond() const noexcept { return framesPerSecond_; }
  int CapturedControl() const noexcept { return capturedControl_; }
  IControl* EntryControl() const noexcept { return entryControl_; }
  IParameter* EntryParameter() const noexcept { return entryParameter_; }

 protected:
  void SetEntry(IControl* control, IParameter* parameter) noexcept {
    entryControl_ = control;
    entryParameter_ = parameter;
  }
  void DropCapture() noexcept;
  // The area grown until it holds every overflow box it meets (brings overflow_ up to date).
  IBounds CoverOverflow(IBounds area);
  // The area grown over the ink boxes it meets, as they are.
  IBounds GrowOverInk(IBounds area) const;
  void BeginGesture(const IControl& control);
  void EndGesture();
  template <class Edit>
  void EditInOneGesture(IControl& control, Edit edit);

  PointerList<IControl> controls_;
  IEffectBase* plugin_;
  IBounds drawBounds_;
  IControl* entryControl_ = nullptr;
  IParameter* entryParameter_ = nullptr;
  int32_t width_;
  int32_t height_;
  int32_t framesPerSecond_;
  int32_t capturedControl_ = -1;
  int32_t lastMouseX_ = 0;
  int32_t lastMouseY_ = 0;
  int32_t gestureParameter_ = -1;       // the parameter whose edit a press opened
  std::vector<IBounds> overflow_;       // each control's OverflowBounds, kept between passes
  std::vector<uint8_t> overflowStale_;  // the box must be asked for again
  std::vector<IBounds> pieces_;         // what the last scan found changed
  std::vector<const IControl*> dirty_;  // the controls it found dirty
  IBounds collected_;                   // the area the last scan returned
};
