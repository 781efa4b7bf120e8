// What the screen shows of a window (frame included), saved as a 24-bit BMP file, for the pictures of
// the docs and the demo (tools/bmp2png.py turns it into a PNG). The window must be shown, on top and
// painted; SaveFormPicture shows a form and lets it paint first.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "tests/controls/ControlsTestSupport.h"

// Whether the file was written.
inline bool SaveWindowPicture(HWND Window, const std::string& File) {
  RECT R;
  GetWindowRect(Window, &R);
  TObjectPtr<TBitmap> Shot(TBitmap::Create());
  Shot->SetPixelFormat(pf24bit);
  Shot->SetSize(R.right - R.left, R.bottom - R.top);
  HDC Screen = GetDC(nullptr);
  BitBlt(Shot->Canvas()->Handle(), 0, 0, Shot->Width(), Shot->Height(), Screen, R.left, R.top, SRCCOPY);
  ReleaseDC(nullptr, Screen);
  try {
    Shot->SaveToFile(File);
    return true;
  } catch (...) {
    return false;
  }
}

// Shows Form, lets it paint, saves its picture and hides it again; whether the file was written.
inline bool SaveFormPicture(TCustomForm* Form, const std::string& File) {
  Form->Show();
  testsupport::PumpFor(300);
  UpdateWindow(Form->Handle());
  const bool Saved = SaveWindowPicture(Form->Handle(), File);
  Form->Hide();
  return Saved;
}
