// A library that is no script compiler: it lacks VDGetScriptInfo.
#include <windows.h>

extern "C" __declspec(dllexport) int __stdcall NotTheScriptInfo() { return 0; }
