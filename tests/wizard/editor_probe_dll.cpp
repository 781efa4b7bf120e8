// A plug-in of the tests: registers one property editor and one component editor when asked, so that
// the IDE's dropping of a library's registrations can be seen.
#include <windows.h>

#include "ide/DesignEditors.h"

extern "C" __declspec(dllexport) void RegisterProbeEditors() {
  RegisterPropertyEditor(TypeInfoOf<int>(), ClassOf<TComponent>(), "Tag", TPropertyEditorClass::Of<TIntegerProperty>());
  RegisterComponentEditor(ClassOf<TComponent>(), TComponentEditorClass::Of<TComponentEditor>());
}
