// A shared library (a .so, or a DLL) loaded from a path; the system's half lives in
// shared_library_linux.cpp and shared_library_win32.cpp.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace host {

// Unloads the library on destruction, so it must outlive everything made from it.
class SharedLibrary {
 public:
  // Loads the regular file at path. On failure returns null and sets error to a one-line reason,
  // without the path: "no such file", "not a regular file", or "cannot load the library: " and the
  // system loader's own words.
  static std::unique_ptr<SharedLibrary> Open(const std::string& path, std::string& error);

  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // The address of the export name (a function or data), or null.
  void* Symbol(const char* name) const;
  // The system's handle, which some entry calls are given.
  void* Handle() const { return handle_; }

 private:
  explicit SharedLibrary(void* handle) : handle_(handle) {}

  // The system's half: null with reason set when the file cannot be loaded.
  static void* Load(const std::filesystem::path& absolute, std::string& reason);
  static void Unload(void* handle);

  void* handle_;
};

}  // namespace host
