// The test's X11 host.
#include "tests/x11/x11_host.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

namespace x11host {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 400;
constexpr double kSampleRate = 44100.0;

vst2::EntryProc Entry() {
  static vst2::EntryProc entry = [] {
    void* library = dlopen(TINTINNA_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    return library ? reinterpret_cast<vst2::EntryProc>(dlsym(library, "VSTPluginMain")) : nullptr;
  }();
  return entry;
}

std::mutex gPluginsMutex;
std::vector<Plugin*> gPlugins;

}  // namespace

// ---- XServer ----------------------------------------------------------------------------------

bool XServer::Start() {
  int fds[2];
  if (pipe(fds) != 0) return false;
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlives a test program that crashed
    close(fds[0]);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 2);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1800x1000x24", "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (pid_ < 0) {
    close(fds[0]);
    return false;
  }
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  char c = 0;
  while (poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) {
    Stop();
    return false;
  }
  name_ = ":" + number;
  return true;
}

void XServer::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

// ---- WindowManager ----------------------------------------------------------------------------

WindowManager::~WindowManager() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

bool WindowManager::Start() {
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 1), dup2(null, 2);
    execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid_ < 0) return false;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  bool running = false;
  for (int i = 0; i < 250 && !running; ++i) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    running =
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success &&
        count == 1;
    if (data) XFree(data);
    if (!running) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  XCloseDisplay(display);
  return running;
}

// ---- Plugin -----------------------------------------------------------------------------------

intptr_t HostCallback(vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t /*value*/,
                      void* /*ptr*/, float opt) {
  if (opcode == vst2::audioMasterVersion) return vst2::kVstVersion;
  Plugin* plugin = nullptr;
  {
    std::lock_guard<std::mutex> lock(gPluginsMutex);
    for (Plugin* p : gPlugins)
      if (p->effect_ == effect) plugin = p;
  }
  if (!plugin) return 0;
  switch (opcode) {
    case vst2::audioMasterAutomate:
    case vst2::audioMasterBeginEdit:
    case vst2::audioMasterEndEdit: {
      std::lock_guard<std::mutex> lock(plugin->mutex_);
      plugin->notices_.push_back({opcode, index, opt});
      return 1;
    }
    case vst2::audioMasterGetTime:
      return reinterpret_cast<intptr_t>(&plugin->time_);  // the audio thread's own
    case vst2::audioMasterGetSampleRate:
      return static_cast<intptr_t>(kSampleRate);
    case vst2::audioMasterWantMidi:
    case vst2::audioMasterProcessEvents:
      return 1;
    default:
      return 0;
  }
}

Plugin::Plugin() {
  vst2::EntryProc entry = Entry();
  if (!entry) return;
  {
    std::lock_guard<std::mutex> lock(gPluginsMutex);
    gPlugins.push_back(this);
  }
  effect_ = entry(&HostCallback);
  if (!effect_) return;
  Dispatch(vst2::effOpen);
  Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(kSampleRate));
  Dispatch(vst2::effSetBlockSize, 0, 512);
  Dispatch(vst2::effMainsChanged, 0, 1);
  for (auto& buffer : buffers_) buffer.assign(512, 0.0f);
}

Plugin::~Plugin() {
  if (effect_) Dispatch(vst2::effClose);
  std::lock_guard<std::mutex> lock(gPluginsMutex);
  std::erase(gPlugins, this);
}

intptr_t Plugin::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                          float opt) const {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string Plugin::Display(int32_t index) const {
  char text[64] = {};
  Dispatch(vst2::effGetParamDisplay, index, 0, text);
  return text;
}

void Plugin::Process(int32_t frames) {
  frames = std::min(frames, 512);
  time_.sampleRate = kSampleRate;
  time_.tempo = 120.0;
  time_.ppqPos = time_.samplePos / kSampleRate * 2.0;
  time_.timeSigNumerator = 4;
  time_.timeSigDenominator = 4;
  time_.flags = vst2::kVstTransportPlaying | vst2::kVstPpqPosValid | vst2::kVstTempoValid;
  float* inputs[2] = {buffers_[0].data(), buffers_[1].data()};
  float* outputs[2] = {buffers_[2].data(), buffers_[3].data()};
  effect_->processReplacing(effect_, inputs, outputs, frames);
  time_.samplePos += frames;
}

std::vector<int32_t> Plugin::NoticesFor(int32_t index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<int32_t> opcodes;
  for (const Notice& n : notices_)
    if (n.index == index) opcodes.push_back(n.opcode);
  return opcodes;
}

void Plugin::ClearNotices() {
  std::lock_guard<std::mutex> lock(mutex_);
  notices_.clear();
}

// ---- Screen -----------------------------------------------------------------------------------

Screen::Screen() : display_(XOpenDisplay(nullptr)) {}

Screen::~Screen() {
  if (display_) XCloseDisplay(display_);
}

Window Screen::CreateHostWindow(int x, int y, bool mapped, bool managed) {
  if (!display_) return 0;
  const int screen = DefaultScreen(display_);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display_, screen);
  attributes.override_redirect = !managed;  // placed where asked, window manager or not
  attributes.event_mask = managed ? KeyPressMask : NoEventMask;
  const Window window = XCreateWindow(display_, RootWindow(display_, screen), x, y, kWidth, kHeight,
                                      0, CopyFromParent, InputOutput, CopyFromParent,
                                      CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
  if (managed) {
    Atom takeFocus = XInternAtom(display_, "WM_TAKE_FOCUS", False);
    XSetWMProtocols(display_, window, &takeFocus, 1);
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMHints(display_, window, &hints);
  }
  if (mapped) XMapRaised(display_, window);
  XSync(display_, False);
  for (int i = 0; managed && mapped && i < 250; ++i) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(display_, window, &a) && a.map_state == IsViewable) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return window;
}

void Screen::Unmap(Window window) {
  XUnmapWindow(display_, window);
  XSync(display_, False);
}

void Screen::Pump() {
  const Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
  const Atom takeFocus = XInternAtom(display_, "WM_TAKE_FOCUS", False);
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == KeyPress) {
      keys_.emplace_back(event.xkey.window, XLookupKeysym(&event.xkey, 0));
    } else if (event.type == ClientMessage && event.xclient.message_type == protocols &&
               static_cast<Atom>(event.xclient.data.l[0]) == takeFocus) {
      // What a toolkit does when the window manager activates its window.
      ++focusOffers_;
      XSetInputFocus(display_, event.xclient.window, RevertToParent,
                     static_cast<Time>(event.xclient.data.l[1]));
    }
  }
  XSync(display_, False);
}

bool Screen::KeyPressed(Window window, unsigned long keysym) const {
  return std::find(keys_.begin(), keys_.end(), std::make_pair(window, keysym)) != keys_.end();
}

Window Screen::Focus() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  return focus;
}

void Screen::Map(Window window) {
  XMapRaised(display_, window);
  XSync(display_, False);
}

void Screen::DestroyWindow(Window window) {
  XDestroyWindow(display_, window);
  XSync(display_, False);
}

std::vector<Window> Screen::Children(Window window) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  std::vector<Window> result;
  if (XQueryTree(display_, window, &root, &parent, &children, &count)) {
    result.assign(children, children + count);
    if (children) XFree(children);
  }
  return result;
}

bool Screen::Origin(Window window, int& x, int& y) {
  Window child = 0;
  return XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y,
                               &child) != 0;
}

void Screen::MoveTo(Window window, int x, int y) {
  int ox = 0, oy = 0;
  Origin(window, ox, oy);
  XTestFakeMotionEvent(display_, -1, ox + x, oy + y, CurrentTime);
  XSync(display_, False);
}

void Screen::Press(unsigned button) {
  XTestFakeButtonEvent(display_, button, True, CurrentTime);
  XSync(display_, False);
}

void Screen::Release(unsigned button) {
  XTestFakeButtonEvent(display_, button, False, CurrentTime);
  XSync(display_, False);
}

void Screen::Click(Window window, int x, int y, unsigned button) {
  MoveTo(window, x, y);
  Press(button);
  Release(button);
}

void Screen::Drag(Window window, int fromX, int fromY, int toX, int toY, int steps) {
  MoveTo(window, fromX, fromY);
  Press(1);
  for (int i = 1; i <= steps; ++i) {
    MoveTo(window, fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  Release(1);
}

void Screen::Key(unsigned long keysym) {
  const KeyCode code = XKeysymToKeycode(display_, keysym);
  XTestFakeKeyEvent(display_, code, True, CurrentTime);
  XTestFakeKeyEvent(display_, code, False, CurrentTime);
  XSync(display_, False);
}

void Screen::Type(const char* text) {
  for (const char* c = text; *c; ++c) {
    char name[2] = {*c, '\0'};
    KeySym keysym = *c == '.' ? XK_period : XStringToKeysym(name);
    Key(keysym);
  }
}

std::vector<uint32_t> Screen::Capture(Window window, int width, int height) {
  std::vector<uint32_t> pixels;
  XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return pixels;
  pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] =
          static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
  XDestroyImage(image);
  return pixels;
}

// ---- PNG --------------------------------------------------------------------------------------

std::vector<uint32_t> ReadPng(const std::string& path, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<uint32_t> pixels;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return pixels;
  image.format = PNG_FORMAT_BGRA;  // 0xAARRGGBB words on this machine
  pixels.resize(static_cast<size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  for (uint32_t& p : pixels) p &= 0xFFFFFFu;
  return pixels;
}

bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
  std::vector<uint32_t> opaque(pixels);
  for (uint32_t& p : opaque) p |= 0xFF000000u;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_BGRA;
  return png_image_write_to_file(&image, path.c_str(), 0, opaque.data(), 0, nullptr) != 0;
}

}  // namespace x11host
