#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "fileapi.h"
#include "libloaderapi.h"
#include "pathsplit.h"
#include "utf8text.h"

namespace {

struct SplitCase {
  const wchar_t* path;
  const wchar_t* dir;
  const wchar_t* fname;
  const wchar_t* ext;
};

TEST(PathSplit, SplitsIntoFolderNameAndExtension) {
  const SplitCase cases[] = {
      {L"/opt/ov/OrvaneMovieScreenSaver", L"/opt/ov/", L"OrvaneMovieScreenSaver", L""},
      {L"/opt/ov/saver.scr", L"/opt/ov/", L"saver", L".scr"},
      {L"/opt/a.b/saver.x.y", L"/opt/a.b/", L"saver.x", L".y"},
      {L"saver", L"", L"saver", L""},
      {L"/opt/ov/.hidden", L"/opt/ov/", L"", L".hidden"},
      {L"/opt/ov/", L"/opt/ov/", L"", L""},
      {L"C:\\Movies\\a.avi", L"C:\\Movies\\", L"a", L".avi"},
  };
  for (const SplitCase& c : cases) {
    CString drive = L"x", dir, fname, ext;
    ASSERT_EQ(0, _wsplitpath_s(c.path, &drive, &dir, &fname, &ext));
    EXPECT_TRUE(drive.IsEmpty()) << c.path;
    EXPECT_EQ(CString(c.dir), dir) << c.path;
    EXPECT_EQ(CString(c.fname), fname) << c.path;
    EXPECT_EQ(CString(c.ext), ext) << c.path;
  }
  EXPECT_NE(0, _wsplitpath_s(nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(PathSplit, JoinAddsSeparatorAndDotAndKeepsWholePaths) {
  CString out;
  _wmakepath_s(out, L"", L"/opt/ov/", L"saver", L"ini");
  EXPECT_EQ(CString(L"/opt/ov/saver.ini"), out);
  _wmakepath_s(out, nullptr, L"/opt/ov", L"ovfx", nullptr);
  EXPECT_EQ(CString(L"/opt/ov/ovfx"), out);
  _wmakepath_s(out, nullptr, L"/opt/ov/ovfx", L"*", L".so");
  EXPECT_EQ(CString(L"/opt/ov/ovfx/*.so"), out);

  // A path far past 260 characters survives a split and a join unchanged.
  std::wstring deep = L"/";
  for (int i = 0; i < 60; ++i) deep += L"\u30D5\u30A9\u30EB\u30C0" + std::to_wstring(i) + L"/";
  const std::wstring whole = deep + L"saver.scr";
  ASSERT_GT(whole.size(), 300u);
  CString drive, dir, fname, ext;
  _wsplitpath_s(whole.c_str(), &drive, &dir, &fname, &ext);
  _wmakepath_s(out, drive, dir, fname, L"mflst");
  EXPECT_EQ(CString(deep + L"saver.mflst"), out);
}

TEST(LongPath, ResolvesLinksDotsAndReportsSizes) {
  TempDir tmp;
  std::filesystem::create_directories(tmp / "real folder");
  WriteBytes(tmp / "real folder" / "saver", "x");
  std::filesystem::create_directory_symlink(tmp / "real folder", tmp / "link");
  const CString expected = TempDir::Wide(std::filesystem::canonical(tmp / "real folder" / "saver"));

  const CString viaLink = tmp.wide("link/../link/./saver");
  EXPECT_EQ(expected, GetLongPathName(viaLink));

  wchar_t small[4];
  const DWORD needed = GetLongPathNameW(viaLink, small, 4);
  EXPECT_EQ(static_cast<DWORD>(expected.GetLength() + 1), needed);
  std::wstring buffer(needed, L'\0');
  EXPECT_EQ(needed - 1, GetLongPathNameW(viaLink, buffer.data(), needed));
  EXPECT_STREQ(expected.GetString(), buffer.c_str());

  EXPECT_EQ(0u, GetLongPathNameW(tmp.wide("absent"), buffer.data(), needed));
  EXPECT_TRUE(GetLongPathName(tmp.wide("absent")).IsEmpty());
}

TEST(FileAttributes, TellFoldersFilesAndAbsentPaths) {
  TempDir tmp;
  std::filesystem::create_directory(tmp / "dir");
  WriteBytes(tmp / "file", "x");
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesW(tmp.wide("dir")) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(0u, GetFileAttributesW(tmp.wide("file")) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(tmp.wide("missing")));
}

TEST(FindFile, ReportsMatchingNamesInOrderWithDirectories) {
  TempDir tmp;
  WriteBytes(tmp / "b.so", "x");
  WriteBytes(tmp / "a.so", "x");
  WriteBytes(tmp / ".dot.so", "x");
  WriteBytes(tmp / "c.txt", "x");
  WriteBytes(tmp / "\xE5\x8B\x95\xE7\x94\xBB.so", "x");  // 動画.so
  std::filesystem::create_directory(tmp / "x.so");

  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(tmp.wide("*.so"), &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  std::vector<std::wstring> names;
  std::vector<bool> dirs;
  do {
    names.push_back(data.cFileName);
    dirs.push_back((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileW(find, &data));
  EXPECT_TRUE(FindClose(find));
  const std::vector<std::wstring> expectedNames = {L".dot.so", L"a.so", L"b.so", L"x.so", L"\u52D5\u753B.so"};
  EXPECT_EQ(expectedNames, names);
  EXPECT_EQ((std::vector<bool>{false, false, false, true, false}), dirs);

  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileW(tmp.wide("*.dll"), &data));
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileW(tmp.wide("missing/*.so"), &data));
}

TEST(ModulePath, IsTheProgramUnlessOverriddenAndCutsLikeTheBuffer) {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  const CString real(Utf8ToWide(std::string(self, static_cast<std::size_t>(n))));
  EXPECT_EQ(real, GetModuleFilePath(nullptr));

  SetModuleFileNameForTesting(L"/opt/ov/OrvaneMovieScreenSaver");
  wchar_t buffer[8];
  EXPECT_EQ(8u, GetModuleFileNameW(nullptr, buffer, 8));  // cut: size returned
  EXPECT_STREQ(L"/opt/ov", buffer);
  wchar_t whole[64];
  EXPECT_EQ(30u, GetModuleFileNameW(nullptr, whole, 64));
  EXPECT_STREQ(L"/opt/ov/OrvaneMovieScreenSaver", whole);
  SetModuleFileNameForTesting(nullptr);
  EXPECT_EQ(real, GetModuleFilePath(nullptr));
}

TEST(Utf8Text, RoundTripsJapaneseAndInvalidBytes) {
  const std::string bytes = "\xE5\x8B\x95\xE7\x94\xBB/\xFF\x80x\xF0\x9F\x8E\xA5";
  const std::wstring wide = Utf8ToWide(bytes);
  EXPECT_EQ(L'\u52D5', wide[0]);
  EXPECT_EQ(static_cast<wchar_t>(0x1F3A5), wide.back());
  EXPECT_EQ(bytes, WideToUtf8(wide));
}

}  // namespace
