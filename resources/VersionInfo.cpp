// The version information of the executable, placed in its version section.
#include "winver_block.h"

#ifndef OV_VERSION_MAJOR
#error "the build defines OV_VERSION_MAJOR, OV_VERSION_MINOR, OV_VERSION_BUILD, OV_VERSION_REVISION"
#endif

#define OV_WIDEN2(x) L##x
#define OV_WIDEN(x) OV_WIDEN2(x)
#define OV_STR2(x) #x
#define OV_STR(x) OV_STR2(x)
#define OV_VERSION_TEXT \
  OV_WIDEN(OV_STR(OV_VERSION_MAJOR) "." OV_STR(OV_VERSION_MINOR) "." OV_STR(OV_VERSION_BUILD) "." OV_STR(OV_VERSION_REVISION))

namespace {

constexpr VersionString kStrings[] = {
    {L"CompanyName", L"Orvane"},
    {L"FileDescription", L"Orvane Movie Screen Saver"},
    {L"FileVersion", OV_VERSION_TEXT},
    {L"InternalName", L"OrvaneMovieScreenSaver"},
    {L"LegalCopyright", L"Copyright (C) Orvane. All rights reserved."},
    {L"OriginalFilename", L"OrvaneMovieScreenSaver"},
    {L"ProductName", L"Orvane Movie Screen Saver"},
    {L"ProductVersion", OV_VERSION_TEXT},
};

constexpr VersionResource kVersion{
    {OV_VERSION_MAJOR, OV_VERSION_MINOR, OV_VERSION_BUILD, OV_VERSION_REVISION},
    L"041104b0", 0x0411, 1200, kStrings, static_cast<int>(sizeof kStrings / sizeof kStrings[0])};

}  // namespace

extern const std::array<std::uint8_t, VersionBlockSize(kVersion)> g_ovVersionBlock;
OV_VERSION_SECTION const std::array<std::uint8_t, VersionBlockSize(kVersion)> g_ovVersionBlock =
    MakeVersionBlock<VersionBlockSize(kVersion)>(kVersion);
