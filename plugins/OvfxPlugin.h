// The export interface of a display-method plug-in: three functions exported by name with
// C linkage from a shared library in the program's ovfx folder.
#pragma once

#include "wintypes.h"

#ifdef __cplusplus
#define OVFX_EXTERN_C extern "C"
#else
#define OVFX_EXTERN_C
#endif

#define OVFX_EXPORT OVFX_EXTERN_C __attribute__((visibility("default")))

// Receives a global memory block holding the display name (zero-terminated, ANSI code page;
// the host frees it) and the plane count. FALSE when either pointer is null.
typedef BOOL(WINAPI* PFNGETPLUGININFO)(HGLOBAL* phName, int* pnPlanes);
// Fills (u, v) for the 4 vertices of every plane. FALSE when nCoords != 8 x planes.
typedef BOOL(WINAPI* PFNSETTEXTURECOORDINATE)(float* pCoords, int nCoords, float fU, float fV);
// Fills (x, y) for the 4 vertices of every plane. FALSE when nCoords != 8 x planes.
typedef BOOL(WINAPI* PFNUPDATEVERTEXCOORDINATE)(int nScroll, const SIZE* pTarget, const SIZE* pAspect,
                                               float* pCoords, int nCoords);
