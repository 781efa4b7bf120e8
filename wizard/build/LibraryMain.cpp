// The library entry of the three plug-in builds: TRUE for every reason, nothing done at load. The
// wizard's units start in InitExperts and shut down - freeing the holders, which takes their
// experts out of the IDE - when the library is unloaded; never at process exit (Reserved is then
// non-nil), when the IDE's core package may be gone already.
#include <windows.h>

#include "classlib/UnitInit.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID Reserved) {
  if (Reason == DLL_PROCESS_DETACH && Reserved == nullptr) FinalizeUnits();
  return TRUE;
}
