// The form classes of the IDE's active project, for the editors that offer them: "T" and the form
// name of each module of the project that has a form, in the project's order. The active project is
// the project group's, or without a group the last open project. Without one the message box
// "Active project could not found" appears (Application->MessageBox, owned by the main window the
// IDE services give; when the IDE gives none, by the active window) and the list is empty.
#pragma once

#include "classlib/Classes.h"

// A new list; the caller frees it.
TStringList* GetProjectFormClasses();
