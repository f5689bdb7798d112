// Test libraries for the host: with OVFX_ONLY_INFO only GetPluginInfo is exported; without it
// all three are, but GetPluginInfo reports failure.
#include "OvfxPlugin.h"

OVFX_EXPORT BOOL WINAPI GetPluginInfo(HGLOBAL* phName, int* pnPlanes) {
  if (!phName || !pnPlanes) return FALSE;
  *pnPlanes = 4;
#ifdef OVFX_ONLY_INFO
  return TRUE;
#else
  return FALSE;
#endif
}

#ifndef OVFX_ONLY_INFO
OVFX_EXPORT BOOL WINAPI SetTextureCoordinate(float*, int, float, float) { return FALSE; }
OVFX_EXPORT BOOL WINAPI UpdateVertexCoordinate(int, const SIZE*, const SIZE*, float*, int) { return FALSE; }
#endif
