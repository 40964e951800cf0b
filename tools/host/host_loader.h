// Loads a VST 2 plug-in library and finds its entry; the platform half lives in
// host_loader_linux.cpp and host_loader_win32.cpp.
#pragma once

#include <memory>
#include <string>

#include "plug/vst2_abi.h"

namespace host {

// An open plug-in library. Unloads it on destruction, so it must outlive every effect it created.
class PluginLibrary {
 public:
  // Opens the library at path and looks up VSTPluginMain, else main. On failure returns null and
  // sets error to a one-line reason.
  static std::unique_ptr<PluginLibrary> Load(const std::string& path, std::string& error);

  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  vst2::EntryProc Entry() const { return entry_; }
  // The export the entry was found under: "VSTPluginMain" or "main".
  const std::string& EntryName() const { return entryName_; }

 private:
  PluginLibrary(void* handle, vst2::EntryProc entry, std::string entryName)
      : handle_(handle), entry_(entry), entryName_(std::move(entryName)) {}

  void* handle_;
  vst2::EntryProc entry_;
  std::string entryName_;
};

// True when standard error is an interactive terminal (the progress bar is drawn only then).
bool StderrIsTerminal();

}  // namespace host
