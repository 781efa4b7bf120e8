// Shlwapi.dll bound by name at run time.
#pragma once

#include <windows.h>

#include <cstddef>

using TSHDeleteEmptyKeyA = LONG(WINAPI*)(HKEY Key, LPCSTR SubKey);

// The entries looked up, in binding order.
enum TNxShlwapiEntry : int {
  sePathIsFileSpecA,
  sePathIsFileSpecW,
  sePathIsURLA,
  sePathIsURLW,
  sePathIsUNCA,
  sePathIsUNCW,
  sePathParseIconLocationA,
  sePathParseIconLocationW,
  seSHDeleteEmptyKeyA,
  seSHCreateThread,
  sePathMatchSpecA,
  sePathMatchSpecW,
  sePathFindExtensionA,
  seUrlGetPartA,
  seUrlGetPartW,
  seUrlGetLocationA,
  seUrlGetLocationW,
  seOrdinal353,
  seOrdinal354,
  seStrFormatByteSize64A,
  seUrlCanonicalizeA,
  seShlwapiEntryCount
};

// One binding of the library: its handle (the library is never freed), one entry per table row (null when
// missing) and whether the library could be loaded at all.
class TNxShlwapiBinding {
public:
  // Loads LibraryName and looks up every entry; a missing entry stays null and doesn't stop it.
  void Bind(const char* LibraryName = "Shlwapi.dll") noexcept;
  void Clear() noexcept;

  bool Bound() const { return bound_; }
  FARPROC Entry(TNxShlwapiEntry Which) const { return entries_[Which]; }
  TSHDeleteEmptyKeyA SHDeleteEmptyKeyA() const {
    return reinterpret_cast<TSHDeleteEmptyKeyA>(entries_[seSHDeleteEmptyKeyA]);
  }

private:
  bool bound_ = false;
  HMODULE module_ = nullptr;
  FARPROC entries_[seShlwapiEntryCount] = {};
};

// The unit's binding, made at the unit's start-up (on first use of the module's units).
const TNxShlwapiBinding& NxShlwapi();
// True when Shlwapi.dll was bound.
bool ShlwapiBound();

// Unit start-up and shutdown (normally run by the module's unit list).
void NxShLwApiInitialize();
void NxShLwApiFinalize();
