// The runtime's wide-named file opening.
#pragma once

#include <cstdio>

// fopen with a wide file name and mode ("rb", "wb", ...).
std::FILE* _wfopen(const wchar_t* fileName, const wchar_t* mode);
