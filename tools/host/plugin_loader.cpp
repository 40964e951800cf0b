// The table of plug-in formats and their loaders.
#include "tools/host/plugin_loader.h"

#include <cctype>

#include "tools/host/clap_instance.h"
#include "tools/host/vst2_instance.h"
#include "tools/host/vst3_instance.h"
#if !defined(_WIN32)
#include "tools/host/lv2_instance.h"
#endif

namespace host {

namespace {

using LoadFunction = std::unique_ptr<PluginInstance> (*)(const std::string& path, PluginHost& host,
                                                         std::string& error);

struct FormatEntry {
  PluginFormat format;
  const char* name;
  const char* extension;  // null: whatever no other entry claims
  LoadFunction load;      // null: this build cannot host the format
};

// A new format's loader goes here: a function of LoadFunction's shape in its own family of
// files (vst3_*, clap_*, lv2_*), in place of the null.
constexpr FormatEntry kFormats[] = {
    {PluginFormat::kVst3, "VST 3", ".vst3", &LoadVst3},
    {PluginFormat::kClap, "CLAP", ".clap", &LoadClap},
#if !defined(_WIN32)
    {PluginFormat::kLv2, "LV2", ".lv2", &LoadLv2},
#else
    {PluginFormat::kLv2, "LV2", ".lv2", nullptr},
#endif
    {PluginFormat::kVst2, "VST 2", nullptr, &LoadVst2},
};

const FormatEntry& EntryOf(PluginFormat format) {
  for (const FormatEntry& entry : kFormats) {
    if (entry.format == format) return entry;
  }
  return kFormats[std::size(kFormats) - 1];
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[text.size() - end.size() + i]);
    if (std::tolower(c) != end[i]) return false;
  }
  return true;
}

}  // namespace

PluginFormat FormatOfPath(const std::string& path) {
  std::string name = path;
  while (!name.empty() && (name.back() == '/' || name.back() == '\\')) name.pop_back();
  for (const FormatEntry& entry : kFormats) {
    if (entry.extension == nullptr || EndsWithIgnoringCase(name, entry.extension)) {
      return entry.format;
    }
  }
  return PluginFormat::kVst2;
}

const char* FormatName(PluginFormat format) {
  return EntryOf(format).name;
}

std::unique_ptr<PluginInstance> LoadPlugin(const std::string& path, PluginHost& host,
                                           std::string& error) {
  const FormatEntry& entry = EntryOf(FormatOfPath(path));
  if (entry.load == nullptr) {
    error = path + ": " + entry.name + " plug-ins are not supported by this build";
    return nullptr;
  }
  return entry.load(path, host, error);
}

}  // namespace host
