// Loads a VST 2 plug-in library and finds its entry; the platform half lives in
// vst2_library_linux.cpp and vst2_library_win32.cpp.
#pragma once

#include <memory>
#include <string>

#include "plug/vst2_abi.h"

namespace host {

// An open plug-in library. Unloads it on destruction, so it must outlive every effect it created.
class Vst2Library {
 public:
  // Opens the library at path and looks up VSTPluginMain, else main. On failure returns null and
  // sets error to a one-line reason.
  static std::unique_ptr<Vst2Library> Load(const std::string& path, std::string& error);

  ~Vst2Library();
  Vst2Library(const Vst2Library&) = delete;
  Vst2Library& operator=(const Vst2Library&) = delete;

  vst2::EntryProc Entry() const { return entry_; }
  // The export the entry was found under: "VSTPluginMain" or "main".
  const std::string& EntryName() const { return entryName_; }

 private:
  Vst2Library(void* handle, vst2::EntryProc entry, std::string entryName)
      : handle_(handle), entry_(entry), entryName_(std::move(entryName)) {}

  void* handle_;
  vst2::EntryProc entry_;
  std::string entryName_;
};

}  // namespace host
