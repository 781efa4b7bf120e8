// What the screen shows of a window, saved as a 24-bit BMP file, for the pictures of the docs
// (tools/bmp2png.py turns it into a PNG). The window must be shown, on top and painted.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/Graphics.h"

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
