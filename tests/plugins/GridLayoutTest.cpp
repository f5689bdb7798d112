// The delivered grid plug-ins, loaded from the ovfx folder and called through their exports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "OvfxPlugin.h"
#include "globalmem.h"
#include "libloaderapi.h"
#include "utf8text.h"

namespace {

struct Plugin {
  explicit Plugin(const char* name) {
    path = Utf8ToWide(std::string(OV_PLUGIN_DIR) + "/" + name);
    module = LoadLibraryW(path.c_str());
    getInfo = reinterpret_cast<PFNGETPLUGININFO>(GetProcAddress(module, "GetPluginInfo"));
    setTexture = reinterpret_cast<PFNSETTEXTURECOORDINATE>(GetProcAddress(module, "SetTextureCoordinate"));
    updateVertex = reinterpret_cast<PFNUPDATEVERTEXCOORDINATE>(GetProcAddress(module, "UpdateVertexCoordinate"));
  }
  ~Plugin() { FreeLibrary(module); }
  std::wstring path;
  HMODULE module;
  PFNGETPLUGININFO getInfo;
  PFNSETTEXTURECOORDINATE setTexture;
  PFNUPDATEVERTEXCOORDINATE updateVertex;
};

TEST(GridPlugins, ExportOnlyTheThreeFunctionsAndNameThemselvesInShiftJis) {
  const struct {
    const char* file;
    const char* name;
    int planes;
  } cases[] = {
      {"Split3x3.so", "\x83\x7d\x83\x8b\x83\x60(9\x95\xaa\x8a\x84)", 9},
      {"Split8x8.so", "\x83\x7d\x83\x8b\x83\x60(64\x95\xaa\x8a\x84)", 64},
  };
  for (const auto& c : cases) {
    Plugin plugin(c.file);
    ASSERT_NE(nullptr, plugin.module) << c.file;
    ASSERT_NE(nullptr, plugin.getInfo);
    ASSERT_NE(nullptr, plugin.setTexture);
    ASSERT_NE(nullptr, plugin.updateVertex);
    EXPECT_EQ(nullptr, GetProcAddress(plugin.module, "GlobalAlloc")) << "helpers stay hidden";
    EXPECT_EQ(CString(plugin.path), GetModuleFilePath(plugin.module));

    HGLOBAL name = nullptr;
    int planes = 0;
    ASSERT_TRUE(plugin.getInfo(&name, &planes));
    EXPECT_EQ(c.planes, planes);
    EXPECT_EQ(std::strlen(c.name) + 1, GlobalSize(name));
    EXPECT_STREQ(c.name, static_cast<const char*>(GlobalLock(name)));
    GlobalUnlock(name);
    EXPECT_EQ(nullptr, GlobalFree(name));  // allocated inside the plug-in, freed here

    // A null pointer: FALSE, and the other argument is left alone.
    HGLOBAL untouched = reinterpret_cast<HGLOBAL>(0x1234);
    int planesUntouched = -7;
    EXPECT_FALSE(plugin.getInfo(&untouched, nullptr));
    EXPECT_EQ(reinterpret_cast<HGLOBAL>(0x1234), untouched);
    EXPECT_FALSE(plugin.getInfo(nullptr, &planesUntouched));
    EXPECT_EQ(-7, planesUntouched);
  }
}

TEST(GridPlugins, TextureCoordinatesShowTheWholeFrameOnEveryPlane) {
  for (const auto& [file, planes] : {std::pair{"Split3x3.so", 9}, std::pair{"Split8x8.so", 64}}) {
    Plugin plugin(file);
    const int n = 8 * planes;
    std::vector<float> coords(static_cast<std::size_t>(n) + 1, -1.0f);
    EXPECT_FALSE(plugin.setTexture(coords.data(), n - 1, 1.0f, 1.0f));
    EXPECT_FALSE(plugin.setTexture(coords.data(), n + 1, 1.0f, 1.0f));
    EXPECT_EQ(-1.0f, coords[0]) << "nothing written on a wrong length";
    ASSERT_TRUE(plugin.setTexture(coords.data(), n, 0.625f, 0.75f));
    for (int p = 0; p < planes; ++p) {
      const float* v = &coords[static_cast<std::size_t>(8 * p)];
      const std::vector<float> got(v, v + 8);
      EXPECT_EQ((std::vector<float>{0, 0, 0, 0.75f, 0.625f, 0, 0.625f, 0.75f}), got) << file << " plane " << p;
    }
    EXPECT_EQ(-1.0f, coords[static_cast<std::size_t>(n)]);
  }
}

// Plane i's four vertices: top-left, bottom-left, top-right, bottom-right.
std::vector<float> Plane(float left, float bottom, float right, float top) {
  return {left, top, left, bottom, right, top, right, bottom};
}

TEST(GridPlugins, VertexLayoutsOfTheWorkedExamples) {
  const struct {
    const char* file;
    int planes;
    SIZE target;
    SIZE aspect;
    int plane;
    std::vector<float> expected;
  } cases[] = {
      // Equal products take the height branch; the rightmost pixel column stays empty.
      {"Split3x3.so", 9, {1024, 768}, {4, 3}, 0, Plane(-512, -384, -171, -128)},
      {"Split3x3.so", 9, {1024, 768}, {4, 3}, 8, Plane(170, 128, 511, 384)},
      // A wider video: planeW = cellW = 426, planeH = 9 * 426 / 16 = 239, y0 = -461.
      {"Split3x3.so", 9, {1280, 1024}, {16, 9}, 0, Plane(-640, -461, -214, -222)},
      {"Split3x3.so", 9, {1280, 1024}, {16, 9}, 4, Plane(-214, -120, 212, 119)},
      // No bars: plane 63 is the top-right cell.
      {"Split8x8.so", 64, {800, 600}, {4, 3}, 0, Plane(-400, -300, -300, -225)},
      {"Split8x8.so", 64, {800, 600}, {4, 3}, 63, Plane(300, 225, 400, 300)},
      // A taller video: planeW = 3 * 256 / 4 = 192 centred in a 341-wide cell.
      {"Split3x3.so", 9, {1024, 768}, {3, 4}, 1, Plane(-96.5f, -384, 95.5f, -128)},
  };
  for (const auto& c : cases) {
    Plugin plugin(c.file);
    std::vector<float> coords(static_cast<std::size_t>(8 * c.planes));
    ASSERT_TRUE(plugin.updateVertex(0, &c.target, &c.aspect, coords.data(), 8 * c.planes));
    const float* v = &coords[static_cast<std::size_t>(8 * c.plane)];
    EXPECT_EQ(c.expected, std::vector<float>(v, v + 8))
        << c.file << " " << c.target.cx << "x" << c.target.cy << " plane " << c.plane;

    // The scroll distance never moves anything.
    std::vector<float> scrolled(coords.size());
    ASSERT_TRUE(plugin.updateVertex(12345, &c.target, &c.aspect, scrolled.data(), 8 * c.planes));
    EXPECT_EQ(coords, scrolled);
  }
}

TEST(GridPlugins, VertexCallsRefuseWrongLengthsNullPointersAndAZeroVideoSize) {
  Plugin plugin("Split3x3.so");
  const SIZE target{640, 480};
  const SIZE aspect{4, 3};
  std::vector<float> coords(72, -1.0f);
  EXPECT_FALSE(plugin.updateVertex(0, &target, &aspect, coords.data(), 71));
  EXPECT_FALSE(plugin.updateVertex(0, &target, &aspect, coords.data(), 73));
  EXPECT_FALSE(plugin.updateVertex(0, nullptr, &aspect, coords.data(), 72));
  EXPECT_FALSE(plugin.updateVertex(0, &target, nullptr, coords.data(), 72));
  EXPECT_FALSE(plugin.updateVertex(0, &target, &aspect, nullptr, 72));
  EXPECT_FALSE(plugin.setTexture(nullptr, 72, 1.0f, 1.0f));
  for (const SIZE zero : {SIZE{0, 3}, SIZE{4, 0}, SIZE{0, 0}}) {
    EXPECT_FALSE(plugin.updateVertex(0, &target, &zero, coords.data(), 72));
  }
  EXPECT_EQ(std::vector<float>(72, -1.0f), coords) << "nothing written on a refusal";
}

}  // namespace
