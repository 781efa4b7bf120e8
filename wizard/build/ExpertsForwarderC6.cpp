// The C++ build's own forwarding unit (expNcXv2C6): its export InitExperts reaches the plug-in's
// entry through a forwarding routine.
#include <windows.h>

#include "wizard/Nx_Experts.h"

namespace {
void ForwardInitExperts() { Nx_Experts::CallInitExperts(); }
}  // namespace

extern "C" void WINAPI InitExperts() { ForwardInitExperts(); }
