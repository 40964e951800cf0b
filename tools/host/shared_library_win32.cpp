// Windows half of the shared library: LoadLibrary and GetProcAddress.
#include <windows.h>

#include "tools/host/shared_library.h"

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

void* SharedLibrary::Load(const std::filesystem::path& absolute, std::string& reason) {
  HMODULE module = LoadLibraryW(absolute.wstring().c_str());
  if (!module) reason = LastLoaderError();
  return module;
}

void SharedLibrary::Unload(void* handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}

void* SharedLibrary::Symbol(const char* name) const {
  // Data exports too: for those the address is the record itself.
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace host
