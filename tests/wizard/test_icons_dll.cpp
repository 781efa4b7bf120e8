// A library that only carries four icons (TestIcons.rc) for the default-icon editor's tests.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
