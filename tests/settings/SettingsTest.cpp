// Settings load and save through the application object's profile functions on a real INI
// file beside a relocated program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <filesystem>

#include "TempDir.h"
#include "app/AppPaths.h"
#include "app/OrvaneMovieScreenSaverApp.h"
#include "libloaderapi.h"

namespace fs = std::filesystem;

namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    SetModuleFileNameForTesting(tmp.wide("OrvaneMovieScreenSaver"));
    app.m_pszProfileName = wcsdup(GetIniFilePath());
  }
  void TearDown() override { SetModuleFileNameForTesting(nullptr); }
  void AddPlugin(const wchar_t* name, BOOL enabled = TRUE) {
    PluginRecord record;
    record.strName = name;
    record.bEnabled = enabled;
    app.m_plugins.push_back(record);
  }
  fs::path ini() const { return tmp / "OrvaneMovieScreenSaver.ini"; }
  fs::path list() const { return tmp / "OrvaneMovieScreenSaver.mflst"; }

  TempDir tmp;
  COrvaneMovieScreenSaverApp app;
};

TEST_F(Settings, FirstRunKeepsTheDefaults) {
  AddPlugin(L"\u30DE\u30EB\u30C1(9\u5206\u5272)");
  app.SerializeSettings(FALSE);
  EXPECT_TRUE(app.m_strInitialDir.IsEmpty());
  EXPECT_EQ(TRUE, app.m_bContinue);
  EXPECT_EQ(TRUE, app.m_bMute);
  EXPECT_EQ(TRUE, app.m_bShuffle);
  EXPECT_EQ(100u, app.m_nPixelPerSec);
  EXPECT_TRUE(app.m_strCurrentFileName.IsEmpty());
  EXPECT_EQ(0, app.m_llPos);
  EXPECT_TRUE(app.m_movies.empty());
  EXPECT_TRUE(app.m_playOrder.empty());
  EXPECT_EQ(TRUE, app.m_plugins[0].bEnabled);
  EXPECT_EQ(std::vector<int>{0}, app.m_methodOrder);
  EXPECT_FALSE(fs::exists(ini())) << "loading writes nothing";
  EXPECT_FALSE(fs::exists(list()));
}

TEST_F(Settings, EveryKeyRoundTrips) {
  AddPlugin(L"\u30DE\u30EB\u30C1(9\u5206\u5272)", FALSE);
  AddPlugin(L"\u30DE\u30EB\u30C1(64\u5206\u5272)", TRUE);
  app.m_strInitialDir = L"/home/\u52D5\u753B";
  app.m_bContinue = FALSE;
  app.m_bMute = FALSE;
  app.m_bShuffle = FALSE;
  app.m_nPixelPerSec = 250;
  app.m_movies = {{L"/home/\u52D5\u753B/b.avi", MOVIE_FAILED}, {L"/home/a.mkv", MOVIE_OPENED}};
  app.SerializeSettings(TRUE);
  // The resume point is written by the drawing window, beside the saved keys.
  app.WriteProfileString(L"Ver1", L"CurrentFileName", L"/home/a.mkv");
  app.WriteProfileString(L"Ver1", L"Pos", L"123456789012");

  COrvaneMovieScreenSaverApp loaded;
  loaded.m_pszProfileName = wcsdup(GetIniFilePath());
  for (const wchar_t* name : {L"\u30DE\u30EB\u30C1(9\u5206\u5272)", L"\u30DE\u30EB\u30C1(64\u5206\u5272)"}) {
    PluginRecord record;
    record.strName = name;
    loaded.m_plugins.push_back(record);
  }
  loaded.SerializeSettings(FALSE);
  EXPECT_EQ(app.m_strInitialDir, loaded.m_strInitialDir);
  EXPECT_EQ(FALSE, loaded.m_bContinue);
  EXPECT_EQ(FALSE, loaded.m_bMute);
  EXPECT_EQ(FALSE, loaded.m_bShuffle);
  EXPECT_EQ(250u, loaded.m_nPixelPerSec);
  EXPECT_EQ(CString(L"/home/a.mkv"), loaded.m_strCurrentFileName);
  EXPECT_EQ(123456789012LL, loaded.m_llPos);
  ASSERT_EQ(2u, loaded.m_movies.size());
  EXPECT_EQ(app.m_movies[0].path, loaded.m_movies[0].path);
  EXPECT_EQ(MOVIE_UNTRIED, loaded.m_movies[0].state);
  EXPECT_EQ((std::vector<int>{0, 1}), loaded.m_playOrder);  // shuffle off
  EXPECT_EQ(FALSE, loaded.m_plugins[0].bEnabled);
  EXPECT_EQ(TRUE, loaded.m_plugins[1].bEnabled);
  EXPECT_EQ(std::vector<int>{1}, loaded.m_methodOrder);

  const std::string text = ReadBytes(ini());
  EXPECT_NE(std::string::npos, text.find("[Ver1]\n"));
  EXPECT_NE(std::string::npos, text.find("\xE8\xA1\xA8\xE7\xA4\xBA\xE6\x96\xB9\xE6\xB3\x95_\xE3\x83\x9E"));
}

TEST_F(Settings, PosIsReadAsLeadingSignedDigits) {
  const struct {
    const char* text;
    long long value;
  } cases[] = {{"-5", -5}, {"12abc", 12}, {"abc", 0}, {"  +7", 7}, {"9223372036854775807", 9223372036854775807LL}};
  for (const auto& c : cases) {
    WriteBytes(ini(), std::string("[Ver1]\nPos=") + c.text + "\n");
    COrvaneMovieScreenSaverApp fresh;
    fresh.m_pszProfileName = wcsdup(GetIniFilePath());
    fresh.m_llPos = 99;
    fresh.SerializeSettings(FALSE);
    EXPECT_EQ(c.value, fresh.m_llPos) << c.text;
  }
  WriteBytes(ini(), "[Ver1]\nPos=\n");
  app.m_llPos = 99;
  app.SerializeSettings(FALSE);
  EXPECT_EQ(99, app.m_llPos) << "empty text keeps the value";
}

TEST_F(Settings, PluginsWithOneNameShareOneKey) {
  WriteBytes(ini(), "[Ver1]\n\xE8\xA1\xA8\xE7\xA4\xBA\xE6\x96\xB9\xE6\xB3\x95_dup=0\n");
  AddPlugin(L"dup");
  AddPlugin(L"dup");
  AddPlugin(L"");
  app.SerializeSettings(FALSE);
  EXPECT_EQ(FALSE, app.m_plugins[0].bEnabled);
  EXPECT_EQ(FALSE, app.m_plugins[1].bEnabled);
  EXPECT_EQ(TRUE, app.m_plugins[2].bEnabled);

  app.m_plugins[0].bEnabled = FALSE;
  app.m_plugins[1].bEnabled = TRUE;  // the later record decides
  app.SerializeSettings(TRUE);
  EXPECT_EQ(1u, app.GetProfileInt(L"Ver1", L"\u8868\u793A\u65B9\u6CD5_dup", 7));
  EXPECT_EQ(1u, app.GetProfileInt(L"Ver1", L"\u8868\u793A\u65B9\u6CD5_", 7));
}

TEST_F(Settings, SaveWithAnEmptyListWritesTheHeaderAndLeavesTheResumePoint) {
  WriteBytes(ini(), "[Ver1]\nCurrentFileName=/a.avi\nPos=42\n");
  app.SerializeSettings(TRUE);
  EXPECT_EQ("#Movie File List\n", ReadBytes(list()));
  EXPECT_EQ(CString(L"/a.avi"), app.GetProfileString(L"Ver1", L"CurrentFileName"));
  EXPECT_EQ(CString(L"42"), app.GetProfileString(L"Ver1", L"Pos"));
}

TEST_F(Settings, UnwritableOrMissingFoldersNeverCrashOrTruncate) {
  const std::string oldIni = "[Ver1]\nPixelPerSec=50\n";
  const std::string oldList = "#Movie File List\n/old.avi\n";
  WriteBytes(ini(), oldIni);
  WriteBytes(list(), oldList);
  app.m_movies.assign(200, MovieEntry{L"/a/rather/long/movie/path.avi", MOVIE_UNTRIED});
  {
    FileSizeLimit fullDisk(16);
    app.SerializeSettings(TRUE);
  }
  EXPECT_EQ(oldIni, ReadBytes(ini()));
  EXPECT_EQ(oldList, ReadBytes(list()));

  // A program whose folder is gone: nothing is written, nothing fails loudly.
  SetModuleFileNameForTesting(tmp.wide("gone/OrvaneMovieScreenSaver"));
  COrvaneMovieScreenSaverApp orphan;
  orphan.m_pszProfileName = wcsdup(GetIniFilePath());
  orphan.SerializeSettings(FALSE);
  orphan.SerializeSettings(TRUE);
  EXPECT_FALSE(fs::exists(tmp / "gone"));

  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  fs::permissions(tmp.path(), fs::perms::owner_read | fs::perms::owner_exec);
  app.SerializeSettings(TRUE);
  fs::permissions(tmp.path(), fs::perms::owner_all);
  EXPECT_EQ(oldIni, ReadBytes(ini()));
  EXPECT_EQ(oldList, ReadBytes(list()));
}

}  // namespace
