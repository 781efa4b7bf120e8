#include "wizard/Nx_IsBuilder.h"

#include <windows.h>

#include "classlib/SysUtils.h"

namespace {
std::string g_HostProgramOverride;
}

bool IsBuilderName(const std::string& ProgramPath) { return AnsiSameText(ExtractFileName(ProgramPath), "bcb.exe"); }

bool IsBuilder() { return IsBuilderName(HostProgramPath()); }

std::string HostProgramPath() {
  if (!g_HostProgramOverride.empty()) return g_HostProgramOverride;
  char Buffer[MAX_PATH * 2];
  const DWORD Length = GetModuleFileNameA(nullptr, Buffer, sizeof Buffer);
  return std::string(Buffer, Length < sizeof Buffer ? Length : 0);
}

void SetHostProgramPath(const std::string& Path) { g_HostProgramOverride = Path; }
