// Builds a version block (the layout described in winver.h) at compile time, so that the
// build can place it in the executable's version section:
//
//   constexpr VersionResource kInfo{{1, 0, 0, 0}, L"041104b0", 0x0411, 1200, kStrings, 2};
//   OV_VERSION_SECTION constexpr auto kBlock = MakeVersionBlock<VersionBlockSize(kInfo)>(kInfo);
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "winver.h"

static_assert(std::endian::native == std::endian::little, "the version block is little-endian");

struct VersionString {
  const wchar_t* key;
  const wchar_t* value;
};

struct VersionResource {
  WORD version[4];            // major, minor, build, revision (file and product)
  const wchar_t* table;       // language and code page in hex, e.g. L"041104b0"
  WORD language;              // for VarFileInfo\Translation
  WORD codePage;
  const VersionString* strings;
  int stringCount;
};

#define OV_VERSION_SECTION __attribute__((section(".ovversion"), used))

namespace version_block_detail {

constexpr std::size_t kMaxBlock = 8192;

struct Writer {
  std::array<std::uint8_t, kMaxBlock> bytes{};
  std::size_t size = 0;

  constexpr void Byte(std::uint8_t b) {
    if (size < kMaxBlock) bytes[size] = b;
    ++size;
  }
  constexpr void Word(std::uint32_t v) {
    Byte(static_cast<std::uint8_t>(v));
    Byte(static_cast<std::uint8_t>(v >> 8));
  }
  constexpr void Dword(std::uint32_t v) {
    Word(v & 0xFFFF);
    Word(v >> 16);
  }
  constexpr void Wchar(wchar_t c) { Dword(static_cast<std::uint32_t>(c)); }
  constexpr void Text(const wchar_t* s) {
    for (; *s; ++s) Wchar(*s);
    Wchar(0);
  }
  constexpr void Align() {
    while (size % 4) Byte(0);
  }
  constexpr void PatchWord(std::size_t at, std::uint32_t v) {
    if (at + 1 < kMaxBlock) {
      bytes[at] = static_cast<std::uint8_t>(v);
      bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
  }
  // Starts a node; returns its offset for End.
  constexpr std::size_t Begin(const wchar_t* key, std::uint32_t valueLength, std::uint32_t type) {
    Align();
    std::size_t at = size;
    Word(0);
    Word(valueLength);
    Word(type);
    Word(0);
    Text(key);
    Align();
    return at;
  }
  constexpr void End(std::size_t at) {
    Align();
    PatchWord(at, static_cast<std::uint32_t>(size - at));
  }
};

constexpr std::uint32_t Length(const wchar_t* s) {
  std::uint32_t n = 0;
  while (s[n]) ++n;
  return n;
}

constexpr Writer Build(const VersionResource& r) {
  Writer w;
  const std::uint32_t ms = (static_cast<std::uint32_t>(r.version[0]) << 16) | r.version[1];
  const std::uint32_t ls = (static_cast<std::uint32_t>(r.version[2]) << 16) | r.version[3];
  std::size_t root = w.Begin(L"VS_VERSION_INFO", sizeof(VS_FIXEDFILEINFO), 0);
  for (std::uint32_t v : {VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION, ms, ls, ms, ls, VS_FFI_FILEFLAGSMASK, 0u,
                          VOS__WINDOWS32, VFT_APP, 0u, 0u, 0u})
    w.Dword(v);
  std::size_t sfi = w.Begin(L"StringFileInfo", 0, 1);
  std::size_t table = w.Begin(r.table, 0, 1);
  for (int i = 0; i < r.stringCount; ++i) {
    std::size_t entry = w.Begin(r.strings[i].key, Length(r.strings[i].value) + 1, 1);
    w.Text(r.strings[i].value);
    w.End(entry);
  }
  w.End(table);
  w.End(sfi);
  std::size_t vfi = w.Begin(L"VarFileInfo", 0, 1);
  std::size_t translation = w.Begin(L"Translation", 4, 0);
  w.Word(r.language);
  w.Word(r.codePage);
  w.End(translation);
  w.End(vfi);
  w.End(root);
  return w;
}

}  // namespace version_block_detail

constexpr std::size_t VersionBlockSize(const VersionResource& r) { return version_block_detail::Build(r).size; }

template <std::size_t N>
constexpr std::array<std::uint8_t, N> MakeVersionBlock(const VersionResource& r) {
  static_assert(N <= version_block_detail::kMaxBlock && N <= 0xFFFF, "version block too large");
  const auto w = version_block_detail::Build(r);
  std::array<std::uint8_t, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = w.bytes[i];
  return out;
}
