#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "globalmem.h"
#include "processenv.h"

namespace {

TEST(CommandLineFromArgs, QuotesTokensWithWhiteSpaceOrNothing) {
  const struct {
    std::vector<const char*> argv;
    const wchar_t* line;
  } cases[] = {
      {{"/opt/ov/saver"}, L"/opt/ov/saver"},
      {{"/opt/my saver/saver", "/s"}, L"\"/opt/my saver/saver\" /s"},
      {{"saver", "/p", "4660"}, L"saver /p 4660"},
      {{"saver", ""}, L"saver \"\""},
      {{"saver", "a\tb"}, L"saver \"a\tb\""},
      {{"saver", "ab\"cd"}, L"saver ab\"cd"},
      {{"/\xE5\x8B\x95\xE7\x94\xBB/saver", "/c:12"}, L"/\u52D5\u753B/saver /c:12"},
  };
  for (const auto& c : cases) {
    std::vector<char*> argv;
    for (const char* a : c.argv) argv.push_back(const_cast<char*>(a));
    SetCommandLineFromArgs(static_cast<int>(argv.size()), argv.data());
    EXPECT_STREQ(c.line, GetCommandLineW());
  }
}

TEST(GlobalMemory, BlocksAreZeroedLockedAndFreed) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 14);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(14u, GlobalSize(block));
  auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
  ASSERT_NE(nullptr, bytes);
  for (int i = 0; i < 14; ++i) EXPECT_EQ(0, bytes[i]);
  std::memcpy(bytes, "name", 5);
  EXPECT_EQ(bytes, GlobalLock(block));
  EXPECT_TRUE(GlobalUnlock(block));   // still locked once
  EXPECT_FALSE(GlobalUnlock(block));  // now unlocked
  EXPECT_FALSE(GlobalUnlock(block));  // not locked at all
  EXPECT_EQ(nullptr, GlobalFree(block));

  // What is not a block is refused, not freed.
  alignas(std::max_align_t) unsigned char notABlock[64] = {};
  EXPECT_EQ(nullptr, GlobalLock(notABlock));
  EXPECT_EQ(static_cast<HGLOBAL>(notABlock), GlobalFree(notABlock));
  EXPECT_EQ(nullptr, GlobalFree(nullptr));
}

}  // namespace
