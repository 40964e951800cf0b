// A small X11 host of the test's own: a virtual X server, the plug-in loaded through its entry,
// top-level windows to open editors in, real input through XTest and captures of the screen.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "plug/vst2_abi.h"

namespace x11host {

// An Xvfb of the test's own, on a display number it chooses itself.
class XServer {
 public:
  XServer() = default;
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  ~XServer() { Stop(); }

  bool Start();
  void Stop();
  const std::string& Name() const noexcept { return name_; }
  int Pid() const noexcept { return pid_; }

 private:
  int pid_ = -1;
  std::string name_;
};

// A window manager (openbox) on a display, for as long as the object lives.
class WindowManager {
 public:
  WindowManager() = default;
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;
  ~WindowManager();
  // True once it manages the screen.
  bool Start();

 private:
  int pid_ = -1;
};

struct Notice {
  int32_t opcode;
  int32_t index;
  float value;
};

// One plug-in instance, with the host's side of its callbacks.
class Plugin {
 public:
  Plugin();
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  vst2::AEffect* Effect() const noexcept { return effect_; }
  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f) const;
  float Get(int32_t index) const { return effect_->getParameter(effect_, index); }
  void Set(int32_t index, float value) const { effect_->setParameter(effect_, index, value); }
  std::string Display(int32_t index) const;
  // One block with the transport playing.
  void Process(int32_t frames);
  // The notices received for a parameter, in order.
  std::vector<int32_t> NoticesFor(int32_t index) const;
  void ClearNotices();

 private:
  friend intptr_t HostCallback(vst2::AEffect*, int32_t, int32_t, intptr_t, void*, float);

  vst2::AEffect* effect_ = nullptr;
  mutable std::mutex mutex_;  // notices come from the editor's thread
  std::vector<Notice> notices_;
  vst2::VstTimeInfo time_{};
  std::vector<float> buffers_[4];
};

// The host's own connection, its top-level windows and XTest input.
class Screen {
 public:
  Screen();
  ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  Display* Connection() const noexcept { return display_; }
  // An 800 × 400 top-level window at (x, y) of the screen, mapped unless asked otherwise.
  // A managed one is left to the window manager, and takes the focus when it offers it, as a
  // toolkit's window does; it hears its keys (KeyPressed).
  Window CreateHostWindow(int x, int y, bool mapped = true, bool managed = false);
  void Map(Window window);
  void Unmap(Window window);
  // Handles the host windows' events: the window manager's focus offers, and keys.
  void Pump();
  bool KeyPressed(Window window, unsigned long keysym) const;
  int FocusOffers() const noexcept { return focusOffers_; }
  Window Focus();
  void DestroyWindow(Window window);
  // The children of a window.
  std::vector<Window> Children(Window window);
  // Position of a window's top-left corner on the screen.
  bool Origin(Window window, int& x, int& y);

  void MoveTo(Window window, int x, int y);
  void Press(unsigned button);
  void Release(unsigned button);
  void Click(Window window, int x, int y, unsigned button = 1);
  void Drag(Window window, int fromX, int fromY, int toX, int toY, int steps);
  void Type(const char* text);
  void Key(unsigned long keysym);
  // The window's pixels as 0x00RRGGBB words.
  std::vector<uint32_t> Capture(Window window, int width, int height);

 private:
  Display* display_ = nullptr;
  std::vector<std::pair<Window, unsigned long>> keys_;
  int focusOffers_ = 0;
};

// Reads an 8-bit PNG into 0x00RRGGBB words; empty on failure.
std::vector<uint32_t> ReadPng(const std::string& path, int& width, int& height);
bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

}  // namespace x11host
