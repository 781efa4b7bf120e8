// What a library needs so that it leaves nothing behind when it is unloaded, and the DllMain that
// applies it. A library adopts it with one line in one of its sources:
//
//   VD_LIBRARY_DLLMAIN   // DllMain: on a real unload the units shut down and the runtime is released
//
// Why: the C++ runtime and the threads library are linked into every library statically, so each
// load has its own copy of their state, and they free none of it when the library goes. Measured
// per load/free cycle of a library: the exception runtime's emergency pool (about 73 KB), and,
// once any code of the library used a function-local static, std::call_once or a thread_local
// variable, the threads library's record of the calling thread (a duplicated thread handle and an
// event), its key table with the lock behind it (two semaphores and a few blocks) and a TLS slot;
// a static std::mutex leaves its lazily made lock (and event) behind too. None of that is
// reachable from outside the threads library. So this unit keeps the library away from it:
//   - function-local statics are guarded here (the C++ ABI's __cxa_guard_* functions);
//   - thread_local variables live in one Win32 TLS slot of the module, each thread's block of
//     them is freed when the thread ends (a TLS callback), every remaining one at a real unload;
//   - locks are TCriticalSection (SyncObjs.h), not std::mutex; no std::call_once, no iostreams in
//     a library (both reach the threads library's once-objects or its locale start-up);
// and at a real unload (DLL_PROCESS_DETACH with a null reserved pointer, never at process exit),
// after FinalizeUnits and after the module's static destructors, it frees the thread_local
// blocks and their slot, the unit list and the runtime's emergency pool (__gnu_cxx::__freeres).
// The load/free soak test (tests/runtime/module_soak_test.cpp) counts heap blocks, handles by
// type and threads over 200 cycles of every library and fails on growth.
#pragma once

#include <windows.h>

// Registers the freeing of an object that must outlive every unit shutdown and static destructor
// (Application, Screen, the window-class and trampoline registries, ...). At a real unload the
// registered routines run last, newest first; at process exit they do not run. Up to 32 routines;
// the registration itself allocates nothing, so it is safe at any time.
void AtModuleRelease(void (*Release)()) noexcept;

// The DllMain of a library of this system: FinalizeUnits and the release above on a real unload.
BOOL LibraryDllMain(HINSTANCE Instance, DWORD Reason, LPVOID Reserved) noexcept;

#define VD_LIBRARY_DLLMAIN                                                                    \
  extern "C" BOOL WINAPI DllMain(HINSTANCE Instance, DWORD Reason, LPVOID Reserved) {        \
    return LibraryDllMain(Instance, Reason, Reserved);                                       \
  }

namespace moduleruntime_detail {
// Threads that hold a block of thread_local variables of this module (for tests).
size_t ThreadBlockCount() noexcept;
}  // namespace moduleruntime_detail
