#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/OrvaneMovieScreenSaverApp.h"
#include "processenv.h"

namespace {

struct Case {
  const wchar_t* line;
  std::vector<std::wstring> tokens;
  int mode;
  std::uint64_t window;
};

TEST(CommandLine, TokensModeAndWindowAsTheHostPassesThem) {
  const Case cases[] = {
      {L"saver", {L"saver"}, MODE_SETTINGS, 0},
      {L"saver   \t ", {L"saver"}, MODE_SETTINGS, 0},  // trailing white space adds no token
      {L"\"/opt/my saver/saver.scr\" /s", {L"/opt/my saver/saver.scr", L"/s"}, MODE_SAVER, 0},
      {L"\"/opt/my saver/saver.scr\"", {L"/opt/my saver/saver.scr"}, MODE_SETTINGS, 0},
      {L"saver /c:4660", {L"saver", L"/c:4660"}, MODE_SETTINGS, 4660},
      {L"saver -C:1234", {L"saver", L"-C:1234"}, MODE_SETTINGS, 1234},
      {L"saver /c 4660", {L"saver", L"/c", L"4660"}, MODE_SETTINGS, 0},
      {L"saver /config", {L"saver", L"/config"}, MODE_SETTINGS, 0},
      {L"saver C", {L"saver", L"C"}, MODE_SETTINGS, 0},
      {L"saver /p 4660", {L"saver", L"/p", L"4660"}, MODE_PREVIEW, 4660},
      {L"saver /P   4660 extra", {L"saver", L"/P", L"4660", L"extra"}, MODE_PREVIEW, 4660},
      {L"saver -S", {L"saver", L"-S"}, MODE_SAVER, 0},
      {L"saver /s", {L"saver", L"/s"}, MODE_SAVER, 0},
      {L"saver s", {L"saver", L"s"}, MODE_SAVER, 0},
      {L"saver /scr", {L"saver", L"/scr"}, MODE_SAVER, 0},
      {L"saver /Saver", {L"saver", L"/Saver"}, MODE_SAVER, 0},
      {L"saver /x", {L"saver", L"/x"}, MODE_NONE, 0},
      {L"saver /a", {L"saver", L"/a"}, MODE_NONE, 0},
      {L"saver ab\"cd", {L"saver", L"ab\"cd"}, MODE_NONE, 0},  // the quote stays in the token
      {L"saver \"a\"b c\" /s", {L"saver", L"a\"b c", L"/s"}, MODE_NONE, 0},  // "b: not a closing quote
      {L"saver \"\" /s", {L"saver", L"", L"/s"}, MODE_NONE, 0},
      {L"\"unterminated saver /s", {L"unterminated saver /s"}, MODE_SETTINGS, 0},
      // A preview without a number for its host window ends the program.
      {L"saver /p", {L"saver", L"/p"}, MODE_NONE, 0},
      {L"saver /p host", {L"saver", L"/p", L"host"}, MODE_NONE, 0},
      {L"", {}, MODE_NONE, 0},
  };
  for (const Case& c : cases) {
    SetCommandLineForTesting(c.line);
    CommandLineArgs args;
    COrvaneMovieScreenSaverApp::SplitCommandLine(args);
    std::vector<std::wstring> tokens(args.tokens.begin(), args.tokens.end());
    EXPECT_EQ(c.tokens, tokens) << c.line;

    COrvaneMovieScreenSaverApp app;
    const HWND window = app.DecideRunMode(args);
    EXPECT_EQ(c.mode, app.m_nRunMode) << c.line;
    EXPECT_EQ(c.window, IdFromHwnd(window)) << c.line;
  }
}

TEST(CommandLine, RebuiltFromArgvSplitsBackIntoTheSameTokens) {
  const std::vector<const char*> argv = {"/opt/my saver/OrvaneMovieScreenSaver", "/p", "4660", "", "ab\"cd"};
  SetCommandLineFromArgs(static_cast<int>(argv.size()), const_cast<char**>(argv.data()));
  CommandLineArgs args;
  COrvaneMovieScreenSaverApp::SplitCommandLine(args);
  const std::vector<std::wstring> tokens(args.tokens.begin(), args.tokens.end());
  EXPECT_EQ((std::vector<std::wstring>{L"/opt/my saver/OrvaneMovieScreenSaver", L"/p", L"4660", L"", L"ab\"cd"}),
            tokens);
}

TEST(CommandLine, IsSwitchComparesOneLetterAfterOneMark) {
  EXPECT_TRUE(IsSwitch(L"/s", L's'));
  EXPECT_TRUE(IsSwitch(L"-S", L's'));
  EXPECT_TRUE(IsSwitch(L"s", L'S'));
  EXPECT_FALSE(IsSwitch(L"//s", L's'));
  EXPECT_FALSE(IsSwitch(L"/", L's'));
  EXPECT_FALSE(IsSwitch(L"", L's'));
}

}  // namespace
