// Shared pieces of the script-info tests: a product installed into a private folder (App Paths
// entry and Data\Lib\VDSCmplr.dll), and script files for the stand-in compiler.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/ScopedHandles.h"
#include "tests/support/TempTree.h"
#include "vd32/Functions.h"

// Saves the App Paths entry of Veldrane.exe and puts it back at the end (it is global to the
// prefix: the tests that use this hold the prefix_global lock).
class AppPathsGuard {
public:
  AppPathsGuard() {
    hadValue_ = ReadDefault(saved_);
  }
  ~AppPathsGuard() {
    if (hadValue_)
      Set(saved_);
    else
      Remove();
  }
  AppPathsGuard(const AppPathsGuard&) = delete;
  AppPathsGuard& operator=(const AppPathsGuard&) = delete;

  static void Set(const std::string& ExePath) {
    ScopedRegKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(),
                        nullptr) == ERROR_SUCCESS)
      RegSetValueExA(key.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(ExePath.c_str()),
                     static_cast<DWORD>(ExePath.size() + 1));
  }
  static void Remove() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey); }

private:
  static bool ReadDefault(std::string& Value) {
    const std::string missing = "\x01missing";
    Value = RegReadString(HKEY_LOCAL_MACHINE, kAppPathsKey, "", missing);
    return Value != missing;
  }
  std::string saved_;
  bool hadValue_ = false;
};

// A product folder with Data\Lib\VDSCmplr.dll copied from the build (the stand-in compiler) and a
// Scripts\ folder for script files.
class ProductFolder {
public:
  explicit ProductFolder(const std::string& CompilerUnixPath) {
    tree_.Dir("Data\\Lib");
    tree_.Dir("Scripts");
    CopyFileA(WindowsPathOfUnix(CompilerUnixPath).c_str(), CompilerPath().c_str(), FALSE);
  }
  std::string InstallDir() const { return tree_.Root(); }
  std::string ExePath() const { return tree_.Path("Veldrane.exe"); }
  std::string CompilerPath() const { return tree_.Path("Data\\Lib\\VDSCmplr.dll"); }
  // A script for the stand-in compiler: Lines are "@Author=..." and knob lines, CR LF separated.
  std::string Script(const std::string& Name, const std::string& Lines) const {
    return tree_.File("Scripts\\" + Name, Lines);
  }
  std::string Folder(const std::string& Name) const { return tree_.Dir(Name); }

private:
  TempTree tree_;
};

// The five texts as the stand-in reads them.
inline std::string ScriptLines(const std::string& Author, const std::string& Version, const std::string& Comments,
                               const std::string& DisplayName, const std::string& Description,
                               const std::string& Knobs = std::string()) {
  return "program hello;\r\n@Author=" + Author + "\r\n@Version=" + Version + "\r\n@Comments=" + Comments +
         "\r\n@DisplayName=" + DisplayName + "\r\n@Description=" + Description + "\r\n" + Knobs;
}
