#include <gtest/gtest.h>

#include <string>

#include "stringapiset.h"

namespace {

std::string ToAnsi(const std::wstring& text, BOOL* usedDefault = nullptr) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  EXPECT_EQ(n, WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr,
                                   usedDefault));
  return out;
}

std::wstring FromAnsi(const std::string& bytes) {
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  EXPECT_EQ(n, MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n));
  return out;
}

TEST(CodePage, AnsiIsShiftJisBothWays) {
  struct Case {
    std::wstring wide;
    std::string bytes;
  };
  const Case cases[] = {
      {L"\u30DE\u30EB\u30C1(9\u5206\u5272)", "\x83\x7d\x83\x8b\x83\x60(9\x95\xaa\x8a\x84)"},
      {L"C:\\\u52D5\u753B\\a.avi", "C:\\\x93\xae\x89\xe6\\a.avi"},
      {L"\uFF71\uFF72", "\xB1\xB2"},  // half-width katakana are single bytes
      {L"\u2460", "\x87\x40"},        // a Microsoft extension (circled one)
      {L"plain", "plain"},
  };
  for (const Case& c : cases) {
    BOOL usedDefault = TRUE;
    EXPECT_EQ(c.bytes, ToAnsi(c.wide, &usedDefault));
    EXPECT_FALSE(usedDefault);
    EXPECT_EQ(c.wide, FromAnsi(c.bytes));
  }
}

TEST(CodePage, WhatShiftJisCannotHoldBecomesQuestionMark) {
  BOOL usedDefault = FALSE;
  EXPECT_EQ("a?b?\x83\x41", ToAnsi(L"a\u20ACb\U0001F3A5\u30A2", &usedDefault));
  EXPECT_TRUE(usedDefault);
  char custom[8] = {};
  EXPECT_EQ(1, WideCharToMultiByte(CP_ACP, 0, L"\u20AC", 1, custom, 8, "*", nullptr));
  EXPECT_EQ('*', custom[0]);
}

TEST(CodePage, UndefinedBytesBecomeTheDefaultCharacterAndTheRestSurvives) {
  // 0x81 0x20 is a lead byte with an invalid trail; a lead byte at the end is cut short.
  const std::wstring wide = FromAnsi(std::string("a\x81 b\x83", 5));
  EXPECT_EQ(L'a', wide.front());
  EXPECT_NE(std::wstring::npos, wide.find(L'b'));
  EXPECT_EQ(L'\u30FB', wide.back());
}

TEST(CodePage, CountsTerminatorsAndRefusesSmallBuffers) {
  EXPECT_EQ(3, MultiByteToWideChar(CP_ACP, 0, "ab", -1, nullptr, 0));
  wchar_t wide[3];
  EXPECT_EQ(3, MultiByteToWideChar(CP_ACP, 0, "ab", -1, wide, 3));
  EXPECT_STREQ(L"ab", wide);
  EXPECT_EQ(0, MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 3));
  char bytes[3];
  EXPECT_EQ(3, WideCharToMultiByte(CP_ACP, 0, L"\u52D5", -1, bytes, 3, nullptr, nullptr));
  EXPECT_STREQ("\x93\xae", bytes);
  EXPECT_EQ(0, WideCharToMultiByte(CP_ACP, 0, L"\u52D5", -1, bytes, 2, nullptr, nullptr));
  EXPECT_EQ(0, WideCharToMultiByte(1234, 0, L"a", -1, bytes, 3, nullptr, nullptr));
}

}  // namespace
