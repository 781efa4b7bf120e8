// The quick about box as a program shows it (docs/lx.md, and step 8 of tools/demo.sh): Execute with
// the show and hide animations on; once the dialog is up and painted, what the screen shows of it
// is saved as a BMP file, its caption and the body of the mail its e-mail line would start are
// printed, and its OK button is clicked.
//   lx_aboutbox_demo.exe <out.bmp>
// (tools/bmp2png.py turns the file into a PNG). Exit code 0 when the picture was written.
#include <windows.h>

#include <cstdio>
#include <string>

#include "lx/lxQuickAboutBox.h"
#include "lx/lxQuickAboutBoxForm.h"
#include "tests/controls/ControlsTestSupport.h"
#include "tests/lx/lxAboutBoxTestSupport.h"
#include "tests/support/WindowPicture.h"

namespace {

const char* g_OutFile = nullptr;
bool g_Saved = false;
int g_Ticks = 0;

// Every 100 ms: once the dialog has been up for half a second, the picture, then OK.
VOID CALLBACK OnTick(HWND, UINT, UINT_PTR Id, DWORD) {
  TlxQuickAboutBoxForm* Dialog = lxtest::ShownAboutDialog();
  if (!Dialog || ++g_Ticks < 5) return;
  KillTimer(nullptr, Id);
  UpdateWindow(Dialog->Handle());
  g_Saved = SaveWindowPicture(Dialog->Handle(), g_OutFile);
  std::printf("caption:   %s\n", Dialog->Caption().c_str());
  std::printf("mail body: %s\n", Dialog->EmailLab->Email()->Message.c_str());
  std::fflush(stdout);
  PostMessageA(Dialog->OKBtn->Handle(), BM_CLICK, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  g_OutFile = argv[1];
  TObjectPtr<TlxQuickAboutBox> Box(TlxQuickAboutBox::Create(nullptr));
  Box->SetCaption("Veldrane");
  Box->SetCopyright("\"Veldrane\" cleaning tool. . .\r\nCopyright (c) 2001-2004 Veldrane");
  Box->SetDescription("Keeps your folders [B]clean[DEF]: snapshots, [I]folder checks[DEF] and script information.");
  Box->SetShowFrames(true);
  Box->SetEmail("support@example.com");
  Box->SetWebSite("www.example.com");
  UINT_PTR Timer = SetTimer(nullptr, 0, 100, &OnTick);
  {
    testsupport::TWatchdog Watchdog(60000, &lxtest::CloseAboutDialog);  // a dialog never clicked away
    Box->Execute();
  }
  KillTimer(nullptr, Timer);
  return g_Saved ? 0 : 1;
}
