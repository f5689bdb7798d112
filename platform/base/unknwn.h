// IUnknown and the COM smart pointer that releases what it holds.
#pragma once

#include <utility>

#include "guiddef.h"

OV_DEFINE_GUID(IID_IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;
};

// Each interface names its identifier, so that the smart pointer can query for it.
template <class T>
struct ov_iid_of {
  static const IID& get() { return T::iid(); }
};
#define __uuidof(T) ov_iid_of<T>::get()

template <class T>
class CComPtr {
 public:
  CComPtr() = default;
  CComPtr(T* p) : p_(p) {  // NOLINT: implicit as in COM code
    if (p_) p_->AddRef();
  }
  CComPtr(const CComPtr& o) : CComPtr(o.p_) {}
  CComPtr(CComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ~CComPtr() { Release(); }
  CComPtr& operator=(T* p) {
    if (p) p->AddRef();
    Release();
    p_ = p;
    return *this;
  }
  CComPtr& operator=(const CComPtr& o) { return *this = o.p_; }
  CComPtr& operator=(CComPtr&& o) noexcept {
    if (this != &o) {
      Release();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }

  void Release() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // Takes over a reference without adding one.
  void Attach(T* p) {
    Release();
    p_ = p;
  }
  T* Detach() { return std::exchange(p_, nullptr); }
  T* operator->() const { return p_; }
  operator T*() const { return p_; }  // NOLINT
  T** operator&() { return &p_; }  // NOLINT: out-parameter, expects an empty pointer
  T* p() const { return p_; }

  template <class Q>
  HRESULT QueryInterface(Q** pp) const {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(pp));
  }

 private:
  T* p_ = nullptr;
};
