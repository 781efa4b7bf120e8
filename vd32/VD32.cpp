// VD32: run once with "/SVC" by the product's scheduler; records the run and, when due, writes the
// folder snapshot. It never shows anything: an unattended run must not wait for a click.
#include <windows.h>

#include "vd32/Snapshot.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // No "insert a disc" prompt for an empty CD-ROM drive, no crash dialog.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  try {
    return RunVD32(GetCommandLineA());
  } catch (...) {
    return 1;
  }
}
