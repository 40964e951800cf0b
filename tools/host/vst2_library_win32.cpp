// Windows half of the VST 2 library loader: LoadLibrary and GetProcAddress.
#include <windows.h>

#include <filesystem>

#include "tools/host/vst2_library.h"

namespace host {

namespace {

std::string LastLoaderError() {
  const DWORD code = GetLastError();
  char text[256] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof(text) - 1, nullptr);
  std::string message(text, length);
  // System messages end in a line break; the error stays on one line.
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  // Messages about a file name it with an insert that is not filled in here.
  for (auto at = message.find("%1"); at != std::string::npos; at = message.find("%1")) {
    message.replace(at, 2, "file");
  }
  if (message.empty()) message = "error " + std::to_string(code);
  return message;
}

}  // namespace

std::unique_ptr<Vst2Library> Vst2Library::Load(const std::string& path, std::string& error) {
  std::error_code ec;
  const std::filesystem::path file(path);
  if (!std::filesystem::exists(file, ec)) {
    error = path + ": no such file";
    return nullptr;
  }
  if (!std::filesystem::is_regular_file(file, ec)) {
    error = path + ": not a regular file";
    return nullptr;
  }
  const std::wstring absolute = std::filesystem::absolute(file, ec).wstring();
  HMODULE module = LoadLibraryW(absolute.c_str());
  if (module == nullptr) {
    error = path + ": cannot load the library: " + LastLoaderError();
    return nullptr;
  }
  for (const char* name : {"VSTPluginMain", "main"}) {
    FARPROC symbol = GetProcAddress(module, name);
    if (symbol != nullptr) {
      auto entry = reinterpret_cast<vst2::EntryProc>(reinterpret_cast<void*>(symbol));
      return std::unique_ptr<Vst2Library>(new Vst2Library(module, entry, name));
    }
  }
  FreeLibrary(module);
  error = path + ": not a VST 2 plug-in (exports neither VSTPluginMain nor main)";
  return nullptr;
}

Vst2Library::~Vst2Library() {
  FreeLibrary(static_cast<HMODULE>(handle_));
}

}  // namespace host
