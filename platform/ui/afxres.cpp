#include "afxres.h"

#include <QIcon>
#include <algorithm>
#include <QPixmap>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>

#include "qtresource.h"

// Bounds of the resource section, provided by the linker when any resource is linked in.
extern "C" {
extern const ResourceEntry __start_ovrsrc[] __attribute__((weak));
extern const ResourceEntry __stop_ovrsrc[] __attribute__((weak));
}

const ResourceEntry* FindResourceEntry(ResourceKind kind, UINT id) {
  if (!__start_ovrsrc || !__stop_ovrsrc) return nullptr;
  for (const ResourceEntry* e = __start_ovrsrc; e < __stop_ovrsrc; ++e)
    if (e->kind == kind && e->id == id) return e;
  return nullptr;
}

const DialogTemplate* FindDialogTemplate(UINT id) {
  const ResourceEntry* e = FindResourceEntry(ResourceKind::Dialog, id);
  return e ? static_cast<const DialogTemplate*>(e->data) : nullptr;
}

namespace {
// The executable is the only resource module; its handle is a fixed non-null value.
HINSTANCE__* const kExecutable = reinterpret_cast<HINSTANCE__*>(static_cast<std::uintptr_t>(0x400000));
}  // namespace

HINSTANCE AfxGetResourceHandle() { return kExecutable; }
HINSTANCE AfxGetInstanceHandle() { return kExecutable; }

int LoadStringW(HINSTANCE, UINT id, LPWSTR buffer, int bufferMax) {
  const ResourceEntry* e = FindResourceEntry(ResourceKind::String, id);
  if (!e || !buffer || bufferMax <= 0) return 0;
  const auto* text = static_cast<const wchar_t*>(e->data);
  const int n = std::min(static_cast<int>(std::wcslen(text)), bufferMax - 1);
  std::wmemcpy(buffer, text, static_cast<std::size_t>(n));
  buffer[n] = L'\0';
  return n;
}

CString LoadStringResource(UINT id) {
  const ResourceEntry* e = FindResourceEntry(ResourceKind::String, id);
  return e ? CString(static_cast<const wchar_t*>(e->data)) : CString();
}

namespace {

struct IconCache {
  std::mutex mutex;
  std::map<UINT, std::unique_ptr<QIcon>> icons;
};

IconCache& Icons() {
  static IconCache cache;
  return cache;
}

}  // namespace

HICON LoadIconW(HINSTANCE, LPCWSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  const UINT id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(name));
  const ResourceEntry* e = FindResourceEntry(ResourceKind::Icon, id);
  if (!e) return nullptr;
  IconCache& cache = Icons();
  std::lock_guard lock(cache.mutex);
  auto& icon = cache.icons[id];
  if (!icon) icon = std::make_unique<QIcon>(QPixmap(static_cast<const ImageResource*>(e->data)->xpm));
  return reinterpret_cast<HICON>(icon.get());
}

const QIcon* IconFromHandle(HICON icon) { return reinterpret_cast<const QIcon*>(icon); }

QPixmap PixmapFromResource(ResourceKind kind, UINT id) {
  const ResourceEntry* e = FindResourceEntry(kind, id);
  if (!e || (kind != ResourceKind::Icon && kind != ResourceKind::Bitmap && kind != ResourceKind::Cursor)) return {};
  return QPixmap(static_cast<const ImageResource*>(e->data)->xpm);
}
