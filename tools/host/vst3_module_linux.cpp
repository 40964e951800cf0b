// Linux's module calls: ModuleEntry with the library's handle, and ModuleExit.
#include "tools/host/vst3_module.h"

namespace host {

bool Vst3Module::Enter(const SharedLibrary& library) {
  auto entry = reinterpret_cast<vst3::ModuleEntryProc>(library.Symbol(vst3::kModuleEntryName));
  return !entry || entry(library.Handle());
}

void Vst3Module::Exit(const SharedLibrary& library) {
  if (auto exit = reinterpret_cast<vst3::ModuleExitProc>(library.Symbol(vst3::kModuleExitName)))
    exit();
}

}  // namespace host
