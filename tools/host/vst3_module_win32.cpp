// Windows's module calls: InitDll and ExitDll.
#include "tools/host/vst3_module.h"

namespace host {

bool Vst3Module::Enter(const SharedLibrary& library) {
  auto entry = reinterpret_cast<vst3::InitDllProc>(library.Symbol(vst3::kInitDllName));
  return !entry || entry();
}

void Vst3Module::Exit(const SharedLibrary& library) {
  if (auto exit = reinterpret_cast<vst3::ExitDllProc>(library.Symbol(vst3::kExitDllName))) exit();
}

}  // namespace host
