// The play order over the movie list and the display-method order over the enabled plug-ins.
#include <utility>

#include "app/OrvaneMovieScreenSaverApp.h"
#include "winbase.h"

namespace {
// Every shuffle starts from the current time in whole seconds.
void SeedFromClock() { SeedRandom(static_cast<unsigned int>(CurrentTimeSeconds())); }
}  // namespace

void COrvaneMovieScreenSaverApp::ShuffleIndices(std::vector<int>& indices) {
  for (std::size_t k = 1; k < indices.size(); ++k) {
    const std::size_t j = static_cast<std::size_t>(DrawRandom()) % (k + 1);
    std::swap(indices[k], indices[j]);
  }
}

void COrvaneMovieScreenSaverApp::BuildPlayOrder() {
  m_playOrder.clear();
  m_playOrder.reserve(m_movies.size());
  for (std::size_t i = 0; i < m_movies.size(); ++i) m_playOrder.push_back(static_cast<int>(i));
  if (m_bShuffle) {
    SeedFromClock();
    ShuffleIndices(m_playOrder);
  }
  m_nPlayIndex = 0;
  m_bNoPlayableMovie = false;
}

void COrvaneMovieScreenSaverApp::BuildMethodOrder() {
  m_methodOrder.clear();
  m_methodOrder.reserve(m_plugins.size());
  for (std::size_t i = 0; i < m_plugins.size(); ++i) {
    if (m_plugins[i].bEnabled) m_methodOrder.push_back(static_cast<int>(i));
  }
  // Display methods are always used in random order.
  SeedFromClock();
  ShuffleIndices(m_methodOrder);
  m_nMethodIndex = 0;
}

void COrvaneMovieScreenSaverApp::ReshufflePlayOrder() {
  if (!m_bShuffle) return;
  SeedFromClock();
  ShuffleIndices(m_playOrder);
}

void COrvaneMovieScreenSaverApp::ReshuffleMethodOrder() {
  SeedFromClock();
  ShuffleIndices(m_methodOrder);
}
