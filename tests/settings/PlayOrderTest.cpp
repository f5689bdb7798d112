#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "app/OrvaneMovieScreenSaverApp.h"
#include "winbase.h"

namespace {

class PlayOrder : public ::testing::Test {
 protected:
  void SetMovies(int n) {
    app.m_movies.assign(static_cast<std::size_t>(n), MovieEntry{L"/m.avi", MOVIE_UNTRIED});
  }
  void SetPlugins(std::vector<BOOL> enabled) {
    app.m_plugins.clear();
    for (BOOL e : enabled) {
      PluginRecord record;
      record.bEnabled = e;
      app.m_plugins.push_back(record);
    }
  }
  static bool IsPermutation(std::vector<int> v, int n) {
    std::sort(v.begin(), v.end());
    std::vector<int> identity(static_cast<std::size_t>(n));
    std::iota(identity.begin(), identity.end(), 0);
    return v == identity;
  }
  COrvaneMovieScreenSaverApp app;
};

TEST_F(PlayOrder, ShuffleOffKeepsListOrderAndReshuffleKeepsIt) {
  app.m_bShuffle = FALSE;
  SetMovies(5);
  app.m_nPlayIndex = 3;
  app.m_bNoPlayableMovie = true;
  app.BuildPlayOrder();
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), app.m_playOrder);
  EXPECT_EQ(0u, app.m_nPlayIndex);
  EXPECT_FALSE(app.m_bNoPlayableMovie);
  app.ReshufflePlayOrder();  // the wrap starts again at 0 in the same order
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), app.m_playOrder);
}

TEST_F(PlayOrder, ShuffleFollowsTheSwapRuleOnTheDraws) {
  std::vector<int> a(8);
  std::iota(a.begin(), a.end(), 0);
  SeedRandom(20240501u);
  std::vector<int> expected = a;
  for (std::size_t k = 1; k < expected.size(); ++k) {
    std::swap(expected[k], expected[static_cast<std::size_t>(DrawRandom()) % (k + 1)]);
  }
  SeedRandom(20240501u);
  COrvaneMovieScreenSaverApp::ShuffleIndices(a);
  EXPECT_EQ(expected, a);

  // Fewer than two elements: nothing drawn.
  SeedRandom(7u);
  std::vector<int> one = {0};
  COrvaneMovieScreenSaverApp::ShuffleIndices(one);
  EXPECT_EQ(std::vector<int>{0}, one);
  const int next = DrawRandom();
  SeedRandom(7u);
  EXPECT_EQ(next, DrawRandom());
}

TEST_F(PlayOrder, ShufflesInOneSecondDrawTheSameValues) {
  // Both orders reseed from the clock; built back to back they match whenever the second
  // did not change between them (retry a few times across a boundary).
  app.m_bShuffle = TRUE;
  SetMovies(6);
  SetPlugins({TRUE, TRUE, TRUE, TRUE, TRUE, TRUE});
  bool sameSecond = false;
  for (int attempt = 0; attempt < 3 && !sameSecond; ++attempt) {
    const auto before = CurrentTimeSeconds();
    app.BuildPlayOrder();
    app.BuildMethodOrder();
    sameSecond = CurrentTimeSeconds() == before;
    if (sameSecond) {
      EXPECT_EQ(app.m_playOrder, app.m_methodOrder);
    }
  }
  EXPECT_TRUE(sameSecond);
  EXPECT_TRUE(IsPermutation(app.m_playOrder, 6));
}

TEST_F(PlayOrder, MethodOrderHoldsTheEnabledPluginsAlwaysShuffled) {
  app.m_bShuffle = FALSE;
  SetPlugins({TRUE, FALSE, TRUE, TRUE, FALSE, TRUE, TRUE, TRUE, TRUE, TRUE});
  app.m_nMethodIndex = 4;
  app.BuildMethodOrder();
  EXPECT_EQ(0u, app.m_nMethodIndex);
  std::vector<int> sorted = app.m_methodOrder;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ((std::vector<int>{0, 2, 3, 5, 6, 7, 8, 9}), sorted);
  // Shuffled with this second's seed, whatever m_bShuffle says.
  std::vector<int> expected;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const auto before = CurrentTimeSeconds();
    app.BuildMethodOrder();
    SeedRandom(static_cast<unsigned int>(before));
    expected = {0, 2, 3, 5, 6, 7, 8, 9};
    COrvaneMovieScreenSaverApp::ShuffleIndices(expected);
    if (CurrentTimeSeconds() == before) break;
  }
  EXPECT_EQ(expected, app.m_methodOrder);

  SetPlugins({FALSE, TRUE});
  app.BuildMethodOrder();
  EXPECT_EQ(std::vector<int>{1}, app.m_methodOrder);
  app.ReshuffleMethodOrder();
  EXPECT_EQ(std::vector<int>{1}, app.m_methodOrder);
}

TEST_F(PlayOrder, ReshuffleStartsFromTheCurrentOrder) {
  app.m_bShuffle = TRUE;
  std::vector<int> expected;
  for (int attempt = 0; attempt < 3; ++attempt) {
    app.m_playOrder = {4, 3, 2, 1, 0};
    const auto before = CurrentTimeSeconds();
    app.ReshufflePlayOrder();
    expected = {4, 3, 2, 1, 0};
    SeedRandom(static_cast<unsigned int>(before));
    COrvaneMovieScreenSaverApp::ShuffleIndices(expected);
    if (CurrentTimeSeconds() == before) break;
  }
  EXPECT_EQ(expected, app.m_playOrder);
}

}  // namespace
