#include "vd32/Functions.h"

#include <vector>

#include "classlib/IniFiles.h"
#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"

std::string RegReadString(HKEY Root, const std::string& SubKey, const std::string& ValueName,
                          const std::string& Default) {
  ScopedRegKey key;
  if (RegOpenKeyExA(Root, SubKey.c_str(), 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) return Default;

  // The value may change between the size query and the read: ask again while it grows.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), ValueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return Default;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return Default;
    // One spare byte: data stored without its NUL must not lose its last character.
    std::vector<char> data(size + 1, '\0');
    DWORD got = size;
    LONG rc = RegQueryValueExA(key.get(), ValueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                               &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return Default;
    return std::string(data.data());  // cut at the first NUL
  }
  return Default;
}

std::string InstallDirOf(const std::string& ExePath) { return IncludeTrailingBackslash(ExtractFileDir(ExePath)); }

std::string GetInstallDir() { return InstallDirOf(RegReadString(HKEY_LOCAL_MACHINE, kAppPathsKey, "", "")); }

bool TryGetInstallDir(std::string& InstallDir) {
  std::string exePath = Trim(RegReadString(HKEY_LOCAL_MACHINE, kAppPathsKey, "", ""));
  if (exePath.empty()) return false;
  std::string dir = InstallDirOf(exePath);
  bool onDrive = dir.size() >= 3 && dir[1] == ':' && dir[2] == '\\' &&
                 ((dir[0] >= 'A' && dir[0] <= 'Z') || (dir[0] >= 'a' && dir[0] <= 'z'));
  bool unc = dir.size() > 2 && dir[0] == '\\' && dir[1] == '\\';
  if (!onDrive && !unc) return false;
  InstallDir = dir;
  return true;
}

std::string ConfigFileOf(const std::string& InstallDir) {
  return IncludeTrailingBackslash(InstallDir) + kDataFolder + kConfigFileName;
}

std::string ChooseConfigFile(const std::string& FileName) {
  return Trim(FileName).empty() ? ConfigFileOf(GetInstallDir()) : FileName;
}

void WriteConfigString(const std::string& Section, const std::string& Ident, const std::string& Value,
                       const std::string& FileName) {
  TIniFile ini(ChooseConfigFile(FileName));
  ini.WriteString(Section, Ident, Value);
}

std::string ReadConfigString(const std::string& Section, const std::string& Ident, const std::string& FileName) {
  TIniFile ini(ChooseConfigFile(FileName));
  return ini.ReadString(Section, Ident, "");
}

DWORD FileSizeOf(const std::string& FileName) {
  if (!FileExists(FileName)) return 0;
  WIN32_FIND_DATAA data;
  ScopedFindHandle find(FindFirstFileA(FileName.c_str(), &data));
  return find ? data.nFileSizeLow : 0;
}
