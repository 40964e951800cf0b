// Loads a .clap file and initialises its entry; the platform half lives in
// clap_library_linux.cpp and clap_library_win32.cpp.
#pragma once

#include <memory>
#include <string>

#include "plug/clap_abi.h"

namespace host {

// An open CLAP library whose entry is initialised. Deinitialises and unloads it on destruction,
// so it must outlive every plug-in its factory created.
class ClapLibrary {
 public:
  // Opens the library at path, finds clap_entry, checks its version and calls its init with the
  // path. On failure returns null and sets error to a one-line reason that starts with path.
  static std::unique_ptr<ClapLibrary> Load(const std::string& path, std::string& error);

  ~ClapLibrary();
  ClapLibrary(const ClapLibrary&) = delete;
  ClapLibrary& operator=(const ClapLibrary&) = delete;

  // The factory the entry gives for id, or null.
  const void* Factory(const char* id) const { return entry_->get_factory(id); }

 private:
  ClapLibrary(void* handle, const clap::PluginEntry* entry) : handle_(handle), entry_(entry) {}

  // The platform half: null with error set (without the path) when the file cannot be loaded.
  static void* Open(const std::string& absolutePath, std::string& error);
  static const void* Symbol(void* handle, const char* name);
  static void Close(void* handle);

  void* handle_;
  const clap::PluginEntry* entry_;
  bool initialised_ = false;
};

}  // namespace host
