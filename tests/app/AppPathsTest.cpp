#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "app/AppPaths.h"
#include "libloaderapi.h"

namespace {

TEST(AppPaths, FilesBesideTheProgramInLongForm) {
  TempDir tmp;
  std::filesystem::create_directory(tmp / "\xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x90");  // セーバ
  WriteBytes(tmp / "\xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x90" / "Orvane.v1", "x");
  std::filesystem::create_directory_symlink(tmp / "\xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x90", tmp / "link");
  const CString folder = TempDir::Wide(std::filesystem::canonical(tmp.path())) + L"/\u30BB\u30FC\u30D0/";

  SetModuleFileNameForTesting(tmp.wide("link/Orvane.v1"));
  EXPECT_EQ(folder + L"Orvane.ini", GetIniFilePath());
  EXPECT_EQ(folder + L"Orvane.mflst", GetMovieListFilePath());

  // A program path that cannot be resolved is used as it stands.
  SetModuleFileNameForTesting(L"/nowhere/OrvaneMovieScreenSaver");
  EXPECT_EQ(CString(L"/nowhere/OrvaneMovieScreenSaver.ini"), GetIniFilePath());
  SetModuleFileNameForTesting(nullptr);
}

}  // namespace
