#include "nx/NxThemes.h"

#include <atomic>
#include <mutex>

#include "classlib/SyncObjs.h"
#include "classlib/TypInfo.h"
#include "classlib/UnitInit.h"
#include "classlib/WndProcs.h"
#include "nx/NxUnitOrder.h"

// The sizes the 32-bit callers of these structures were written against.
#if defined(__i386__)
static_assert(sizeof(ACTCTXA) == 32);
static_assert(sizeof(OSVERSIONINFOA) == 148);
#endif

namespace {

using TCreateActCtxA = HANDLE(WINAPI*)(const ACTCTXA* ActCtx);
using TActivateActCtx = BOOL(WINAPI*)(HANDLE ActCtx, ULONG_PTR* Cookie);
using TDeactivateActCtx = BOOL(WINAPI*)(DWORD Flags, ULONG_PTR Cookie);
using TReleaseActCtx = void(WINAPI*)(HANDLE ActCtx);

struct TActCtxApi {
  TCreateActCtxA CreateActCtxA = nullptr;
  TActivateActCtx ActivateActCtx = nullptr;
  TDeactivateActCtx DeactivateActCtx = nullptr;
  TReleaseActCtx ReleaseActCtx = nullptr;
};

// The binding lives in static storage so that a call before start-up or after shutdown finds
// nothing bound rather than a freed lock.
TCriticalSection g_uxLock;
HMODULE g_uxLibrary = nullptr;
int g_uxCount = 0;
TNxUxThemeApi g_ux;
const TNxUxThemeApi* g_uxOverride = nullptr;

std::atomic<bool> g_actCtxBound{false};
TActCtxApi g_actCtx;

std::atomic<DWORD> g_versionOverride{0};  // MAKELONG(minor, major); 0: the system's

const TUnitRegistration kUnit(nxrThemes, {"NxThemes", &NxThemesInitialize, &NxThemesFinalize});

template <class T> T Bind(HMODULE Library, const char* Name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(Library, Name)));
}

void BindActCtx() {
  TActCtxApi Api;
  if (HMODULE Kernel = GetModuleHandleA("kernel32.dll")) {
    Api.CreateActCtxA = Bind<TCreateActCtxA>(Kernel, "CreateActCtxA");
    Api.ActivateActCtx = Bind<TActivateActCtx>(Kernel, "ActivateActCtx");
    Api.DeactivateActCtx = Bind<TDeactivateActCtx>(Kernel, "DeactivateActCtx");
    Api.ReleaseActCtx = Bind<TReleaseActCtx>(Kernel, "ReleaseActCtx");
  }
  g_actCtx = Api;
  g_actCtxBound.store(true, std::memory_order_release);
}

void SystemVersion(DWORD& Major, DWORD& Minor) {
  static const OSVERSIONINFOA Info = [] {
    OSVERSIONINFOA V{};
    V.dwOSVersionInfoSize = sizeof V;
    GetVersionExA(&V);
    return V;
  }();
  Major = Info.dwMajorVersion;
  Minor = Info.dwMinorVersion;
}

}  // namespace

// ---- uxtheme -----------------------------------------------------------------------------------------

bool LoadUxTheme() {
  std::lock_guard<TCriticalSection> Guard(g_uxLock);
  ++g_uxCount;
  if (g_uxLibrary == nullptr) {
    g_uxLibrary = LoadLibraryA("uxtheme.dll");
    if (g_uxLibrary != nullptr) {
      g_ux.OpenThemeData = Bind<TNxOpenThemeData>(g_uxLibrary, "OpenThemeData");
      g_ux.CloseThemeData = Bind<TNxCloseThemeData>(g_uxLibrary, "CloseThemeData");
      g_ux.DrawThemeBackground = Bind<TNxDrawThemeBackground>(g_uxLibrary, "DrawThemeBackground");
      g_ux.IsThemeActive = Bind<TNxIsThemeActive>(g_uxLibrary, "IsThemeActive");
      g_ux.IsAppThemed = Bind<TNxIsAppThemed>(g_uxLibrary, "IsAppThemed");
      g_ux.DrawThemeParentBackground =
          Bind<TNxDrawThemeParentBackground>(g_uxLibrary, "DrawThemeParentBackground");
    }
  }
  return g_uxLibrary != nullptr;
}

void UnloadUxTheme() {
  std::lock_guard<TCriticalSection> Guard(g_uxLock);
  if (g_uxCount > 0) --g_uxCount;
  if (g_uxLibrary != nullptr && g_uxCount == 0) {
    FreeLibrary(g_uxLibrary);
    g_uxLibrary = nullptr;
    g_ux = TNxUxThemeApi{};
  }
}

TNxUxThemeApi NxUxTheme() {
  std::lock_guard<TCriticalSection> Guard(g_uxLock);
  return g_uxOverride ? *g_uxOverride : g_ux;
}

bool NxThemeActive() {
  TNxUxThemeApi Api = NxUxTheme();
  return Api.IsThemeActive != nullptr && Api.IsThemeActive() != FALSE;
}

bool IsWindowsXPOrLater() {
  if (DWORD Override = g_versionOverride.load(std::memory_order_acquire))
    return IsWindowsXPOrLater(HIWORD(Override), LOWORD(Override));
  DWORD Major = 0, Minor = 0;
  SystemVersion(Major, Minor);
  return IsWindowsXPOrLater(Major, Minor);
}

// ---- TNxContext ------------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxContext) {}

TNxContext::TNxContext() {
  if (!IsWindowsXPOrLater() || !g_actCtxBound.load(std::memory_order_acquire)) return;
  const TActCtxApi& Api = g_actCtx;
  if (!Api.CreateActCtxA || !Api.ActivateActCtx || !Api.DeactivateActCtx || !Api.ReleaseActCtx) return;
  HMODULE Self = ModuleInstance();
  GetModuleFileNameA(Self, FPath, MAX_PATH);
  ACTCTXA Ctx;
  ZeroMemory(&Ctx, sizeof Ctx);
  Ctx.cbSize = sizeof Ctx;
  Ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
  Ctx.lpSource = FPath;
  Ctx.lpResourceName = MAKEINTRESOURCEA(NxManifestResourceID);
  Ctx.hModule = Self;
  FContext = Api.CreateActCtxA(&Ctx);
  if (FContext == INVALID_HANDLE_VALUE) return;
  if (Api.ActivateActCtx(FContext, &FCookie)) {
    FActivated = true;
  } else {
    Api.ReleaseActCtx(FContext);
    FContext = INVALID_HANDLE_VALUE;
  }
}

TNxContext::~TNxContext() {
  if (!FActivated) return;
  g_actCtx.DeactivateActCtx(0, FCookie);
  g_actCtx.ReleaseActCtx(FContext);
}

// ---- Unit ---------------------------------------------------------------------------------------------

void NxThemesInitialize() {
  BindActCtx();
  LoadUxTheme();
}

void NxThemesFinalize() {
  std::lock_guard<TCriticalSection> Guard(g_uxLock);
  while (g_uxCount > 0) UnloadUxTheme();
}

int nx_detail::UxThemeRefCount() {
  std::lock_guard<TCriticalSection> Guard(g_uxLock);
  return g_uxCount;
}

void nx_detail::SetUxThemeApiOverride(const TNxUxThemeApi* Api) {
  std::lock_guard<TCriticalSection> Guard(g_uxLock);
  g_uxOverride = Api;
}

void nx_detail::SetWindowsVersionOverride(DWORD Major, DWORD Minor) {
  g_versionOverride.store(Major == 0 && Minor == 0 ? 0 : MAKELONG(Minor, Major), std::memory_order_release);
}
