// Backend: plain X11 calls on windows by id, ours or foreign.
#pragma once

#include <cstdint>

class QImage;
class QRect;

namespace x11 {

// Any thread (a private connection). The window's inner size; false when it does not exist.
bool WindowSize(std::uint64_t id, int* width, int* height);
// Any thread. The window's origin in root (screen) coordinates.
bool WindowOrigin(std::uint64_t id, int* x, int* y);
// UI thread, with a Qt application on X11. Puts the area of the image (same origin as the
// window's client area) on the window, then flushes.
void PutImage(std::uint64_t id, const QImage& image, const QRect& area);

}  // namespace x11
