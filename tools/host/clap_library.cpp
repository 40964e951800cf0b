// The format half of the CLAP library loader: the entry's checks, init and deinit.
#include "tools/host/clap_library.h"

#include <filesystem>

namespace host {

std::unique_ptr<ClapLibrary> ClapLibrary::Load(const std::string& path, std::string& error) {
  std::error_code ec;
  const std::filesystem::path file(path);
  if (!std::filesystem::exists(file, ec)) {
    error = path + ": no such file";
    return nullptr;
  }
  if (!std::filesystem::is_regular_file(file, ec)) {
    error = path + ": not a regular file";
    return nullptr;
  }
  // A bare file name would send the loader searching its path instead of this file.
  const std::string absolute = std::filesystem::absolute(file, ec).string();
  void* handle = Open(absolute, error);
  if (!handle) {
    error = path + ": cannot load the library: " + error;
    return nullptr;
  }
  std::unique_ptr<ClapLibrary> library(new ClapLibrary(
      handle, static_cast<const clap::PluginEntry*>(Symbol(handle, clap::kEntrySymbol))));
  const clap::PluginEntry* entry = library->entry_;
  if (!entry) {
    error = path + ": not a CLAP plug-in (it exports no clap_entry)";
  } else if (!clap::VersionIsCompatible(entry->clap_version)) {
    error = path + ": a CLAP version this host does not know (" +
            std::to_string(entry->clap_version.major) + "." +
            std::to_string(entry->clap_version.minor) + ")";
  } else if (!entry->init || !entry->deinit || !entry->get_factory) {
    error = path + ": not a CLAP plug-in (its entry lacks a function)";
  } else if (!(library->initialised_ = entry->init(absolute.c_str()))) {
    error = path + ": the plug-in's entry failed to initialise";
  } else {
    return library;
  }
  return nullptr;
}

ClapLibrary::~ClapLibrary() {
  if (initialised_) entry_->deinit();
  Close(handle_);
}

}  // namespace host
