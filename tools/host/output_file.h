// A file the host writes that must not be left half-written: opened (and so checked) before the
// run, removed again unless it is completed.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace host {

class OutputFile {
 public:
  // Creates or empties path. On failure: null and "PATH: cannot write the file (reason)".
  static std::unique_ptr<OutputFile> Open(const std::string& path, std::string& error);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  std::FILE* Stream() const { return file_; }
  const std::string& Path() const { return path_; }

  // Flushes and closes the file and keeps it. False (and the file removed) if anything written
  // did not reach it.
  bool Commit(std::string& error);

 private:
  OutputFile(std::string path, std::FILE* file) : path_(std::move(path)), file_(file) {}

  std::string path_;
  std::FILE* file_;
  bool kept_ = false;
};

}  // namespace host
