// Split3x3: nine planes in a 3 x 3 grid.
#include "GridLayout.h"

namespace {
// "マルチ(9分割)" in Shift-JIS.
constexpr char kDisplayName[] = "\x83\x7d\x83\x8b\x83\x60\x28\x39\x95\xaa\x8a\x84\x29";
}  // namespace

OVFX_DEFINE_GRID_PLUGIN(3, kDisplayName)
