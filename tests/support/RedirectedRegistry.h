// Predefined registry keys of this process (HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, even
// HKEY_CURRENT_USER) redirected to empty scratch keys while the object lives: one key per root
// below the real HKEY_CURRENT_USER\Software\VeldraneTests\<name>-<process id>, removed again
// afterwards. Tests of code that registers or reads the machine's settings use it, so the test
// prefix's own registry stays as it was. Links with shlwapi (SHDeleteKeyA).
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

class TRedirectedRegistry {
public:
  TRedirectedRegistry(const std::string& Name, std::initializer_list<HKEY> Roots)
      : FBase("Software\\VeldraneTests\\" + Name + "-" + std::to_string(GetCurrentProcessId())) {
    SHDeleteKeyA(HKEY_CURRENT_USER, FBase.c_str());
    Ok = true;
    for (HKEY Root : Roots) {  // every scratch key is made before any root is redirected
      HKEY Scratch = nullptr;
      const std::string Path = FBase + "\\" + std::to_string(FKeys.size());
      Ok = RegCreateKeyExA(HKEY_CURRENT_USER, Path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Scratch,
                           nullptr) == ERROR_SUCCESS && Ok;
      FKeys.emplace_back(Root, Scratch);
    }
    for (const auto& [Root, Scratch] : FKeys) Ok = Scratch && RegOverridePredefKey(Root, Scratch) == ERROR_SUCCESS && Ok;
  }
  ~TRedirectedRegistry() {
    for (auto It = FKeys.rbegin(); It != FKeys.rend(); ++It) RegOverridePredefKey(It->first, nullptr);
    for (const auto& Key : FKeys)
      if (Key.second) RegCloseKey(Key.second);
    SHDeleteKeyA(HKEY_CURRENT_USER, FBase.c_str());
  }
  TRedirectedRegistry(const TRedirectedRegistry&) = delete;
  TRedirectedRegistry& operator=(const TRedirectedRegistry&) = delete;

  // The scratch key standing in for Root (nullptr for a root not redirected).
  HKEY Key(HKEY Root) const {
    for (const auto& [From, Scratch] : FKeys)
      if (From == Root) return Scratch;
    return nullptr;
  }
  // Every scratch key was made and every root redirected.
  bool Ok = false;

private:
  std::string FBase;
  std::vector<std::pair<HKEY, HKEY>> FKeys;
};
