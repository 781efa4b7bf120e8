// What the product's script compiler tells about a script: the library's place below the install
// directory, and one guarded call of its VDGetScriptInfo.
#pragma once

#include <string>

// The five texts of a script, empty where the compiler sent none.
struct TScriptInfo {
  std::string Author;
  std::string Version;
  std::string Comments;
  std::string DisplayName;
  std::string Description;

  bool operator==(const TScriptInfo&) const = default;
};

// "<InstallDir>Data\Lib\VDSCmplr.dll" when that file exists, "" otherwise.
std::string CompilerLibPathIn(const std::string& InstallDir);
// The compiler library of the installed product; "" when the product is not installed (no usable
// App Paths value: nothing is then looked for below the current drive's root) or the file is missing.
std::string GetCompilerLibPath();

// Loads the library at LibPath for this one call, asks it about FileName and frees it again before
// returning. True, with Info set from the last code-24 report made during the call (empty fields
// when there was none), when the compiler answered True; false when the library or its export is
// missing or the compiler answered False (Info is then left alone). The shared report storage is
// cleared before the call, and clearing, call and read-out run under one process-wide lock, so
// concurrent callers never see each other's texts. Never raises.
bool GetScriptInfo(const std::string& LibPath, const std::string& FileName, TScriptInfo& Info) noexcept;

// Forgets the last report (the page unit's shutdown).
void ClearScriptInfo() noexcept;
