// Reference counting shared by the layer's COM objects.
#pragma once

#include <atomic>

#include "unknwn.h"

// Counts references from 1; the object deletes itself when the count reaches 0.
class RefCounted {
 public:
  RefCounted() = default;
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

 protected:
  virtual ~RefCounted() = default;
  ULONG AddRefImpl() { return refs_.fetch_add(1) + 1; }
  ULONG ReleaseImpl() {
    const ULONG left = refs_.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

// Hands out one face of an object with a reference.
template <class Face, class Object>
HRESULT GiveFace(Object* object, void** ppv) {
  Face* face = static_cast<Face*>(object);
  face->AddRef();
  *ppv = face;
  return S_OK;
}
