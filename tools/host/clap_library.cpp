// The format half of the CLAP library loader: the entry's checks, init and deinit.
#include "tools/host/clap_library.h"

#include <filesystem>

namespace host {

std::unique_ptr<ClapLibrary> ClapLibrary::Load(const std::string& path, std::string& error) {
  auto shared = SharedLibrary::Open(path, error);
  if (!shared) {
    error = path + ": " + error;
    return nullptr;
  }
  // The entry is told where its file lies, whatever the host's working folder.
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(path, ec).string();
  const auto* entry = static_cast<const clap::PluginEntry*>(shared->Symbol(clap::kEntrySymbol));
  std::unique_ptr<ClapLibrary> library(new ClapLibrary(std::move(shared), entry));
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
}

}  // namespace host
