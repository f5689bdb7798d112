// Split8x8: sixty-four planes in an 8 x 8 grid.
#include "GridLayout.h"

namespace {
// "マルチ(64分割)" in Shift-JIS.
constexpr char kDisplayName[] = "\x83\x7d\x83\x8b\x83\x60\x28\x36\x34\x95\xaa\x8a\x84\x29";
}  // namespace

OVFX_DEFINE_GRID_PLUGIN(8, kDisplayName)
