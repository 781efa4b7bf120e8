// Which IDE hosts the plug-in: the C++ IDE when the host program's file name is "bcb.exe" (ignoring
// case), else the Pascal IDE. Asked anew at each call.
#pragma once

#include <string>

bool IsBuilder();
// The rule on a program path: its file name, without the folder, is "bcb.exe" ignoring case.
bool IsBuilderName(const std::string& ProgramPath);

// The host program's path (GetModuleFileNameA of the process), unless a test set another one;
// SetHostProgramPath("") goes back to the real one.
std::string HostProgramPath();
void SetHostProgramPath(const std::string& Path);
