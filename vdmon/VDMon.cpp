#include "vdmon/VDMon.h"

#include <string>

#include "vd32/Functions.h"
#include "vdmon/FolderCheck.h"

// No DllMain: nothing happens at load beyond the runtime's own start-up.

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
