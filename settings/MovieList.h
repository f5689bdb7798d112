// The movie list: its entries and the file that stores it.
#pragma once

#include <vector>

#include "atlstr.h"
#include "wintypes.h"

enum : int { MOVIE_UNTRIED = 0, MOVIE_OPENED = 1, MOVIE_FAILED = 2 };

struct MovieEntry {
  CString path;
  int state = MOVIE_UNTRIED;
};

bool SaveMovieList(const wchar_t* path, const std::vector<MovieEntry>& movies);
bool LoadMovieList(std::vector<MovieEntry>& movies, const wchar_t* path);
