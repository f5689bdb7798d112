// COM creation and BSTRs.
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <new>

#include "FilterGraph.h"
#include "VideoRenderer.h"
#include "dshow.h"

namespace {
thread_local int t_comInits = 0;
}

HRESULT CoInitializeEx(void*, DWORD) { return t_comInits++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (t_comInits > 0) --t_comInits;
}

// The class table: the filter graph manager and the VMR-9 renderer.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD clsContext, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (pUnkOuter) return CLASS_E_NOAGGREGATION;
  if (!(clsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  IUnknown* object = nullptr;
  try {
    if (rclsid == CLSID_FilterGraph) {
      object = static_cast<IGraphBuilder*>(new FilterGraph());
    } else if (rclsid == CLSID_VideoMixingRenderer9) {
      object = static_cast<IBaseFilter*>(new VideoRenderer());
    } else {
      return REGDB_E_CLASSNOTREG;
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
}

// A BSTR points at its characters; the character count sits just before them.
BSTR SysAllocString(const wchar_t* psz) {
  if (!psz) return nullptr;
  const std::size_t length = std::wcslen(psz);
  auto* block = static_cast<std::uint8_t*>(
      ::operator new(sizeof(std::uint64_t) + (length + 1) * sizeof(wchar_t), std::nothrow));
  if (!block) return nullptr;
  const std::uint64_t stored = length;
  std::memcpy(block, &stored, sizeof stored);
  auto* text = reinterpret_cast<wchar_t*>(block + sizeof(std::uint64_t));
  std::memcpy(text, psz, (length + 1) * sizeof(wchar_t));
  return text;
}

void SysFreeString(BSTR bstr) {
  if (bstr) ::operator delete(reinterpret_cast<std::uint8_t*>(bstr) - sizeof(std::uint64_t));
}

UINT SysStringLen(BSTR bstr) {
  if (!bstr) return 0;
  std::uint64_t stored = 0;
  std::memcpy(&stored, reinterpret_cast<std::uint8_t*>(bstr) - sizeof(std::uint64_t), sizeof stored);
  return static_cast<UINT>(stored);
}
