// Command-line tokens and the run-mode decision.
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

HWND COrvaneMovieScreenSaverApp::DecideRunMode(const CommandLineArgs& args) {
  if (args.tokens.size() < 2) {
    m_nRunMode = MODE_SETTINGS;
    return nullptr;
  }
  const wchar_t* mode = args.tokens[1];
  if (IsSwitch(mode, L'c')) {
    m_nRunMode = MODE_SETTINGS;
    const wchar_t* afterSwitch = mode + ((mode[0] == L'-' || mode[0] == L'/') ? 2 : 1);
    if (afterSwitch[0] == L':') {
      return HwndFromId(static_cast<std::uint64_t>(std::wcstoll(afterSwitch + 1, nullptr, 10)));
    }
    return nullptr;
  }
  if (IsSwitch(mode, L'p')) {
    m_nRunMode = MODE_PREVIEW;
    if (args.tokens.size() < 3) return nullptr;
    return HwndFromId(static_cast<std::uint64_t>(std::wcstoll(args.tokens[2], nullptr, 10)));
  }
  if (IsSwitch(mode, L's')) m_nRunMode = MODE_SAVER;
  return nullptr;
}
