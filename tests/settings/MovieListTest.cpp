#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "settings/MovieList.h"

namespace {

std::vector<std::wstring> Paths(const std::vector<MovieEntry>& movies) {
  std::vector<std::wstring> paths;
  for (const MovieEntry& m : movies) {
    EXPECT_EQ(MOVIE_UNTRIED, m.state);
    paths.push_back(m.path.str());
  }
  return paths;
}

class MovieList : public ::testing::Test {
 protected:
  TempDir tmp;
  CString file = tmp.wide("saver.mflst");
};

TEST_F(MovieList, RoundTripsJapaneseAndLongPathsInShiftJis) {
  std::wstring longPath = L"/movies";
  while (longPath.size() < 700) longPath += L"/\u9577\u3044\u30D5\u30A9\u30EB\u30C0\u540D";
  longPath += L"/clip.mp4";
  std::vector<MovieEntry> movies = {{L"/home/\u52D5\u753B/a b.avi", MOVIE_FAILED},
                                    {longPath, MOVIE_OPENED},
                                    {L"  leading spaces.mkv", MOVIE_UNTRIED},
                                    {L"/home/\u52D5\u753B/a b.avi", MOVIE_UNTRIED}};
  ASSERT_TRUE(SaveMovieList(file, movies));
  const std::string bytes = ReadBytes(tmp / "saver.mflst");
  EXPECT_EQ(0u, bytes.find("#Movie File List\n/home/\x93\xae\x89\xe6/a b.avi\n"));
  EXPECT_EQ(std::string::npos, bytes.find('\r'));

  std::vector<MovieEntry> loaded = {{L"kept in front", MOVIE_OPENED}};
  ASSERT_TRUE(LoadMovieList(loaded, file));
  ASSERT_EQ(5u, loaded.size());
  EXPECT_EQ(MOVIE_OPENED, loaded[0].state);
  loaded.erase(loaded.begin());
  EXPECT_EQ((std::vector<std::wstring>{movies[0].path.str(), longPath, L"  leading spaces.mkv",
                                       movies[0].path.str()}),
            Paths(loaded));
}

TEST_F(MovieList, EmptyListWritesTheHeaderOnly) {
  ASSERT_TRUE(SaveMovieList(file, {}));
  EXPECT_EQ("#Movie File List\n", ReadBytes(tmp / "saver.mflst"));
  std::vector<MovieEntry> loaded;
  ASSERT_TRUE(LoadMovieList(loaded, file));
  EXPECT_TRUE(loaded.empty());
}

TEST_F(MovieList, HandEditedFilesReadAsWritten) {
  const struct {
    const char* bytes;
    std::vector<std::wstring> paths;
  } cases[] = {
      {"#Movie File List\r\n/a.avi\r\n\r\n# note\r\n\n/b.avi\r\n", {L"/a.avi", L"/b.avi"}},
      {"/no/header.avi", {L"/no/header.avi"}},  // no final LF, no header
      {"#Movie File List\n   \n", {L"   "}},  // a line of spaces is a path
      {"#Movie File List\n#hash/start.avi\n/x.avi\n", {L"/x.avi"}},
      {"#Movie File List\n\r/stray cr.avi\r\n", {L"\r/stray cr.avi"}},
      {"#Movie File List\n\r\r\n", {}},
      {"/a.avi\r/b.avi\r/c.avi\r", {L"/a.avi"}},  // CR-only ends do not split
      {"/\x93\xae\x89\xe6.avi\n", {L"/\u52D5\u753B.avi"}},
  };
  for (const auto& c : cases) {
    WriteBytes(tmp / "saver.mflst", c.bytes);
    std::vector<MovieEntry> loaded;
    ASSERT_TRUE(LoadMovieList(loaded, file));
    EXPECT_EQ(c.paths, Paths(loaded)) << c.bytes;
  }
}

TEST_F(MovieList, ALineOfAnyLengthIsOneEntry) {
  const std::string line(5000, 'x');
  WriteBytes(tmp / "saver.mflst", "#Movie File List\n/" + line + "\n/next.avi\n");
  std::vector<MovieEntry> loaded;
  ASSERT_TRUE(LoadMovieList(loaded, file));
  EXPECT_EQ((std::vector<std::wstring>{L"/" + std::wstring(5000, L'x'), L"/next.avi"}), Paths(loaded));
}

TEST_F(MovieList, ACharacterShiftJisCannotHoldIsWrittenAsQuestionMark) {
  ASSERT_TRUE(SaveMovieList(file, {{L"/music/\u20AC\U0001F3A5.mp4", MOVIE_UNTRIED}}));
  EXPECT_EQ("#Movie File List\n/music/??.mp4\n", ReadBytes(tmp / "saver.mflst"));
  std::vector<MovieEntry> loaded;
  ASSERT_TRUE(LoadMovieList(loaded, file));
  EXPECT_EQ((std::vector<std::wstring>{L"/music/??.mp4"}), Paths(loaded));
}

TEST_F(MovieList, MissingFileAndFailedWritesChangeNothing) {
  std::vector<MovieEntry> loaded = {{L"/kept.avi", MOVIE_UNTRIED}};
  EXPECT_FALSE(LoadMovieList(loaded, tmp.wide("absent.mflst")));
  EXPECT_EQ(1u, loaded.size());

  const std::string old = "#Movie File List\n/old.avi\n";
  WriteBytes(tmp / "saver.mflst", old);
  const std::vector<MovieEntry> bigger(100, MovieEntry{L"/a/new/movie/path.avi", MOVIE_UNTRIED});
  {
    FileSizeLimit fullDisk(64);
    EXPECT_FALSE(SaveMovieList(file, bigger));
  }
  EXPECT_EQ(old, ReadBytes(tmp / "saver.mflst"));
  EXPECT_EQ(1u, std::distance(std::filesystem::directory_iterator(tmp.path()), {})) << "no temporary file left";

  EXPECT_FALSE(SaveMovieList(tmp.wide("missing/saver.mflst"), bigger));
  EXPECT_FALSE(std::filesystem::exists(tmp / "missing"));
}

}  // namespace
