// The checks every library load starts with, whatever the system.
#include "tools/host/shared_library.h"

namespace host {

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& path, std::string& error) {
  std::error_code ec;
  const std::filesystem::path file(path);
  if (!std::filesystem::exists(file, ec)) {
    error = "no such file";
    return nullptr;
  }
  if (!std::filesystem::is_regular_file(file, ec)) {
    error = "not a regular file";
    return nullptr;
  }
  // A bare file name would send the loader searching its path instead of this file.
  std::string reason;
  void* handle = Load(std::filesystem::absolute(file, ec), reason);
  if (!handle) {
    error = "cannot load the library: " + reason;
    return nullptr;
  }
  return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() {
  Unload(handle_);
}

}  // namespace host
