// The plug-in host loading a real ovfx folder beside a (relocated) program.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "app/OrvaneMovieScreenSaverApp.h"
#include "libloaderapi.h"

namespace fs = std::filesystem;

namespace {

bool IsLoaded(const fs::path& library) {
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

class PluginHost : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(ovfx);
    SetModuleFileNameForTesting(tmp.wide("OrvaneMovieScreenSaver"));
  }
  void TearDown() override {
    app.FreePlugins();
    SetModuleFileNameForTesting(nullptr);
  }
  void Copy(const fs::path& from, const std::string& name) { fs::copy_file(from, ovfx / name); }

  TempDir tmp;
  fs::path ovfx = tmp / "ovfx";
  COrvaneMovieScreenSaverApp app;
};

TEST_F(PluginHost, LoadsTheDeliveredPluginsAndSkipsEverythingElse) {
  const fs::path plugins = OV_PLUGIN_DIR;
  Copy(plugins / "Split8x8.so", "Split8x8.so");
  Copy(plugins / "Split3x3.so", "Split3x3.so");
  Copy(plugins / "Split3x3.so", ".hidden.so");
  Copy(OV_ONLY_INFO_PLUGIN, "only_info.so");
  Copy(OV_NO_NAME_PLUGIN, "no_name.so");
  WriteBytes(ovfx / "text.so", "not a library\n");
  WriteBytes(ovfx / "Split3x3.txt", "not a pattern match\n");
  fs::create_directory(ovfx / "x.so");

  app.LoadPlugins();

  ASSERT_EQ(3u, app.m_plugins.size());
  const struct {
    const wchar_t* name;
    int planes;
  } expected[] = {
      {L"\u30DE\u30EB\u30C1(9\u5206\u5272)", 9},
      {L"\u30DE\u30EB\u30C1(64\u5206\u5272)", 64},
      {L"", 4},  // GetPluginInfo failed: accepted without a name
  };
  for (std::size_t i = 0; i < 3; ++i) {
    const PluginRecord& record = app.m_plugins[i];
    EXPECT_EQ(CString(expected[i].name), record.strName) << i;
    EXPECT_EQ(expected[i].planes, record.nPlanes) << i;
    EXPECT_TRUE(record.bEnabled);
    EXPECT_NE(nullptr, record.hModule);
    EXPECT_NE(nullptr, record.pfnSetTextureCoordinate);
    EXPECT_NE(nullptr, record.pfnUpdateVertexCoordinate);
  }
  EXPECT_FALSE(IsLoaded(ovfx / "only_info.so")) << "refused library is freed";
  EXPECT_FALSE(IsLoaded(ovfx / ".hidden.so"));
  EXPECT_TRUE(IsLoaded(ovfx / "Split3x3.so"));

  // The bound functions work through the record.
  const SIZE target{800, 600}, aspect{4, 3};
  std::vector<float> coords(512);
  EXPECT_TRUE(app.m_plugins[1].pfnUpdateVertexCoordinate(0, &target, &aspect, coords.data(), 512));

  app.FreePlugins();
  EXPECT_TRUE(app.m_plugins.empty());
  EXPECT_FALSE(IsLoaded(ovfx / "Split3x3.so"));
  EXPECT_FALSE(IsLoaded(ovfx / "no_name.so"));
}

TEST_F(PluginHost, NoFolderOrNoLibraryLeavesTheTableEmpty) {
  app.LoadPlugins();
  EXPECT_TRUE(app.m_plugins.empty());
  fs::remove(ovfx);
  app.LoadPlugins();
  EXPECT_TRUE(app.m_plugins.empty());
}

TEST_F(PluginHost, TwoCopiesOfOneLibraryGiveTwoRecordsWithOneName) {
  Copy(fs::path(OV_PLUGIN_DIR) / "Split3x3.so", "a.so");
  Copy(fs::path(OV_PLUGIN_DIR) / "Split3x3.so", "b.so");
  app.LoadPlugins();
  ASSERT_EQ(2u, app.m_plugins.size());
  EXPECT_EQ(app.m_plugins[0].strName, app.m_plugins[1].strName);
  EXPECT_NE(app.m_plugins[0].hModule, app.m_plugins[1].hModule);
}

}  // namespace
