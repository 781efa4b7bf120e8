// The part of the Win32 API that the class library's text, stream and component units use, for
// building the parsers natively (fuzzing with clang's sanitizers). Types as the SDK declares them;
// functions work on memory (ASCII case rules, the C locale, US English names) or fail (files,
// resources, registry). Nothing here is used by the Windows builds.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using ULONG = uint32_t;
using LONG = int32_t;
using BOOL = int;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPVOID = void*;
using LPCVOID = const void*;
using HANDLE = void*;
using HINSTANCE = struct HINSTANCE__*;
using HMODULE = HINSTANCE;
using HRSRC = struct HRSRC__*;
using HGLOBAL = void*;
using HKEY = struct HKEY__*;
using HRESULT = int32_t;
using LCID = DWORD;
using LCTYPE = DWORD;
using LONGLONG = int64_t;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define S_OK ((HRESULT)0)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_NORMAL 0x80
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 1
#define FILE_SHARE_WRITE 2
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define CP_ACP 0
#define LOCALE_USER_DEFAULT 0x400
#define NORM_IGNORECASE 1
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x1000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x2000
#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)0x80000000)
#define MAKEINTRESOURCEA(i) ((LPSTR)(uintptr_t)((WORD)(i)))

// Locale fields (the values are the SDK's; GetLocaleInfoA answers US English).
#define LOCALE_SSHORTDATE 0x1F
#define LOCALE_STIMEFORMAT 0x1003
#define LOCALE_S1159 0x28
#define LOCALE_S2359 0x29
#define LOCALE_SDAYNAME1 0x2A
#define LOCALE_SABBREVDAYNAME1 0x31
#define LOCALE_SMONTHNAME1 0x38
#define LOCALE_SABBREVMONTHNAME1 0x44

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;

struct SYSTEMTIME {
  WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};
union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  };
  LONGLONG QuadPart;
};
struct IMAGE_DOS_HEADER {
  WORD e_magic;
};

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID, void**) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual ~IUnknown() = default;
};

// A critical section is a recursive mutex here.
struct CRITICAL_SECTION {
  std::recursive_mutex* Mutex;
};
inline void InitializeCriticalSection(CRITICAL_SECTION* C) { C->Mutex = new std::recursive_mutex; }
inline void DeleteCriticalSection(CRITICAL_SECTION* C) { delete C->Mutex; }
inline void EnterCriticalSection(CRITICAL_SECTION* C) { C->Mutex->lock(); }
inline void LeaveCriticalSection(CRITICAL_SECTION* C) { C->Mutex->unlock(); }
inline BOOL TryEnterCriticalSection(CRITICAL_SECTION* C) { return C->Mutex->try_lock(); }

inline DWORD GetLastError() { return 0; }

// Text: single-byte ASCII rules.
inline DWORD CharUpperBuffA(LPSTR S, DWORD N) {
  for (DWORD I = 0; I < N; ++I) S[I] = static_cast<char>(std::toupper(static_cast<unsigned char>(S[I])));
  return N;
}
inline DWORD CharLowerBuffA(LPSTR S, DWORD N) {
  for (DWORD I = 0; I < N; ++I) S[I] = static_cast<char>(std::tolower(static_cast<unsigned char>(S[I])));
  return N;
}
inline BOOL IsDBCSLeadByte(BYTE) { return FALSE; }
// Code page conversions as Latin-1: one character per byte both ways.
inline int MultiByteToWideChar(UINT, DWORD, LPCSTR S, int N, LPWSTR Out, int OutSize) {
  if (!Out) return N;
  if (OutSize < N) return 0;
  for (int I = 0; I < N; ++I) Out[I] = static_cast<unsigned char>(S[I]);
  return N;
}
inline int WideCharToMultiByte(UINT, DWORD, LPCWSTR S, int N, LPSTR Out, int OutSize, LPCSTR, BOOL*) {
  if (!Out) return N;
  if (OutSize < N) return 0;
  for (int I = 0; I < N; ++I) Out[I] = S[I] < 256 ? static_cast<char>(S[I]) : '?';
  return N;
}
inline BOOL IsDBCSLeadByteEx(UINT, BYTE) { return FALSE; }
inline int CompareStringA(LCID, DWORD Flags, LPCSTR A, int LenA, LPCSTR B, int LenB) {
  const size_t NA = LenA < 0 ? std::strlen(A) : static_cast<size_t>(LenA);
  const size_t NB = LenB < 0 ? std::strlen(B) : static_cast<size_t>(LenB);
  for (size_t I = 0; I < NA && I < NB; ++I) {
    int X = static_cast<unsigned char>(A[I]), Y = static_cast<unsigned char>(B[I]);
    if (Flags & NORM_IGNORECASE) {
      X = std::toupper(X);
      Y = std::toupper(Y);
    }
    if (X != Y) return X < Y ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
  return NA == NB ? CSTR_EQUAL : NA < NB ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}
inline DWORD FormatMessageA(DWORD, LPCVOID, DWORD, DWORD, LPSTR Buffer, DWORD, void*) {
  *reinterpret_cast<char**>(Buffer) = nullptr;
  return 0;
}
inline HGLOBAL LocalFree(HGLOBAL Memory) {
  std::free(Memory);
  return nullptr;
}

// US English locale.
inline int GetLocaleInfoA(LCID, LCTYPE Type, LPSTR Data, int Size) {
  static const char* const Days[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
  static const char* const Months[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
  char Text[64] = "";
  if (Type >= LOCALE_SDAYNAME1 && Type < LOCALE_SDAYNAME1 + 7) {
    std::snprintf(Text, sizeof Text, "%s", Days[Type - LOCALE_SDAYNAME1]);
  } else if (Type >= LOCALE_SABBREVDAYNAME1 && Type < LOCALE_SABBREVDAYNAME1 + 7) {
    std::snprintf(Text, sizeof Text, "%.3s", Days[Type - LOCALE_SABBREVDAYNAME1]);
  } else if (Type >= LOCALE_SMONTHNAME1 && Type < LOCALE_SMONTHNAME1 + 12) {
    std::snprintf(Text, sizeof Text, "%s", Months[Type - LOCALE_SMONTHNAME1]);
  } else if (Type >= LOCALE_SABBREVMONTHNAME1 && Type < LOCALE_SABBREVMONTHNAME1 + 12) {
    std::snprintf(Text, sizeof Text, "%.3s", Months[Type - LOCALE_SABBREVMONTHNAME1]);
  } else {
    switch (Type) {
      case LOCALE_SSHORTDATE: std::strcpy(Text, "M/d/yyyy"); break;
      case LOCALE_STIMEFORMAT: std::strcpy(Text, "h:mm:ss tt"); break;
      case LOCALE_S1159: std::strcpy(Text, "AM"); break;
      case LOCALE_S2359: std::strcpy(Text, "PM"); break;
      default: return 0;
    }
  }
  const int Needed = static_cast<int>(std::strlen(Text)) + 1;
  if (Size == 0) return Needed;
  if (Size < Needed) return 0;
  std::memcpy(Data, Text, static_cast<size_t>(Needed));
  return Needed;
}
inline void GetLocalTime(SYSTEMTIME* Time) { *Time = SYSTEMTIME{2024, 6, 3, 14, 12, 30, 0, 0}; }

// Files, resources, modules: nothing is there.
inline DWORD GetFileAttributesA(LPCSTR) { return INVALID_FILE_ATTRIBUTES; }
inline HANDLE CreateFileA(LPCSTR, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) { return INVALID_HANDLE_VALUE; }
inline BOOL ReadFile(HANDLE, LPVOID, DWORD, DWORD* Read, void*) { if (Read) *Read = 0; return FALSE; }
inline BOOL WriteFile(HANDLE, LPCVOID, DWORD, DWORD* Written, void*) { if (Written) *Written = 0; return FALSE; }
inline BOOL SetFilePointerEx(HANDLE, LARGE_INTEGER, LARGE_INTEGER*, DWORD) { return FALSE; }
inline BOOL SetEndOfFile(HANDLE) { return FALSE; }
inline BOOL CloseHandle(HANDLE) { return TRUE; }
inline HRSRC FindResourceA(HMODULE, LPCSTR, LPCSTR) { return nullptr; }
inline HGLOBAL LoadResource(HMODULE, HRSRC) { return nullptr; }
inline LPVOID LockResource(HGLOBAL) { return nullptr; }
inline DWORD SizeofResource(HMODULE, HRSRC) { return 0; }
inline DWORD GetModuleFileNameA(HMODULE, LPSTR Name, DWORD Size) { if (Size) *Name = '\0'; return 0; }
inline LPSTR GetCommandLineA() { static char Line[] = "fuzz.exe"; return Line; }

// The module's own image: no resources in it.
extern "C" inline IMAGE_DOS_HEADER __ImageBase{};
