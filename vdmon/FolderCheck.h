// The folder check behind isFolderClean, for a product installed in a given folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Window messages to the main program's window; both parameters are always 0.
inline constexpr UINT MonitorScanStarted = 3010;
inline constexpr UINT MonitorMatchFound = 1044;
inline constexpr UINT MonitorScanFinished = 1324;

// Image name of the main program, whose window receives the messages.
inline constexpr char kMainProgramImage[] = "veldrane.exe";

// The mask of one "key=value" line of [Extensions]: everything after the first '='.
std::string MaskOfLine(const std::string& Line);

// [GENERAL] WND of a configuration file: 0 when missing, 0 or not an integer.
HWND ReadMainWindow(const std::string& ConfigFile);

// Sends Msg to the window named in AppDir's configuration file, read anew for every message, when
// that window exists and belongs to a running main program.
void NotifyMainWindow(const std::string& AppDir, UINT Msg);

// True when no file below Folder matches a mask of [Extensions] in InstallDir's configuration file.
// With at least one line in [Extensions] the main window is told of the start, the first hit and the
// end of the check. A nil or empty Folder holds nothing to check.
bool CheckFolderClean(const char* Folder, const std::string& InstallDir);
