#include "globalmem.h"

#include <cstdlib>
#include <cstring>

namespace {

// Every block starts with this header; the handle is the header's address. The marker
// lets a stray handle be refused instead of freed.
constexpr std::uint32_t kBlockMarker = 0x4F56474Du;  // "OVGM"

struct alignas(std::max_align_t) BlockHeader {
  std::uint32_t marker;
  std::uint32_t locks;
  std::size_t bytes;
};

BlockHeader* HeaderOf(HGLOBAL block) {
  auto* header = static_cast<BlockHeader*>(block);
  if (!header || header->marker != kBlockMarker) return nullptr;
  return header;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes) {
  if (bytes > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
  void* memory = (flags & GMEM_ZEROINIT) ? std::calloc(1, sizeof(BlockHeader) + bytes)
                                         : std::malloc(sizeof(BlockHeader) + bytes);
  if (!memory) return nullptr;
  auto* header = static_cast<BlockHeader*>(memory);
  header->marker = kBlockMarker;
  header->locks = 0;
  header->bytes = bytes;
  return header;
}

LPVOID GlobalLock(HGLOBAL block) {
  BlockHeader* header = HeaderOf(block);
  if (!header) return nullptr;
  ++header->locks;
  return header + 1;
}

BOOL GlobalUnlock(HGLOBAL block) {
  BlockHeader* header = HeaderOf(block);
  if (!header || header->locks == 0) return FALSE;
  return --header->locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL block) {
  if (!block) return nullptr;
  BlockHeader* header = HeaderOf(block);
  if (!header) return block;
  header->marker = 0;
  std::free(header);
  return nullptr;
}

std::size_t GlobalSize(HGLOBAL block) {
  BlockHeader* header = HeaderOf(block);
  return header ? header->bytes : 0;
}
