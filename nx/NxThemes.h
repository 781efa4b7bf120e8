// Visual themes for property-sheet pages: the uxtheme routines and the activation-context routines
// bound by name at run time (absent on systems without them), and TNxContext, which activates this
// library's common-controls manifest (RT_MANIFEST 2) while it lives, so that windows created
// meanwhile get the version 6 (themed) controls.
#pragma once

#include <windows.h>

#include "classlib/System.h"

// ---- uxtheme -----------------------------------------------------------------------------------------

using TNxOpenThemeData = HANDLE(WINAPI*)(HWND Wnd, LPCWSTR ClassList);
using TNxCloseThemeData = HRESULT(WINAPI*)(HANDLE Theme);
using TNxDrawThemeBackground = HRESULT(WINAPI*)(HANDLE Theme, HDC DC, int PartId, int StateId, const RECT* Rect,
                                                const RECT* ClipRect);
using TNxIsThemeActive = BOOL(WINAPI*)();
using TNxIsAppThemed = BOOL(WINAPI*)();
using TNxDrawThemeParentBackground = HRESULT(WINAPI*)(HWND Wnd, HDC DC, RECT* Rect);

// The six routines of "uxtheme.dll"; each is nil while the library is not loaded or lacks it.
struct TNxUxThemeApi {
  TNxOpenThemeData OpenThemeData = nullptr;
  TNxCloseThemeData CloseThemeData = nullptr;
  TNxDrawThemeBackground DrawThemeBackground = nullptr;
  TNxIsThemeActive IsThemeActive = nullptr;
  TNxIsAppThemed IsAppThemed = nullptr;
  TNxDrawThemeParentBackground DrawThemeParentBackground = nullptr;
};

// One more user of the library: loads it and binds the routines the first time. True when it is
// loaded. Counted under the unit's lock; the unit itself holds one reference while it lives.
bool LoadUxTheme();
// One user less: the library is freed and the routines forgotten when the count reaches 0.
void UnloadUxTheme();
// The routines as they stand now.
TNxUxThemeApi NxUxTheme();
// IsThemeActive answered non-zero; False when the routine is missing.
bool NxThemeActive();

// Windows 5.1 (XP) or later.
bool IsWindowsXPOrLater();
constexpr bool IsWindowsXPOrLater(DWORD Major, DWORD Minor) { return (Major == 5 && Minor > 0) || Major > 5; }

// ---- Activation contexts ----------------------------------------------------------------------------

// The resource ID of the manifest that TNxContext activates (RT_MANIFEST, in this library).
inline constexpr WORD NxManifestResourceID = 2;

// Activates this library's manifest for as long as it lives (only on Windows 5.1 or later and
// when kernel32 has the activation-context routines; otherwise it does nothing). Lives on the
// stack of the code that creates windows.
class TNxContext : public TObject {
  VD_CLASS(TNxContext, TObject);

public:
  TNxContext();
  ~TNxContext() override;
  TNxContext(const TNxContext&) = delete;
  TNxContext& operator=(const TNxContext&) = delete;

  // Whether the context was created and activated.
  bool Active() const noexcept { return FActivated; }
  ULONG_PTR Cookie() const noexcept { return FCookie; }
  HANDLE Context() const noexcept { return FContext; }

private:
  ULONG_PTR FCookie = 0;
  HANDLE FContext = INVALID_HANDLE_VALUE;
  bool FActivated = false;
  char FPath[MAX_PATH] = "";
};

// ---- Unit ---------------------------------------------------------------------------------------------

// Start-up binds the activation-context routines and takes the unit's own uxtheme reference;
// shutdown lets go of every reference still held.
void NxThemesInitialize();
void NxThemesFinalize();

namespace nx_detail {
// The uxtheme reference count (for tests).
int UxThemeRefCount();
// Tests only: routines that stand in for the bound ones (nil: the real binding again).
void SetUxThemeApiOverride(const TNxUxThemeApi* Api);
// Tests only: a Windows version that stands in for the system's (0, 0: the real one again).
void SetWindowsVersionOverride(DWORD Major, DWORD Minor);
}  // namespace nx_detail
