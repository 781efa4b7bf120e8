#include "nx/NxTools.h"

#include <atomic>

#include "classlib/ComObj.h"
#include "classlib/ModuleRuntime.h"
#include "classlib/ScopedHandles.h"
#include "nx/NxShLwApi.h"
#include "nx/NxUnitOrder.h"

namespace {
constexpr const char* kClipboardFormatNames[ncfCount] = {
    "NxCF_PrivateFormat",  "Shell IDList Array",   "InShellDragLoop",      "FileContents",
    "FileGroupDescriptor", "Preferred DropEffect", "Performed DropEffect", "Paste Succeeded",
};

std::atomic<CRITICAL_SECTION*> g_lock{nullptr};
std::atomic<UINT> g_clipboardFormats[ncfCount] = {};

// Never destroyed by the runtime: its library is freed at unit shutdown, not at process exit.
TNxShell32Binding& UnitShell32() {
  static TNxShell32Binding* const binding = [] {
    AtModuleRelease([] { delete &UnitShell32(); });
    return new TNxShell32Binding;
  }();
  return *binding;
}

const TUnitRegistration kUnit(nxrTools, {"NxTools", &NxToolsInitialize, &NxToolsFinalize});

// Shlwapi's SHDeleteEmptyKeyA would also delete a key that still holds values, so the check is ours.
bool IsEmptyKey(HKEY Root, const std::string& Path) {
  ScopedRegKey key;
  if (RegOpenKeyExA(Root, Path.c_str(), 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) return false;
  DWORD subKeys = 0, values = 0;
  if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  return subKeys == 0 && values == 0;
}
}  // namespace

// ---- Global lock --------------------------------------------------------------------------------

void EnterGlobalLock() {
  EnsureUnitsStarted();
  if (CRITICAL_SECTION* cs = g_lock.load(std::memory_order_acquire)) EnterCriticalSection(cs);
}

void LeaveGlobalLock() {
  if (CRITICAL_SECTION* cs = g_lock.load(std::memory_order_acquire)) LeaveCriticalSection(cs);
}

// ---- Clipboard formats --------------------------------------------------------------------------

const char* NxClipboardFormatName(TNxClipboardFormat Format) {
  return Format >= 0 && Format < ncfCount ? kClipboardFormatNames[Format] : "";
}

UINT NxClipboardFormat(TNxClipboardFormat Format) {
  EnsureUnitsStarted();
  return Format >= 0 && Format < ncfCount ? g_clipboardFormats[Format].load(std::memory_order_acquire) : 0;
}

// ---- DLL versions -------------------------------------------------------------------------------

bool GetDllVersion(const char* FileName, DLLVERSIONINFO& Version) {
  ZeroMemory(&Version, sizeof Version);
  ScopedLibrary library(LoadLibraryA(FileName));
  if (!library) return false;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(GetProcAddress(library.get(), "DllGetVersion"));
  if (getVersion == nullptr) return false;
  Version.cbSize = sizeof Version;
  return SUCCEEDED(getVersion(&Version));
}

DWORD DllVersionOf(const char* FileName) {
  DLLVERSIONINFO info;
  return GetDllVersion(FileName, info) ? MakeDllVersion(info.dwMajorVersion, info.dwMinorVersion) : 0;
}

// Read once: the tray icon asks for every add and modify, and each read loads and frees Shell32.
DWORD GetShell32Version() {
  static const DWORD version = DllVersionOf("Shell32.dll");
  return version;
}

// ---- Shell32 binding ------------------------------------------------------------------------------

void TNxShell32Binding::Bind(const char* LibraryName, DWORD Version) noexcept {
  Unbind();
  module_ = LoadLibraryA(LibraryName);
  if (module_ == nullptr) return;
  ordinal660_ = GetProcAddress(module_, MAKEINTRESOURCEA(660));
  pathCleanupSpec_ = GetProcAddress(module_, "PathCleanupSpec");
  ordinal716_ = GetProcAddress(module_, MAKEINTRESOURCEA(716));
  if (ShouldBindImageList(Version))
    shGetImageList_ = reinterpret_cast<TSHGetImageList>(GetProcAddress(module_, MAKEINTRESOURCEA(727)));
}

void TNxShell32Binding::Unbind() noexcept {
  ordinal660_ = pathCleanupSpec_ = ordinal716_ = nullptr;
  shGetImageList_ = nullptr;
  if (module_ != nullptr) FreeLibrary(module_);
  module_ = nullptr;
}

const TNxShell32Binding& NxShell32() {
  EnsureUnitsStarted();
  return UnitShell32();
}

// ---- Extensions and HKEY_CLASSES_ROOT keys ------------------------------------------------------

// A loop, not a recursion per dot: a long run of dots must not exhaust the stack.
std::string GetLastExtension(const std::string& S) {
  size_t start = 0;
  for (;;) {
    const size_t dot = S.find('.', start);
    if (dot == std::string::npos || dot + 1 >= S.size()) break;
    start = dot + 1;
  }
  return S.substr(start);
}

void RegisterExtensionClass(const std::string& ExtensionKey, const std::string& ClassName,
                            const std::string& Description, HKEY Root) {
  if (!ExtensionKey.empty()) CreateRegKey(ExtensionKey, "", ClassName, Root);
  if (!ClassName.empty()) CreateRegKey(ClassName, "", Description, Root);
}

void nx_detail::DeleteEmptyRegKeyWith(const TNxShlwapiBinding& Shlwapi, const std::string& Key, HKEY Root) {
  if (Key.empty()) return;  // would name the root itself
  if (!Shlwapi.Bound() || Shlwapi.SHDeleteEmptyKeyA() == nullptr) return;
  if (IsEmptyKey(Root, Key)) RegDeleteKeyA(Root, Key.c_str());
}

void DeleteEmptyRegKey(const std::string& Key, HKEY Root) { nx_detail::DeleteEmptyRegKeyWith(NxShlwapi(), Key, Root); }

void DeleteRegKeyIfNamed(const std::string& Key, HKEY Root) {
  if (!Key.empty()) DeleteEmptyRegKey(Key, Root);
}

// ---- Unit start-up and shutdown -------------------------------------------------------------------

void NxToolsInitialize() {
  if (g_lock.load() == nullptr) {
    auto* cs = new CRITICAL_SECTION;
    InitializeCriticalSection(cs);
    g_lock.store(cs, std::memory_order_release);
  }
  for (int i = 0; i < ncfCount; ++i)
    g_clipboardFormats[i].store(RegisterClipboardFormatA(kClipboardFormatNames[i]), std::memory_order_release);
  UnitShell32().Bind("Shell32.dll", GetShell32Version());
}

void NxToolsFinalize() {
  if (CRITICAL_SECTION* cs = g_lock.exchange(nullptr)) {
    DeleteCriticalSection(cs);
    delete cs;
  }
  UnitShell32().Unbind();
}
