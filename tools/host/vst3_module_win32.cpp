// Windows half of the VST 3 module loader: LoadLibrary, InitDll and ExitDll.
#include <windows.h>

#include <filesystem>

#include "tools/host/vst3_module.h"

namespace host {

void* Vst3Module::Open(const std::string& file, std::string& error) {
  std::error_code ec;
  const std::wstring absolute = std::filesystem::absolute(file, ec).wstring();
  HMODULE module = LoadLibraryW(absolute.c_str());
  if (!module) error = "Windows error " + std::to_string(GetLastError());
  return module;
}

void* Vst3Module::Symbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void Vst3Module::Close(void* handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}

bool Vst3Module::Enter(void* handle) {
  auto entry = reinterpret_cast<vst3::InitDllProc>(Symbol(handle, vst3::kInitDllName));
  return !entry || entry();
}

void Vst3Module::Exit(void* handle) {
  if (auto exit = reinterpret_cast<vst3::ExitDllProc>(Symbol(handle, vst3::kExitDllName))) exit();
}

}  // namespace host
