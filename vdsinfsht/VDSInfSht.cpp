// VDSInfSht.dll: the in-process COM server behind the "Script Info" page. The class library's COM
// server answers the four exports over the factory that NacrePlusDMUnit registers.
#include <windows.h>

#include "classlib/ComServ.h"
#include "classlib/UnitInit.h"

VD_COM_SERVER_EXPORTS

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID Reserved) {
  // The units start on the first export call; they shut down when the library is unloaded, not
  // at process exit (Reserved is then non-nil and other threads are gone mid-flight).
  if (Reason == DLL_PROCESS_DETACH && Reserved == nullptr) FinalizeUnits();
  return TRUE;
}
