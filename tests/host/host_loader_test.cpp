// Tests of loading plug-in libraries and checking the effect they create.
#include "tools/host/host_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tools/host/plugin_instance.h"

namespace host {
namespace {

TEST(PluginLoading, ReportsAMissingFile) {
  std::string error;
  EXPECT_EQ(PluginLibrary::Load("/nonexistent/dir/plug.so", error), nullptr);
  EXPECT_EQ(error, "/nonexistent/dir/plug.so: no such file");
}

TEST(PluginLoading, ReportsADirectory) {
  std::string error;
  const std::string dir = testing::TempDir();
  EXPECT_EQ(PluginLibrary::Load(dir, error), nullptr);
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

TEST(PluginLoading, ReportsAFileThatIsNoLibrary) {
  const std::string path = testing::TempDir() + "host_loader_not_a_library.so";
  std::ofstream(path) << "just text\n";
  std::string error;
  EXPECT_EQ(PluginLibrary::Load(path, error), nullptr);
  EXPECT_EQ(error.rfind(path + ": cannot load the library: ", 0), 0u) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
  std::filesystem::remove(path);
}

TEST(PluginLoading, ReportsALibraryWithoutAnEntry) {
  std::string error;
  EXPECT_EQ(PluginLibrary::Load(NOT_A_PLUGIN, error), nullptr);
  EXPECT_EQ(error, std::string(NOT_A_PLUGIN) +
                       ": not a VST 2 plug-in (exports neither VSTPluginMain nor main)");
}

TEST(PluginLoading, PrefersVSTPluginMain) {
  std::string error;
  auto library = PluginLibrary::Load(TEST_PLUGIN, error);
  ASSERT_NE(library, nullptr) << error;
  EXPECT_EQ(library->EntryName(), "VSTPluginMain");
  EXPECT_NE(library->Entry(), nullptr);
}

TEST(PluginLoading, FallsBackToTheOldMainEntry) {
  std::string error;
  auto library = PluginLibrary::Load(TEST_PLUGIN_MAIN_ONLY, error);
  ASSERT_NE(library, nullptr) << error;
  EXPECT_EQ(library->EntryName(), "main");
}

class EffectCheck : public testing::Test {
 protected:
  std::unique_ptr<PluginInstance> Create(const char* path, std::string& error) {
    library_ = PluginLibrary::Load(path, error);
    if (!library_) return nullptr;
    return PluginInstance::Create(library_->Entry(), context_, error);
  }
  HostObserver observer_;
  Transport transport_{44100.0, 120.0, 4, 4};
  HostContext context_{transport_, 512, observer_};
  std::unique_ptr<PluginLibrary> library_;
};

TEST_F(EffectCheck, RefusesAnEntryThatReturnsNoEffect) {
  std::string error;
  EXPECT_EQ(Create(TEST_PLUGIN_NO_EFFECT, error), nullptr);
  EXPECT_EQ(error, "not a VST 2 plug-in: its entry returned no effect");
}

TEST_F(EffectCheck, RefusesAnEffectWithABadMagic) {
  std::string error;
  EXPECT_EQ(Create(TEST_PLUGIN_BAD_MAGIC, error), nullptr);
  EXPECT_EQ(error, "not a VST 2 plug-in: bad magic 0x12345678");
}

TEST_F(EffectCheck, AcceptsAnEffectThatAskedForTheHostVersionDuringCreation) {
  std::string error;
  auto plugin = Create(TEST_PLUGIN, error);
  ASSERT_NE(plugin, nullptr) << error;
  EXPECT_EQ(plugin->Effect().magic, vst2::kEffectMagic);  // the plug-in spoils it on a wrong answer
  EXPECT_EQ(plugin->Effect().user, &context_);
  EXPECT_EQ(plugin->EffectName(), "Test Ticker");
}

}  // namespace
}  // namespace host
