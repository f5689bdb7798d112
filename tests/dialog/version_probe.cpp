// A small program with its own version block (or none) that prints GetVersionText().
#include <cstdio>

#include "dialog/VersionText.h"
#include "winver_block.h"

#ifdef PROBE_VERSION
namespace {
constexpr VersionString kStrings[] = {{L"ProductName", L"probe"}};
constexpr VersionResource kVersion{{PROBE_VERSION}, L"041104b0", 0x0411, 1200, kStrings, 1};
OV_VERSION_SECTION const auto kBlock = MakeVersionBlock<VersionBlockSize(kVersion)>(kVersion);
}  // namespace
#endif

int main() {
  std::printf("%ls\n", GetVersionText().GetString());
  return 0;
}
