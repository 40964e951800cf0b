// Tests of choosing a plug-in's loader by its path, and of the VST 2 loader: the library, its
// entry and the effect it creates.
#include "tools/host/plugin_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tools/host/session_host.h"
#include "tools/host/vst2_library.h"

namespace host {
namespace {

TEST(LoaderChoice, GoesByTheNameAndRefusesFormatsThisBuildCannotHostInOneLine) {
  const struct {
    const char* path;
    PluginFormat format;
  } kCases[] = {
      {"/usr/lib/vst3/Tintinna.vst3", PluginFormat::kVst3},
      {"tintinna.vst3/", PluginFormat::kVst3},
      {"C:\\Plugins\\Chimes.VST3\\", PluginFormat::kVst3},
      {"/home/me/.clap/tintinna.clap", PluginFormat::kClap},
      {"~/.lv2/tintinna.lv2/", PluginFormat::kLv2},
      {"build/instrument/tintinna.so", PluginFormat::kVst2},
      {"tintinna.dll", PluginFormat::kVst2},
      {"vst3", PluginFormat::kVst2},
      {"tintinna.vst3.so", PluginFormat::kVst2},
      {"lv2/tintinna", PluginFormat::kVst2},
  };
  HostObserver observer;
  Transport transport(44100.0, 120.0, 4, 4);
  SessionHost host(transport, 512, observer);
  for (const auto& c : kCases) {
    EXPECT_EQ(FormatOfPath(c.path), c.format) << c.path;
    if (c.format == PluginFormat::kVst2) continue;
    std::string error;
    EXPECT_EQ(LoadPlugin(c.path, host, error), nullptr);
    // VST 3, CLAP and LV2 are hosted here: what refuses those paths is the missing file.
    EXPECT_EQ(error, std::string(c.path) +
                         (c.format == PluginFormat::kVst3  ? ": no such VST 3 bundle or file"
                          : c.format == PluginFormat::kLv2 ? ": no such LV2 bundle"
                          : c.format == PluginFormat::kClap
                              ? ": no such file"
                              : std::string(": ") + FormatName(c.format) +
                                    " plug-ins are not supported by this build"));
  }
}

TEST(PluginLoading, ReportsAMissingFile) {
  std::string error;
  EXPECT_EQ(Vst2Library::Load("/nonexistent/dir/plug.so", error), nullptr);
  EXPECT_EQ(error, "/nonexistent/dir/plug.so: no such file");
}

TEST(PluginLoading, ReportsADirectory) {
  std::string error;
  const std::string dir = testing::TempDir();
  EXPECT_EQ(Vst2Library::Load(dir, error), nullptr);
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

TEST(PluginLoading, ReportsAFileThatIsNoLibrary) {
  const std::string path = testing::TempDir() + "host_loader_not_a_library.so";
  std::ofstream(path) << "just text\n";
  std::string error;
  EXPECT_EQ(Vst2Library::Load(path, error), nullptr);
  EXPECT_EQ(error.rfind(path + ": cannot load the library: ", 0), 0u) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
  std::filesystem::remove(path);
}

TEST(PluginLoading, ReportsALibraryWithoutAnEntry) {
  std::string error;
  EXPECT_EQ(Vst2Library::Load(NOT_A_PLUGIN, error), nullptr);
  EXPECT_EQ(error, std::string(NOT_A_PLUGIN) +
                       ": not a VST 2 plug-in (exports neither VSTPluginMain nor main)");
}

TEST(PluginLoading, PrefersVSTPluginMain) {
  std::string error;
  auto library = Vst2Library::Load(TEST_PLUGIN, error);
  ASSERT_NE(library, nullptr) << error;
  EXPECT_EQ(library->EntryName(), "VSTPluginMain");
  EXPECT_NE(library->Entry(), nullptr);
}

TEST(PluginLoading, FallsBackToTheOldMainEntry) {
  std::string error;
  auto library = Vst2Library::Load(TEST_PLUGIN_MAIN_ONLY, error);
  ASSERT_NE(library, nullptr) << error;
  EXPECT_EQ(library->EntryName(), "main");
}

class EffectCheck : public testing::Test {
 protected:
  std::unique_ptr<PluginInstance> Load(const char* path) {
    error_.clear();
    return LoadPlugin(path, host_, error_);
  }
  HostObserver observer_;
  Transport transport_{44100.0, 120.0, 4, 4};
  SessionHost host_{transport_, 512, observer_};
  std::string error_;
};

TEST_F(EffectCheck, RefusesAnEntryThatReturnsNoEffect) {
  EXPECT_EQ(Load(TEST_PLUGIN_NO_EFFECT), nullptr);
  EXPECT_EQ(error_, std::string(TEST_PLUGIN_NO_EFFECT) +
                        ": not a VST 2 plug-in: its entry returned no effect");
}

TEST_F(EffectCheck, RefusesAnEffectWithABadMagic) {
  EXPECT_EQ(Load(TEST_PLUGIN_BAD_MAGIC), nullptr);
  EXPECT_EQ(error_,
            std::string(TEST_PLUGIN_BAD_MAGIC) + ": not a VST 2 plug-in: bad magic 0x12345678");
}

// The test plug-in spoils its magic unless the host answered its version question in the entry.
TEST_F(EffectCheck, AcceptsAnEffectThatAskedForTheHostVersionDuringCreation) {
  auto plugin = Load(TEST_PLUGIN);
  ASSERT_NE(plugin, nullptr) << error_;
  const PluginIdentity identity = plugin->Identity();
  EXPECT_EQ(identity.name, "Test Ticker");
  EXPECT_EQ(identity.id, "test");
  EXPECT_EQ(identity.version, "7");
}

}  // namespace
}  // namespace host
