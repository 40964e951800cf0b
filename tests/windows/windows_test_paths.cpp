// The paths given on the Windows test program's command line.
#include "tests/windows/windows_test_paths.h"

namespace {
std::string& DllPathStore() {
  static std::string path;
  return path;
}
std::string& OutputDirStore() {
  static std::string path;
  return path;
}
}  // namespace

void SetTestPaths(const std::string& dllPath, const std::string& outputDir) {
  DllPathStore() = dllPath;
  OutputDirStore() = outputDir;
}
const std::string& PluginPath() {
  return DllPathStore();
}
const std::string& OutputDir() {
  return OutputDirStore();
}
