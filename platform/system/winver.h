// Version information of a program file: the version block that the build embeds in the
// executable's ".ovversion" ELF section, read back from the file on disk.
//
// The block is a tree of nodes, each laid out as
//   WORD wLength        whole node with its children, in bytes
//   WORD wValueLength   value size: bytes for binary values, characters (with the
//                       terminator) for text values
//   WORD wType          0 binary, 1 text
//   WORD reserved       0
//   WCHAR szKey[]       terminated; then padding to 4 bytes
//   value               then padding to 4 bytes
//   children
// The root node "VS_VERSION_INFO" holds a VS_FIXEDFILEINFO; its children are
// "StringFileInfo" (one table per language/code page of text entries) and "VarFileInfo"
// ("Translation").
#pragma once

#include "wintypes.h"

struct VS_FIXEDFILEINFO {
  DWORD dwSignature;
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};

constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x0000003F;
constexpr DWORD VOS__WINDOWS32 = 0x00000004;
constexpr DWORD VFT_APP = 0x00000001;

// The section of an executable file that carries its version block.
inline constexpr char kVersionSectionName[] = ".ovversion";

// Size in bytes of the version block of the file, 0 when it has none or cannot be read.
// *lpdwHandle (when given) is set to 0.
DWORD GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, DWORD* lpdwHandle);

// Copies up to dwLen bytes of the file's version block into lpData.
BOOL GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);

// Finds a value in a version block: L"\\" gives the VS_FIXEDFILEINFO,
// L"\\StringFileInfo\\041104b0\\FileVersion" a text entry (pointer to WCHAR, *puLen in
// characters with the terminator), L"\\VarFileInfo\\Translation" the language list.
// Keys are matched ignoring case. FALSE when the path names no value.
BOOL VerQueryValueW(const void* pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);
