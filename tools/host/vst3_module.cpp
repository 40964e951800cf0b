// Finding the module inside a VST 3 bundle, and the order of its loading and unloading.
#include "tools/host/vst3_module.h"

#include <filesystem>

namespace host {

namespace {

// The bundle's module, or the path itself when it is a file; empty with error set otherwise.
std::string ModuleFile(const std::string& path, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path bundle(path);
  if (fs::is_regular_file(bundle, ec)) return path;
  if (!fs::is_directory(bundle, ec)) {
    error = path + ": no such VST 3 bundle or file";
    return {};
  }
  // "tintinna.vst3/" names the folder "tintinna.vst3"; its module is named by the stem.
  if (!bundle.has_filename()) bundle = bundle.parent_path();
  const fs::path file = bundle / vst3::kBundleBinaryFolder /
                        (bundle.stem().string() + std::string(vst3::kBundleBinarySuffix));
  if (!fs::is_regular_file(file, ec)) {
    error = path + ": not a VST 3 bundle for this system (no " +
            fs::relative(file, bundle, ec).generic_string() + ")";
    return {};
  }
  return file.string();
}

}  // namespace

std::unique_ptr<Vst3Module> Vst3Module::Load(const std::string& path, std::string& error) {
  const std::string file = ModuleFile(path, error);
  if (file.empty()) return nullptr;
  void* handle = Open(file, error);
  if (!handle) {
    error = path + ": cannot load the module: " + error;
    return nullptr;
  }
  auto getFactory =
      reinterpret_cast<vst3::GetPluginFactoryProc>(Symbol(handle, vst3::kGetPluginFactoryName));
  if (!getFactory) {
    Close(handle);
    error = path + ": not a VST 3 module (it does not export GetPluginFactory)";
    return nullptr;
  }
  if (!Enter(handle)) {
    Close(handle);
    error = path + ": the module's entry call refused to load";
    return nullptr;
  }
  vst3::IPluginFactory* factory = getFactory();
  if (!factory) {
    Exit(handle);
    Close(handle);
    error = path + ": the module gave no factory";
    return nullptr;
  }
  return std::unique_ptr<Vst3Module>(new Vst3Module(handle, factory));
}

Vst3Module::~Vst3Module() {
  factory_->release();
  Exit(handle_);
  Close(handle_);
}

}  // namespace host
