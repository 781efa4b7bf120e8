// Shared by the list view and tree view sources only.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace comctrls_detail {

// The image index the window is given: -1 (any negative index) shows no image; -1 itself would
// make the window ask for the image by callback.
inline int WindowImage(int Index) { return Index < 0 ? I_IMAGENONE : Index; }

// Registers the common controls' window classes of Classes (ICC_*) for this process.
inline void InitCommonControlClasses(DWORD Classes) {
  INITCOMMONCONTROLSEX Init{sizeof Init, Classes};
  InitCommonControlsEx(&Init);
}

}  // namespace comctrls_detail
