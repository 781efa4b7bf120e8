// The call contract of the script compiler's export VDGetScriptInfo (VDSCmplr.dll, shipped with
// the product): one record passed by value, stdcall, a one-byte Boolean result; the compiler
// reports the script's texts through the callback during the call.
#pragma once

#include <windows.h>

#include <cstddef>

// Author, Version, Comments, DisplayName, Description: zero-terminated ANSI text or nil.
using TScriptInfoCallback = void(__stdcall*)(LPCSTR Author, LPCSTR Version, LPCSTR Comments, LPCSTR DisplayName,
                                             LPCSTR Description, int Code);

// Only this callback code carries the script information; the compiler may send others.
inline constexpr int kScriptInfoCode = 24;

// Zero-filled, then Size := sizeof (12 on 32-bit Windows). Natural alignment, no packing.
struct TScriptInfoRequest {
  DWORD Size;
  LPCSTR FileName;  // the script's full path, valid during the call
  TScriptInfoCallback Callback;
};
static_assert(sizeof(void*) != 4 ||
              (sizeof(TScriptInfoRequest) == 12 && offsetof(TScriptInfoRequest, FileName) == 4 &&
               offsetof(TScriptInfoRequest, Callback) == 8),
              "the 32-bit record is three 32-bit fields");
static_assert(sizeof(void*) != 8 || sizeof(TScriptInfoRequest) == 24, "the 64-bit test build's record");

// By value, never by pointer: the 32-bit callee pops all 12 bytes (VDGetScriptInfo@12). The result
// is read as one byte; the rest of EAX is whatever the compiler left there.
using TVDGetScriptInfo = BOOLEAN(__stdcall*)(TScriptInfoRequest Request);

inline constexpr char kScriptCompilerLibrary[] = "VDSCmplr.dll";
inline constexpr char kScriptInfoExport[] = "VDGetScriptInfo";
