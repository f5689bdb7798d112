#include "processenv.h"

#include <cwctype>
#include <mutex>
#include <string>

#include "utf8text.h"

namespace {
std::mutex g_lock;
std::wstring g_commandLine;

bool NeedsQuotes(const std::wstring& token) {
  if (token.empty()) return true;
  for (wchar_t c : token) {
    if (std::iswspace(static_cast<wint_t>(c))) return true;
  }
  return false;
}
}  // namespace

LPCWSTR GetCommandLineW() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_commandLine.c_str();
}

void SetCommandLineFromArgs(int argc, char** argv) {
  std::wstring line;
  for (int i = 0; i < argc; ++i) {
    std::wstring token = Utf8ToWide(argv[i] ? argv[i] : "");
    if (i > 0) line += L' ';
    if (NeedsQuotes(token)) {
      line += L'"';
      line += token;
      line += L'"';
    } else {
      line += token;
    }
  }
  std::lock_guard<std::mutex> lock(g_lock);
  g_commandLine = std::move(line);
}

void SetCommandLineForTesting(LPCWSTR commandLine) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_commandLine = commandLine ? commandLine : L"";
}
