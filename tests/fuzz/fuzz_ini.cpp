// The INI reader on any bytes, and a write into a copy of them.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "profileapi.h"
#include "utf8text.h"

namespace {
std::wstring WorkFile() {
  static const std::wstring path = [] {
    char folder[] = "/tmp/fuzz_ini.XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    return Utf8ToWide(std::string(folder) + "/saver.ini");
  }();
  return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFile file(data, size);
  const std::wstring path = file.path();
  for (const wchar_t* key : {L"Pos", L"Mute", L"\u8868\u793A\u65B9\u6CD5_x"}) {
    GetPrivateProfileIntW(L"Ver1", key, 5, path.c_str());
    ReadPrivateProfileString(L"Ver1", key, L"d", path.c_str());
  }
  wchar_t small[4];
  GetPrivateProfileStringW(L"ver1", L"initialdir", L"", small, 4, path.c_str());

  // A write keeps every other line and then reads back.
  const std::wstring work = WorkFile();
  std::FILE* out = std::fopen(WideToUtf8(work).c_str(), "wb");
  if (!out) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);
  if (WritePrivateProfileStringW(L"Ver1", L"Pos", L"-42", work.c_str())) {
    if (GetPrivateProfileIntW(L"Ver1", L"Pos", 0, work.c_str()) != static_cast<UINT>(-42)) std::abort();
  }
  return 0;
}
