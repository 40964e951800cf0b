// Loads a VST 2 plug-in library and finds its entry.
#pragma once

#include <memory>
#include <string>

#include "plug/vst2_abi.h"
#include "tools/host/shared_library.h"

namespace host {

// An open plug-in library. Unloads it on destruction, so it must outlive every effect it created.
class Vst2Library {
 public:
  // Opens the library at path and looks up VSTPluginMain, else main. On failure returns null and
  // sets error to a one-line reason.
  static std::unique_ptr<Vst2Library> Load(const std::string& path, std::string& error);

  vst2::EntryProc Entry() const { return entry_; }
  // The export the entry was found under: "VSTPluginMain" or "main".
  const std::string& EntryName() const { return entryName_; }

 private:
  Vst2Library(std::unique_ptr<SharedLibrary> library, vst2::EntryProc entry, std::string entryName)
      : library_(std::move(library)), entry_(entry), entryName_(std::move(entryName)) {}

  std::unique_ptr<SharedLibrary> library_;
  vst2::EntryProc entry_;
  std::string entryName_;
};

}  // namespace host
