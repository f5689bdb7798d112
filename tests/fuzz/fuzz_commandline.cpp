// The command-line splitter and the run-mode decision on any text.
#include <cstdlib>
#include <string>

#include "app/OrvaneMovieScreenSaverApp.h"
#include "processenv.h"
#include "utf8text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::wstring line = Utf8ToWide(std::string(reinterpret_cast<const char*>(data), size));
  line = line.substr(0, line.find(L'\0'));
  SetCommandLineForTesting(line.c_str());
  CommandLineArgs args;
  COrvaneMovieScreenSaverApp::SplitCommandLine(args);
  const wchar_t* end = args.copy ? args.copy + line.size() : nullptr;
  for (wchar_t* token : args.tokens) {
    if (token < args.copy || token > end) std::abort();
  }
  static COrvaneMovieScreenSaverApp app;
  app.m_nRunMode = MODE_NONE;
  app.DecideRunMode(args);
  if (app.m_nRunMode < MODE_NONE || app.m_nRunMode > MODE_SAVER) std::abort();
  return 0;
}
