#include "dialog/VersionText.h"

#include <cstdlib>

#include "libloaderapi.h"
#include "winver.h"

CString GetVersionText() {
  CString strVersion;
  strVersion.Format(L"Version %d.%02d.%04d.%04d", 0, 0, 0, 0);

  // The whole path, however long: a cut path would name no file.
  const CString strPath = GetModuleFilePath(nullptr);
  const wchar_t* szPath = strPath;

  DWORD dwHandle = 0;
  const DWORD dwSize = GetFileVersionInfoSizeW(szPath, &dwHandle);
  if (dwSize == 0) return strVersion;

  void* pBlock = std::calloc(dwSize, 1);
  if (!pBlock) return strVersion;

  GetFileVersionInfoW(szPath, 0, dwSize, pBlock);
  VS_FIXEDFILEINFO* pInfo = nullptr;
  UINT uLen = 0;
  if (VerQueryValueW(pBlock, L"\\", reinterpret_cast<void**>(&pInfo), &uLen)) {
    strVersion.Format(L"Version %d.%02d.%04d.%04d", HIWORD(pInfo->dwFileVersionMS), LOWORD(pInfo->dwFileVersionMS),
                      HIWORD(pInfo->dwFileVersionLS), LOWORD(pInfo->dwFileVersionLS));
  }
  std::free(pBlock);
  return strVersion;
}
