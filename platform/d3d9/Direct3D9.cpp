// The Direct3D object: the default X screen as the one adapter, and the test switches.
#include <atomic>
#include <new>

#include "D3D9Device.h"
#include "d3d9.h"
#include "winuser.h"

namespace {

std::atomic<bool> g_reportPow2{false};
std::atomic<d3d9_testing::LossState> g_loss{d3d9_testing::LossState::None};

class Direct3D9 final : public IDirect3D9 {
 public:
  explicit Direct3D9(D3DDISPLAYMODE mode) : mode_(mode) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3D9) {
      *ppv = static_cast<IDirect3D9*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* pMode) override {
    if (adapter != D3DADAPTER_DEFAULT || !pMode) return D3DERR_INVALIDCALL;
    *pMode = mode_;
    return S_OK;
  }

  HMONITOR GetAdapterMonitor(UINT adapter) override {
    // One adapter: the default screen, named by a constant handle.
    return adapter == D3DADAPTER_DEFAULT ? reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(1)) : nullptr;
  }

  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND hFocusWindow, DWORD,
                       D3DPRESENT_PARAMETERS* pParameters, IDirect3DDevice9** ppDevice) override {
    if (!ppDevice || !pParameters || adapter != D3DADAPTER_DEFAULT || deviceType != D3DDEVTYPE_HAL)
      return D3DERR_INVALIDCALL;
    *ppDevice = nullptr;
    HWND window = pParameters->hDeviceWindow ? pParameters->hDeviceWindow : hFocusWindow;
    if (!pParameters->Windowed || !IsWindow(window)) return D3DERR_INVALIDCALL;
    g_loss = d3d9_testing::LossState::None;
    return Device9::Create(window, pParameters->BackBufferWidth, pParameters->BackBufferHeight, mode_, ppDevice);
  }

 private:
  ~Direct3D9() = default;
  std::atomic<ULONG> refs_{1};
  D3DDISPLAYMODE mode_;
};

}  // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  unsigned width = 0, height = 0;
  if (!QueryDefaultScreenSize(&width, &height)) return nullptr;
  return new (std::nothrow) Direct3D9(D3DDISPLAYMODE{width, height, 60, D3DFMT_X8R8G8B8});
}

namespace d3d9_testing {
void SetReportPow2Textures(bool on) { g_reportPow2 = on; }
void SetDeviceLoss(LossState state) { g_loss = state; }
bool ReportPow2Textures() { return g_reportPow2; }
LossState CurrentDeviceLoss() { return g_loss; }
}  // namespace d3d9_testing
