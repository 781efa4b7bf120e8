#include "lx/lxXPThemes.h"

#include "classlib/UnitInit.h"
#include "lx/lxUtils.h"

namespace {

// The module's binding: made at unit start-up, freed at unit shutdown (module unload).
TlxThemeBinding* g_Binding = nullptr;
TCriticalSection g_BindingLock;

void lxXPThemesInitialize() {
  std::lock_guard<TCriticalSection> Guard(g_BindingLock);
  if (!g_Binding) g_Binding = new TlxThemeBinding(IsWinXPOrLater());
}

void lxXPThemesFinalize() {
  std::lock_guard<TCriticalSection> Guard(g_BindingLock);
  delete g_Binding;
  g_Binding = nullptr;
}

const TUnitRegistration kUnit(urLxLibrary + 50, {"lxXPThemes", &lxXPThemesInitialize, &lxXPThemesFinalize});

}  // namespace

TlxThemeBinding::TlxThemeBinding(bool IsXP, TLoadLibrary Loader, TFreeLibrary Freer) noexcept
    : FIsXP(IsXP), FLoader(Loader ? Loader : &LoadLibraryA), FFreer(Freer ? Freer : &FreeLibrary) {}

bool TlxThemeBinding::Bind() noexcept {
  std::lock_guard<TCriticalSection> Guard(FLock);
  if (!FIsXP) return false;
  if (FLibrary) return true;
  FLibrary = FLoader("uxtheme.dll");
  if (FLibrary)
    FIsThemeActive = reinterpret_cast<TIsThemeActive>(GetProcAddress(FLibrary, "IsThemeActive"));
  return FLibrary != nullptr;
}

bool TlxThemeBinding::Active() noexcept {
  if (!Bind()) return false;
  TIsThemeActive IsActive;
  {
    std::lock_guard<TCriticalSection> Guard(FLock);
    IsActive = FIsThemeActive;
  }
  return IsActive && IsActive() != FALSE;
}

void TlxThemeBinding::Unbind() noexcept {
  std::lock_guard<TCriticalSection> Guard(FLock);
  if (FLibrary) FFreer(FLibrary);
  FLibrary = nullptr;
  FIsThemeActive = nullptr;
}

bool TlxThemeBinding::Loaded() const noexcept {
  std::lock_guard<TCriticalSection> Guard(FLock);
  return FLibrary != nullptr;
}

bool BindUxTheme() noexcept {
  EnsureUnitsStarted();
  std::lock_guard<TCriticalSection> Guard(g_BindingLock);
  return g_Binding && g_Binding->Bind();
}

bool ThemesActive() noexcept {
  EnsureUnitsStarted();
  std::lock_guard<TCriticalSection> Guard(g_BindingLock);
  return g_Binding && g_Binding->Active();
}
