// Command-line tokens and the run-mode decision.
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

#include "app/OrvaneMovieScreenSaverApp.h"
#include "processenv.h"

CommandLineArgs::~CommandLineArgs() { std::free(copy); }

bool IsSwitch(const wchar_t* token, wchar_t letter) {
  if (token[0] == L'-' || token[0] == L'/') ++token;
  return std::towlower(static_cast<wint_t>(token[0])) == std::towlower(static_cast<wint_t>(letter));
}

void COrvaneMovieScreenSaverApp::SplitCommandLine(CommandLineArgs& args) {
  args.copy = wcsdup(GetCommandLineW());
  if (!args.copy) return;
  wchar_t* p = args.copy;
  for (;;) {
    while (*p && std::iswspace(static_cast<wint_t>(*p))) ++p;
    if (!*p) break;
    const bool quoted = (*p == L'"');
    if (quoted) ++p;
    args.tokens.push_back(p);
    if (!quoted) {
      while (*p && !std::iswspace(static_cast<wint_t>(*p))) ++p;
      if (!*p) break;
      *p++ = L'\0';
      continue;
    }
    // A quoted token ends at the first quote followed by white space or the end.
    while (*p && !(p[0] == L'"' && (p[1] == L'\0' || std::iswspace(static_cast<wint_t>(p[1]))))) ++p;
    if (!*p) break;
    const bool endsText = (p[1] == L'\0');
    *p = L'\0';
    if (endsText) break;
    p += 2;
  }
}

namespace {
// A window handle as decimal text (leading white space and one sign accepted); false when
// the text holds no digits.
bool ParseHandle(const wchar_t* text, HWND& window) {
  wchar_t* end = nullptr;
  const long long value = std::wcstoll(text, &end, 10);
  if (end == text) return false;
  window = HwndFromId(static_cast<std::uint64_t>(value));
  return true;
}
}  // namespace

HWND COrvaneMovieScreenSaverApp::DecideRunMode(const CommandLineArgs& args) {
  // Without even the program's path (the copy of the command line failed) no mode is chosen.
  if (args.tokens.empty()) return nullptr;
  if (args.tokens.size() < 2) {
    m_nRunMode = MODE_SETTINGS;
    return nullptr;
  }
  const wchar_t* mode = args.tokens[1];
  if (IsSwitch(mode, L'c')) {
    m_nRunMode = MODE_SETTINGS;
    const wchar_t* afterSwitch = mode + ((mode[0] == L'-' || mode[0] == L'/') ? 2 : 1);
    HWND parent = nullptr;
    if (afterSwitch[0] == L':' && !ParseHandle(afterSwitch + 1, parent)) parent = nullptr;
    return parent;
  }
  if (IsSwitch(mode, L'p')) {
    // The preview needs its host window: without a number in token 2 the program ends.
    HWND host = nullptr;
    if (args.tokens.size() < 3 || !ParseHandle(args.tokens[2], host) || !host) return nullptr;
    m_nRunMode = MODE_PREVIEW;
    return host;
  }
  if (IsSwitch(mode, L's')) m_nRunMode = MODE_SAVER;
  return nullptr;
}
