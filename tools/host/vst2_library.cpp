// A VST 2 library is found by its entry: VSTPluginMain, or the older main.
#include "tools/host/vst2_library.h"

namespace host {

std::unique_ptr<Vst2Library> Vst2Library::Load(const std::string& path, std::string& error) {
  auto library = SharedLibrary::Open(path, error);
  if (!library) {
    error = path + ": " + error;
    return nullptr;
  }
  for (const char* name : {"VSTPluginMain", "main"}) {
    if (void* symbol = library->Symbol(name)) {
      auto entry = reinterpret_cast<vst2::EntryProc>(symbol);
      return std::unique_ptr<Vst2Library>(new Vst2Library(std::move(library), entry, name));
    }
  }
  error = path + ": not a VST 2 plug-in (exports neither VSTPluginMain nor main)";
  return nullptr;
}

}  // namespace host
