#include "winver.h"
#include "utf8text.h"

#include <elf.h>

#include <cstring>
#include <cwctype>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Location of the version section inside an ELF file.
struct SectionSpan {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

bool ReadAt(std::ifstream& in, std::uint64_t offset, void* out, std::size_t size) {
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(static_cast<char*>(out), static_cast<std::streamsize>(size));
  return static_cast<std::size_t>(in.gcount()) == size;
}

// Finds the version section of a 64-bit ELF file by name; false when there is none.
bool FindVersionSection(std::ifstream& in, SectionSpan& span) {
  in.seekg(0, std::ios::end);
  const auto fileSize = static_cast<std::uint64_t>(in.tellg());
  Elf64_Ehdr eh{};
  if (!ReadAt(in, 0, &eh, sizeof eh)) return false;
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) return false;
  if (eh.e_shentsize != sizeof(Elf64_Shdr) || eh.e_shnum == 0 || eh.e_shstrndx >= eh.e_shnum) return false;
  if (eh.e_shoff > fileSize || eh.e_shnum > (fileSize - eh.e_shoff) / sizeof(Elf64_Shdr)) return false;
  std::vector<Elf64_Shdr> sections(eh.e_shnum);
  if (!ReadAt(in, eh.e_shoff, sections.data(), sections.size() * sizeof(Elf64_Shdr))) return false;
  const Elf64_Shdr& names = sections[eh.e_shstrndx];
  if (names.sh_offset > fileSize || names.sh_size > fileSize - names.sh_offset) return false;
  std::vector<char> strtab(names.sh_size + 1, '\0');
  if (!ReadAt(in, names.sh_offset, strtab.data(), names.sh_size)) return false;
  for (const Elf64_Shdr& s : sections) {
    if (s.sh_name >= names.sh_size || std::strcmp(&strtab[s.sh_name], kVersionSectionName) != 0) continue;
    if (s.sh_type == SHT_NOBITS || s.sh_offset > fileSize || s.sh_size > fileSize - s.sh_offset) return false;
    span.offset = s.sh_offset;
    span.size = s.sh_size;
    return span.size > 0 && span.size <= 0xFFFF;
  }
  return false;
}

// One node of a block, decoded; false when the bytes do not hold a whole node.
struct Node {
  std::size_t length = 0;       // whole node, bytes
  std::size_t valueLength = 0;  // as stored
  std::size_t type = 0;
  std::wstring key;
  std::size_t valueOffset = 0;  // from the node's start
  std::size_t valueBytes = 0;
  std::size_t childrenOffset = 0;
};

std::size_t Align4(std::size_t v) { return (v + 3) & ~static_cast<std::size_t>(3); }

WORD WordAt(const std::uint8_t* p) {
  WORD v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

bool DecodeNode(const std::uint8_t* p, std::size_t available, Node& node) {
  if (available < 8) return false;
  node.length = WordAt(p);
  node.valueLength = WordAt(p + 2);
  node.type = WordAt(p + 4);
  if (node.length < 8 || node.length > available) return false;
  std::size_t at = 8;
  node.key.clear();
  for (;;) {
    if (at + sizeof(std::uint32_t) > node.length) return false;
    std::uint32_t c;
    std::memcpy(&c, p + at, sizeof c);
    at += sizeof c;
    if (c == 0) break;
    node.key += static_cast<wchar_t>(c);
  }
  node.valueOffset = Align4(at);
  node.valueBytes = node.type == 1 ? node.valueLength * sizeof(wchar_t) : node.valueLength;
  if (node.valueOffset + node.valueBytes > node.length) return false;
  node.childrenOffset = Align4(node.valueOffset + node.valueBytes);
  return true;
}

bool SameKey(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  return true;
}

}  // namespace

DWORD GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, DWORD* lpdwHandle) {
  if (lpdwHandle) *lpdwHandle = 0;
  if (!lptstrFilename) return 0;
  std::ifstream in(WideToUtf8(lptstrFilename ? lptstrFilename : L""), std::ios::binary);
  SectionSpan span;
  if (!in || !FindVersionSection(in, span)) return 0;
  return static_cast<DWORD>(span.size);
}

BOOL GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
  if (!lptstrFilename || !lpData || dwLen == 0) return FALSE;
  std::ifstream in(WideToUtf8(lptstrFilename ? lptstrFilename : L""), std::ios::binary);
  SectionSpan span;
  if (!in || !FindVersionSection(in, span)) return FALSE;
  const std::size_t n = span.size < dwLen ? static_cast<std::size_t>(span.size) : dwLen;
  return ReadAt(in, span.offset, lpData, n) ? TRUE : FALSE;
}

BOOL VerQueryValueW(const void* pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen) {
  if (!pBlock || !lpSubBlock || !lplpBuffer || !puLen) return FALSE;
  auto* base = static_cast<std::uint8_t*>(const_cast<void*>(pBlock));
  Node node;
  if (!DecodeNode(base, WordAt(base), node)) return FALSE;
  std::size_t nodeAt = 0;
  const std::wstring path(lpSubBlock);
  std::size_t pos = 0;
  for (;;) {
    while (pos < path.size() && path[pos] == L'\\') ++pos;
    if (pos >= path.size()) break;
    std::size_t end = path.find(L'\\', pos);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring want = path.substr(pos, end - pos);
    pos = end;
    // Walk the children of the current node for the wanted key.
    bool found = false;
    std::size_t childAt = nodeAt + node.childrenOffset;
    const std::size_t nodeEnd = nodeAt + node.length;
    while (childAt + 8 <= nodeEnd) {
      Node child;
      if (!DecodeNode(base + childAt, nodeEnd - childAt, child)) return FALSE;
      if (SameKey(child.key, want)) {
        node = child;
        nodeAt = childAt;
        found = true;
        break;
      }
      childAt += Align4(child.length);
    }
    if (!found) return FALSE;
  }
  if (node.valueLength == 0) return FALSE;
  *lplpBuffer = base + nodeAt + node.valueOffset;
  *puLen = static_cast<UINT>(node.valueLength);
  return TRUE;
}
