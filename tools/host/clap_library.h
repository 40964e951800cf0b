// Loads a .clap file and initialises its entry.
#pragma once

#include <memory>
#include <string>

#include "plug/clap_abi.h"
#include "tools/host/shared_library.h"

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
  ClapLibrary(std::unique_ptr<SharedLibrary> library, const clap::PluginEntry* entry)
      : library_(std::move(library)), entry_(entry) {}

  std::unique_ptr<SharedLibrary> library_;
  const clap::PluginEntry* entry_;
  bool initialised_ = false;
};

}  // namespace host
