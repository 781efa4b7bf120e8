// VDSInfSht.dll: the in-process COM server behind the "Script Info" page. The class library's COM
// server answers the four exports over the factory that NacrePlusDMUnit registers.
#include <windows.h>

#include "classlib/ComServ.h"
#include "classlib/ModuleRuntime.h"

VD_COM_SERVER_EXPORTS

// The units start on the first export call; they shut down when the library is unloaded, not at
// process exit, and the runtime is released after them.
VD_LIBRARY_DLLMAIN
