#include "wstdio.h"

#include "utf8text.h"

std::FILE* _wfopen(const wchar_t* fileName, const wchar_t* mode) {
  if (!fileName || !mode) return nullptr;
  return std::fopen(WideToUtf8(fileName).c_str(), WideToUtf8(mode).c_str());
}
