// Global memory blocks: a handle to a block of bytes, locked to reach its address.
// The implementation sits on the C library's malloc/free, so a block allocated inside a
// plug-in library and freed by the program (or the other way round) meets the same heap;
// both sides compile this same small implementation.
#pragma once

#include <cstddef>

#include "wintypes.h"

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A new block of the given size in bytes; null when memory runs out.
HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes);
// The block's first byte (null for a null or unknown handle); counts the lock.
LPVOID GlobalLock(HGLOBAL block);
// Drops one lock; TRUE while the block stays locked.
BOOL GlobalUnlock(HGLOBAL block);
// Frees the block: null on success, the handle back when it is not a block.
HGLOBAL GlobalFree(HGLOBAL block);
// The size the block was allocated with; 0 for a null or unknown handle.
std::size_t GlobalSize(HGLOBAL block);
