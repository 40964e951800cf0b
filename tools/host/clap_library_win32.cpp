// Windows half of the CLAP library loader: LoadLibrary and GetProcAddress.
#include <windows.h>

#include <filesystem>

#include "tools/host/clap_library.h"

namespace host {

void* ClapLibrary::Open(const std::string& absolutePath, std::string& error) {
  HMODULE module = LoadLibraryW(std::filesystem::path(absolutePath).wstring().c_str());
  if (!module) {
    char text[256] = {};
    const DWORD code = GetLastError();
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof(text) - 1, nullptr);
    // System messages end in a line break; the error stays on one line.
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                          text[length - 1] == ' ' || text[length - 1] == '.'))
      --length;
    error = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
  }
  return module;
}

const void* ClapLibrary::Symbol(void* handle, const char* name) {
  // clap_entry is data: the address GetProcAddress gives is the record itself.
  return reinterpret_cast<const void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void ClapLibrary::Close(void* handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}

}  // namespace host
