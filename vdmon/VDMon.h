// The export of VDMon.dll.
#pragma once

#include <windows.h>

// 1 when no file in the folder tree matches a mask configured for the product, 0 when one does.
extern "C" BOOLEAN __stdcall isFolderClean(LPCSTR Folder);

// For callers that bind the export at run time.
using IsFolderCleanProc = BOOLEAN(__stdcall*)(LPCSTR Folder);
