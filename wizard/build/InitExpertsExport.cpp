// The export of the Pascal builds (expNcXv2D7, expNcXv2D6): InitExperts itself.
#include <windows.h>

#include "wizard/Nx_Experts.h"

extern "C" void WINAPI InitExperts() { Nx_Experts::CallInitExperts(); }
