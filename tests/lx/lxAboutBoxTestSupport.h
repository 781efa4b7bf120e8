// Helpers for the programs that run the quick about box's real modal dialog: finding it once it
// is up, and the watchdog's way of closing one left open.
#pragma once

#include <windows.h>

#include "classlib/Forms.h"
#include "lx/lxQuickAboutBoxForm.h"

namespace lxtest {

// The about box's dialog while it is shown modally (nil before and after).
inline TlxQuickAboutBoxForm* ShownAboutDialog() {
  for (int I = 0; I < Screen->FormCount(); ++I)
    if (auto* Form = dynamic_cast<TlxQuickAboutBoxForm*>(Screen->Forms(I)))
      if (Form->Modal() && Form->HandleAllocated() && IsWindowVisible(Form->Handle())) return Form;
  return nullptr;
}

// For a watchdog thread: asks a dialog left open to close (by its window, from any thread).
inline void CloseAboutDialog() {
  if (HWND Dialog = FindWindowA("TlxQuickAboutBoxForm", nullptr)) PostMessageA(Dialog, WM_CLOSE, 0, 0);
}

}  // namespace lxtest
