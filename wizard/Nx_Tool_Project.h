// The form classes of the IDE's active project, for the editors that offer them: "T" and the form
// name of each module of the project that has a form, in the project's order. The active project is
// the project group's, or without a group the last open project. Without one the IDE's main window
// shows "Active project could not found" and the list is empty.
#pragma once

#include <windows.h>

#include "classlib/Classes.h"

// A new list; the caller frees it.
TStringList* GetProjectFormClasses();

// The message box behind the "no project" message (MessageBoxA; tests put a recorder here).
using TProjectMessageBox = int(WINAPI*)(HWND Owner, LPCSTR Text, LPCSTR Caption, UINT Type);
extern TProjectMessageBox ProjectMessageBox;
