#include "vdmon/FolderCheck.h"

#include <algorithm>

#include "classlib/IniFiles.h"
#include "vd32/Functions.h"
#include "vdmon/FolderSearch.h"
#include "vdmon/ProcessCheck.h"

std::string MaskOfLine(const std::string& Line) {
  size_t eq = Line.find('=');
  return eq == std::string::npos ? std::string() : Line.substr(eq + 1);
}

HWND ReadMainWindow(const std::string& ConfigFile) {
  TIniFile ini(ConfigFile);
  int value = ini.ReadInteger(kSectionGeneral, kKeyMainWindow, 0);
  // Window handles carry 32 significant bits and extend by sign, as the system hands them between
  // 32- and 64-bit processes.
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(value));
}

void NotifyMainWindow(const std::string& AppDir, UINT Msg) {
  HWND wnd = ReadMainWindow(ConfigFileOf(AppDir));
  if (wnd == nullptr) return;
  std::vector<DWORD> mainPrograms = FindProcessesByImageName(kMainProgramImage);
  if (mainPrograms.empty() || !IsWindow(wnd)) return;
  // A stale handle may have been given to a window of another program since.
  DWORD owner = 0;
  GetWindowThreadProcessId(wnd, &owner);
  if (std::find(mainPrograms.begin(), mainPrograms.end(), owner) == mainPrograms.end()) return;
  SendMessageA(wnd, Msg, 0, 0);
}

bool CheckFolderClean(const char* Folder, const std::string& InstallDir) {
  std::vector<std::string> lines = TIniFile(ConfigFileOf(InstallDir)).ReadSectionLines(kSectionExtensions);
  if (lines.empty()) return true;

  NotifyMainWindow(InstallDir, MonitorScanStarted);
  std::vector<std::string> masks;
  for (const std::string& line : lines) masks.push_back(MaskOfLine(line));

  bool clean = true;
  std::string folder = Folder != nullptr ? Folder : "";
  if (!folder.empty()) {
    bool found = false;
    try {
      found = FindFileByAnyMask(folder, masks);
    } catch (const std::exception&) {
      found = false;  // a folder that cannot be searched holds no match
    }
    if (found) {
      clean = false;
      NotifyMainWindow(InstallDir, MonitorMatchFound);
    }
  }
  NotifyMainWindow(InstallDir, MonitorScanFinished);
  return clean;
}
