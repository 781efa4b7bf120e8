// The library entry of the three plug-in builds: TRUE for every reason, nothing done at load. The
// wizard's units start in InitExperts and shut down - freeing the holders, which takes their
// experts out of the IDE - when the library is unloaded; never at process exit (Reserved is then
// non-nil), when the IDE's core package may be gone already. The IDE loads and frees plug-ins
// over a session, so the unload also releases the runtime's leftovers (ModuleRuntime).
#include "classlib/ModuleRuntime.h"

VD_LIBRARY_DLLMAIN
