// Resources linked into the executable: dialog templates, strings, icons, bitmaps and
// cursors. The program defines each one as data with OV_RESOURCE; the entries land in the
// "ovrsrc" section and the loaders below look them up by kind and ID.
#pragma once

#include "atlstr.h"
#include "wingdi.h"
#include "wintypes.h"

// Dialog and control styles used by the templates.
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_ICON = 0x3;
constexpr DWORD SS_BITMAP = 0xE;
constexpr DWORD SS_ETCHEDFRAME = 0x12;
constexpr DWORD SS_TYPEMASK = 0x1F;
constexpr DWORD SS_NOPREFIX = 0x80;
constexpr DWORD LBS_NOTIFY = 0x1;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x100;
constexpr DWORD LBS_EXTENDEDSEL = 0x800;
constexpr DWORD ES_RIGHT = 0x2;
constexpr DWORD ES_AUTOHSCROLL = 0x80;
constexpr DWORD LVS_LIST = 0x3;
constexpr DWORD LVS_SINGLESEL = 0x4;
constexpr DWORD LVS_SHOWSELALWAYS = 0x8;
constexpr DWORD LVS_ALIGNLEFT = 0x800;

constexpr int IDC_STATIC = -1;

// Framework strings.
constexpr UINT AFX_IDS_APP_TITLE = 57344;   // 0xE000
constexpr UINT AFX_IDP_PARSE_UINT = 61719;  // 0xF117

// Control window classes.
inline constexpr wchar_t WC_BUTTONW[] = L"Button";
inline constexpr wchar_t WC_STATICW[] = L"Static";
inline constexpr wchar_t WC_EDITW[] = L"Edit";
inline constexpr wchar_t WC_LISTBOXW[] = L"ListBox";
inline constexpr wchar_t WC_LISTVIEWW[] = L"SysListView32";

// One control of a dialog template. Rectangles are in dialog units. A static icon or bitmap
// names its picture by imageId.
struct DialogControlTemplate {
  const wchar_t* className;
  const wchar_t* text;
  int id;
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
  UINT imageId;
};

struct DialogTemplate {
  const wchar_t* caption;
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
  const wchar_t* fontFace;
  WORD pointSize;
  const DialogControlTemplate* controls;
  int controlCount;
};

// Pictures are XPM images (the format is C source); a cursor adds its hot spot.
struct ImageResource {
  const char* const* xpm;
  int hotX, hotY;
};

enum class ResourceKind : int { Dialog = 5, String = 6, Icon = 14, Bitmap = 2, Cursor = 12 };

struct ResourceEntry {
  ResourceKind kind;
  UINT id;
  const void* data;  // DialogTemplate, wchar_t text, ImageResource
};

#define OV_RESOURCE __attribute__((section("ovrsrc"), used))

// The entry of that kind and ID linked into the executable, or null.
const ResourceEntry* FindResourceEntry(ResourceKind kind, UINT id);
const DialogTemplate* FindDialogTemplate(UINT id);

// Handle of the module holding the resources (the executable).
HINSTANCE AfxGetResourceHandle();
HINSTANCE AfxGetInstanceHandle();

inline LPCWSTR MAKEINTRESOURCEW(UINT id) { return reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(id)); }
inline bool IS_INTRESOURCE(LPCWSTR name) { return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0; }

// Copies string resource id into buffer (at most bufferMax - 1 characters and a
// terminator); returns the number of characters copied, 0 when there is no such string.
int LoadStringW(HINSTANCE hInstance, UINT id, LPWSTR buffer, int bufferMax);
// The whole string resource; empty when there is none.
CString LoadStringResource(UINT id);

// Icons are loaded once and shared for the life of the process, as system icons are.
HICON LoadIconW(HINSTANCE hInstance, LPCWSTR name);
