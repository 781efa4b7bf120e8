#include "nx/NxShLwApi.h"

#include "nx/NxUnitOrder.h"

namespace {
struct TEntryName {
  const char* Name;  // null: by ordinal
  WORD Ordinal;
};

constexpr TEntryName kEntryNames[seShlwapiEntryCount] = {
    {"PathIsFileSpecA", 0},        {"PathIsFileSpecW", 0},        {"PathIsURLA", 0},
    {"PathIsURLW", 0},             {"PathIsUNCA", 0},             {"PathIsUNCW", 0},
    {"PathParseIconLocationA", 0}, {"PathParseIconLocationW", 0}, {"SHDeleteEmptyKeyA", 0},
    {"SHCreateThread", 0},         {"PathMatchSpecA", 0},         {"PathMatchSpecW", 0},
    {"PathFindExtensionA", 0},     {"UrlGetPartA", 0},            {"UrlGetPartW", 0},
    {"UrlGetLocationA", 0},        {"UrlGetLocationW", 0},        {nullptr, 353},
    {nullptr, 354},                {"StrFormatByteSize64A", 0},   {"UrlCanonicalizeA", 0},
};

TNxShlwapiBinding g_shlwapi;

const TUnitRegistration kUnit(nxrShLwApi, {"NxShLwApi", &NxShLwApiInitialize, &NxShLwApiFinalize});
}  // namespace

void TNxShlwapiBinding::Bind(const char* LibraryName) noexcept {
  Clear();
  HMODULE module = LoadLibraryA(LibraryName);
  if (module == nullptr) return;
  module_ = module;
  for (int i = 0; i < seShlwapiEntryCount; ++i) {
    const TEntryName& e = kEntryNames[i];
    entries_[i] = e.Name != nullptr ? GetProcAddress(module, e.Name)
                                    : GetProcAddress(module, MAKEINTRESOURCEA(e.Ordinal));
  }
  bound_ = true;
}

// Forgets the binding; the library itself stays loaded.
void TNxShlwapiBinding::Clear() noexcept {
  bound_ = false;
  module_ = nullptr;
  for (FARPROC& entry : entries_) entry = nullptr;
}

const TNxShlwapiBinding& NxShlwapi() {
  EnsureUnitsStarted();
  return g_shlwapi;
}

bool ShlwapiBound() { return NxShlwapi().Bound(); }

void NxShLwApiInitialize() { g_shlwapi.Bind(); }

// The library is never freed, so the binding stays valid and unchanged until the module goes.
void NxShLwApiFinalize() {}
