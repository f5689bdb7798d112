// The version block: reading it back from executable files, and the About box's text.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "winver.h"

namespace {

std::string RunProbe(const std::string& name) {
  const std::string cmd = std::string(OV_PROBE_DIR) + "/" + name;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return {};
  std::array<char, 256> buf{};
  std::string out;
  while (std::fgets(buf.data(), buf.size(), pipe)) out += buf.data();
  pclose(pipe);
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

TEST(VersionText, FormatsTheFileVersionOfTheRunningProgram) {
  struct Case {
    const char* probe;
    const char* text;
  };
  const Case cases[] = {
      {"version_probe_2_10_5_7", "Version 2.10.0005.0007"},
      {"version_probe_1_123_0_0", "Version 1.123.0000.0000"},
      {"version_probe_65535", "Version 65535.65535.65535.65535"},
      {"version_probe_none", "Version 0.00.0000.0000"},
  };
  for (const Case& c : cases) EXPECT_EQ(RunProbe(c.probe), c.text) << c.probe;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::vector<unsigned char> ReadBlock(const std::wstring& path) {
  DWORD handle = 7;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  EXPECT_EQ(handle, 0u);
  std::vector<unsigned char> block(size);
  if (size) {
    EXPECT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  }
  return block;
}

TEST(VersionBlock, QueriesFixedInfoStringsAndTranslation) {
  // The program itself carries the block built from the project version.
  const std::vector<unsigned char> block = ReadBlock(Wide(OV_PROGRAM_WITH_BLOCK));
  ASSERT_FALSE(block.empty());

  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(info->dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(info->dwFileVersionMS, (2u << 16) | 10u);
  EXPECT_EQ(info->dwFileVersionLS, (5u << 16) | 7u);
  EXPECT_EQ(info->dwProductVersionMS, info->dwFileVersionMS);

  // Keys match ignoring case; text lengths count the terminator.
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\041104B0\\productname", &value, &length));
  EXPECT_STREQ(static_cast<const wchar_t*>(value), L"probe");
  EXPECT_EQ(length, 6u);

  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);
  const auto* words = static_cast<const WORD*>(value);
  EXPECT_EQ(words[0], 0x0411);
  EXPECT_EQ(words[1], 1200);

  for (const wchar_t* missing : {L"\\StringFileInfo\\041104b0\\Comments", L"\\StringFileInfo\\040904b0\\ProductName",
                                 L"\\StringFileInfo", L"\\Nothing"})
    EXPECT_FALSE(VerQueryValueW(block.data(), missing, &value, &length)) << missing;
}

TEST(VersionBlock, FilesWithoutAReadableBlockHaveNone) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "ov-version-test";
  std::filesystem::create_directories(dir);
  const auto write = [&](const char* name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return (dir / name).wstring();
  };
  // A copy of a program whose section table points past the end of the file.
  std::ifstream in(OV_PROGRAM_WITH_BLOCK, std::ios::binary);
  std::string program((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(program.size(), 4096u);

  const std::wstring paths[] = {
      Wide(OV_PROGRAM_WITHOUT_BLOCK),
      (dir / "absent").wstring(),
      write("empty", ""),
      write("text", "#Movie File List\n"),
      write("truncated", program.substr(0, 2048)),
  };
  for (const std::wstring& path : paths) {
    DWORD handle = 0;
    EXPECT_EQ(GetFileVersionInfoSizeW(path.c_str(), &handle), 0u) << std::string(path.begin(), path.end());
    unsigned char buffer[64] = {};
    EXPECT_FALSE(GetFileVersionInfoW(path.c_str(), 0, sizeof buffer, buffer));
  }
  std::filesystem::remove_all(dir);
}

TEST(VersionBlock, CorruptNodeLengthsAreRefused) {
  std::vector<unsigned char> block = ReadBlock(Wide(OV_PROGRAM_WITH_BLOCK));
  ASSERT_GT(block.size(), 64u);
  void* value = nullptr;
  UINT length = 0;
  // A root that claims to end before its own header and key.
  block[0] = 6;
  block[1] = 0;
  EXPECT_FALSE(VerQueryValueW(block.data(), L"\\", &value, &length));
}

}  // namespace
