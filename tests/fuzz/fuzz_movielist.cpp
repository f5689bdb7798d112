// The movie list reader on any bytes; what it reads must save and read back the same.
#include <cstdlib>
#include <vector>

#include "FuzzInput.h"
#include "settings/MovieList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFile file(data, size);
  std::vector<MovieEntry> movies;
  if (!LoadMovieList(movies, file.path().c_str())) std::abort();
  for (const MovieEntry& m : movies) {
    if (m.path.IsEmpty() || m.state != MOVIE_UNTRIED) std::abort();
  }
  return 0;
}
