#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TempDir.h"
#include "profileapi.h"

namespace {

class Profile : public ::testing::Test {
 protected:
  TempDir tmp;
  CString ini = tmp.wide("saver.ini");
};

TEST_F(Profile, ReadsSectionsAndKeysIgnoringCaseAndWhiteSpace) {
  WriteBytes(tmp / "saver.ini",
             "\xEF\xBB\xBF; comment\r\nloose=1\r\n[Other]\r\nMute=7\r\n[ ver1 ]\r\n  MUTE =  0 \r\n"
             "InitialDir=/home/\xE5\x8B\x95\xE7\x94\xBB\r\nMute=9\r\nEmpty=\r\n");
  EXPECT_EQ(0u, GetPrivateProfileIntW(L"Ver1", L"Mute", 5, ini));
  EXPECT_EQ(7u, GetPrivateProfileIntW(L"OTHER", L"mute", 5, ini));
  EXPECT_EQ(5u, GetPrivateProfileIntW(L"Ver1", L"loose", 5, ini));
  EXPECT_EQ(CString(L"/home/\u52D5\u753B"), ReadPrivateProfileString(L"VER1", L"initialdir", L"d", ini));
  EXPECT_EQ(CString(L""), ReadPrivateProfileString(L"Ver1", L"Empty", L"d", ini));
  EXPECT_EQ(CString(L"d"), ReadPrivateProfileString(L"Ver1", L"Absent", L"d", ini));
  EXPECT_EQ(CString(L""), ReadPrivateProfileString(L"Ver1", L"Absent", nullptr, ini));
  EXPECT_EQ(CString(L"d"), ReadPrivateProfileString(L"Ver1", L"Mute", L"d", tmp.wide("missing.ini")));

  wchar_t small[5];
  EXPECT_EQ(4u, GetPrivateProfileStringW(L"Ver1", L"InitialDir", L"", small, 5, ini));
  EXPECT_STREQ(L"/hom", small);
}

TEST_F(Profile, IntegersAreLeadingDecimalDigitsWithASign) {
  const struct {
    const char* text;
    UINT value;
  } cases[] = {
      {"42", 42u}, {"-5", static_cast<UINT>(-5)}, {"+8", 8u}, {"12abc", 12u}, {"abc", 0u},
      {"", 0u},    {"  3", 3u},                   {"0x10", 0u}, {"-", 0u},
  };
  for (const auto& c : cases) {
    WriteBytes(tmp / "saver.ini", std::string("[Ver1]\nKey=") + c.text + "\n");
    EXPECT_EQ(c.value, GetPrivateProfileIntW(L"Ver1", L"Key", 77, ini)) << c.text;
  }
}

TEST_F(Profile, WritesReplaceAddAndDeleteKeepingEverythingElse) {
  WriteBytes(tmp / "saver.ini", "; kept\n[Ver1]\nMute=1\n\n[Other]\nx=y\n");
  EXPECT_TRUE(WritePrivateProfileStringW(L"ver1", L"MUTE", L"0", ini));
  EXPECT_TRUE(WritePrivateProfileStringW(L"Ver1", L"\u8868\u793A\u65B9\u6CD5_a", L"1", ini));
  EXPECT_TRUE(WritePrivateProfileStringW(L"New", L"k", L"v", ini));
  EXPECT_EQ(
      "; kept\n[Ver1]\nMute=0\n\xE8\xA1\xA8\xE7\xA4\xBA\xE6\x96\xB9\xE6\xB3\x95_a=1\n\n[Other]\nx=y\n[New]\nk=v\n",
      ReadBytes(tmp / "saver.ini"));

  EXPECT_TRUE(WritePrivateProfileStringW(L"Ver1", L"Mute", nullptr, ini));
  EXPECT_TRUE(WritePrivateProfileStringW(L"Other", nullptr, nullptr, ini));
  EXPECT_EQ("; kept\n[Ver1]\n\xE8\xA1\xA8\xE7\xA4\xBA\xE6\x96\xB9\xE6\xB3\x95_a=1\n\n[New]\nk=v\n",
            ReadBytes(tmp / "saver.ini"));
}

TEST_F(Profile, WritingCreatesTheFileWithOrdinaryPermissions) {
  EXPECT_TRUE(WritePrivateProfileStringW(L"Ver1", L"Pos", L"-5", ini));
  EXPECT_EQ("[Ver1]\nPos=-5\n", ReadBytes(tmp / "saver.ini"));
  struct stat st;
  ASSERT_EQ(0, stat((tmp / "saver.ini").c_str(), &st));
  EXPECT_NE(0u, st.st_mode & S_IRGRP & ~static_cast<mode_t>(0)) << "not left as a private temporary file";
  EXPECT_EQ(1u, std::distance(std::filesystem::directory_iterator(tmp.path()), {}));
}

TEST_F(Profile, FailedWritesLeaveTheOldFileAndReportFailure) {
  EXPECT_FALSE(WritePrivateProfileStringW(L"Ver1", L"Mute", L"0", tmp.wide("missing/saver.ini")));
  EXPECT_FALSE(std::filesystem::exists(tmp / "missing"));
  WriteBytes(tmp / "file", "x");
  EXPECT_FALSE(WritePrivateProfileStringW(L"Ver1", L"Mute", L"0", tmp.wide("file/saver.ini")));
  EXPECT_EQ("x", ReadBytes(tmp / "file"));

  const std::string old = "[Ver1]\nMute=1\n";
  WriteBytes(tmp / "saver.ini", old);
  {
    FileSizeLimit fullDisk(8);
    EXPECT_FALSE(WritePrivateProfileStringW(L"Ver1", L"InitialDir", L"/a/long/enough/folder", ini));
  }
  EXPECT_EQ(old, ReadBytes(tmp / "saver.ini"));
  EXPECT_EQ(2u, std::distance(std::filesystem::directory_iterator(tmp.path()), {}));

  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  std::filesystem::permissions(tmp.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(WritePrivateProfileStringW(L"Ver1", L"Mute", L"0", ini));
  std::filesystem::permissions(tmp.path(), std::filesystem::perms::owner_all);
  EXPECT_EQ(old, ReadBytes(tmp / "saver.ini"));
  EXPECT_EQ(2u, std::distance(std::filesystem::directory_iterator(tmp.path()), {}));

  // An existing file that cannot be read is not replaced by one holding only the new key.
  std::filesystem::permissions(tmp / "saver.ini", std::filesystem::perms::none);
  EXPECT_FALSE(WritePrivateProfileStringW(L"Ver1", L"Mute", L"0", ini));
  std::filesystem::permissions(tmp / "saver.ini", std::filesystem::perms::owner_read);
  EXPECT_EQ(old, ReadBytes(tmp / "saver.ini"));
}

}  // namespace
