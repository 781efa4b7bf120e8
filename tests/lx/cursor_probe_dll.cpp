// A library that links lx, as a shell extension would: it answers with the cursor of one slot of
// its own Screen, after its own unit start-up.
#include <windows.h>

#include "classlib/Forms.h"
#include "classlib/ModuleRuntime.h"
#include "classlib/UnitInit.h"
#include "lx/lxGraphics.h"

extern "C" __declspec(dllexport) HCURSOR WINAPI lxProbeLibraryCursor(int Index) {
  try {
    EnsureUnitsStarted();
    return Screen->Cursors(Index);
  } catch (...) {
    return nullptr;
  }
}

VD_LIBRARY_DLLMAIN
