// Running processes by image name.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Ids of the running processes whose image name (its file-name part, or the whole name) equals
// ExeName without regard to case. Empty when no process snapshot can be taken.
std::vector<DWORD> FindProcessesByImageName(const std::string& ExeName);
bool IsProcessRunning(const std::string& ExeName);
