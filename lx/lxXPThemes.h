// Whether Windows visual themes are active. The theme library is loaded by name on first use, on
// Windows XP and later only, and kept until the module unloads.
#pragma once

#include <windows.h>

#include <mutex>

#include "classlib/SyncObjs.h"

// True when the theme library is loaded (loading it now when needed; a failed load is tried
// again at the next call). False before Windows XP, without loading anything.
bool BindUxTheme() noexcept;
// True when the library is bound, exports "IsThemeActive", and that returns non-zero.
bool ThemesActive() noexcept;

// One binding of the theme library; the routines above use the module's own.
class TlxThemeBinding {
public:
  using TLoadLibrary = HMODULE(WINAPI*)(LPCSTR FileName);
  using TFreeLibrary = BOOL(WINAPI*)(HMODULE Module);
  using TIsThemeActive = BOOL(WINAPI*)();

  // IsXP: whether the system may have the library at all. Loader and Freer stand in for
  // LoadLibraryA and FreeLibrary (tests count calls through them).
  explicit TlxThemeBinding(bool IsXP, TLoadLibrary Loader = nullptr, TFreeLibrary Freer = nullptr) noexcept;
  ~TlxThemeBinding() { Unbind(); }
  TlxThemeBinding(const TlxThemeBinding&) = delete;
  TlxThemeBinding& operator=(const TlxThemeBinding&) = delete;

  bool Bind() noexcept;
  bool Active() noexcept;
  // Frees the library when it was loaded.
  void Unbind() noexcept;
  bool Loaded() const noexcept;

private:
  mutable TCriticalSection FLock;  // pages of the shell's Properties dialogs run on several threads
  bool FIsXP;
  TLoadLibrary FLoader;
  TFreeLibrary FFreer;
  HMODULE FLibrary = nullptr;
  TIsThemeActive FIsThemeActive = nullptr;
};
