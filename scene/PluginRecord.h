// One loaded display method.
#pragma once

#include "OvfxPlugin.h"
#include "atlstr.h"
#include "wintypes.h"

struct PluginRecord {
  HMODULE hModule = nullptr;
  CString strName;
  PFNSETTEXTURECOORDINATE pfnSetTextureCoordinate = nullptr;
  PFNUPDATEVERTEXCOORDINATE pfnUpdateVertexCoordinate = nullptr;
  int nPlanes = 0;
  BOOL bEnabled = TRUE;
};

// Binds the exports of the library in record.hModule: 1 when usable, 0 otherwise.
int BindPlugin(PluginRecord& record);
