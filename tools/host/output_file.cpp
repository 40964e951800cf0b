// Output files that vanish unless completed.
#include "tools/host/output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace host {

std::unique_ptr<OutputFile> OutputFile::Open(const std::string& path, std::string& error) {
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) {
    error = path + ": cannot write the file (it is a directory)";
    return nullptr;
  }
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = path + ": cannot write the file (" + std::strerror(errno) + ")";
    return nullptr;
  }
  return std::unique_ptr<OutputFile>(new OutputFile(path, file));
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!kept_) {
    std::error_code code;
    std::filesystem::remove(path_, code);
  }
}

bool OutputFile::Commit(std::string& error) {
  const bool failed = std::ferror(file_) != 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (failed || !closed) {
    error = path_ + ": cannot write the file (" + std::strerror(errno) + ")";
    return false;
  }
  kept_ = true;
  return true;
}

}  // namespace host
