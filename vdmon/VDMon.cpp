#include "vdmon/VDMon.h"

#include <string>

#include "classlib/ModuleRuntime.h"
#include "vd32/Functions.h"
#include "vdmon/FolderCheck.h"

// Nothing happens at load beyond the runtime's own start-up; a real unload releases the runtime.
VD_LIBRARY_DLLMAIN

extern "C" BOOLEAN __stdcall isFolderClean(LPCSTR Folder) {
  try {
    // Without the product's App Paths entry there is no configuration to trust: the current
    // drive's "\Data\VDConfig.dat" could be anybody's.
    std::string installDir;
    if (!TryGetInstallDir(installDir)) return TRUE;
    return CheckFolderClean(Folder, installDir) ? TRUE : FALSE;
  } catch (...) {
    return TRUE;
  }
}
