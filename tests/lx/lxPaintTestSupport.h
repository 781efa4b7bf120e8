// Helpers for the lx tests that draw: a form of plain colour to put controls on, captures of what
// a window paints (WM_PRINT into a 32-bit memory bitmap), and colour classes with their centroids
// for text (glyph pixels differ between machines: only which colours appear, and where about).
#pragma once

#include <windows.h>

#include "classlib/Forms.h"
#include "tests/controls/ControlsTestSupport.h"

namespace lxtest {

// A borderless form of one colour at a fixed place on the screen.
inline TForm* NewPlainForm(int X, int Y, int W, int H, TColor Color = clWhite) {
  TForm* Form = TForm::Create(nullptr, CreateNewForm);
  Form->SetBorderStyle(bsNone);
  Form->SetColor(Color);
  Form->SetBounds(X, Y, W, H);
  return Form;
}

// What the window paints into its client area: background (WM_ERASEBKGND), itself and its
// window-less children.
inline void PrintClient(HWND Wnd, const testsupport::TPixelDC& Pixels,
                        UINT Flags = PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN) {
  SendMessageA(Wnd, WM_PRINT, reinterpret_cast<WPARAM>(Pixels.DC()), Flags);
}

enum class TTint { Red, Green, Blue };

// A pixel clearly of one primary colour (one channel far above both others).
inline bool Tinted(COLORREF C, TTint Tint) {
  int R = GetRValue(C), G = GetGValue(C), B = GetBValue(C);
  switch (Tint) {
    case TTint::Red: return R - (G > B ? G : B) > 80;
    case TTint::Green: return G - (R > B ? R : B) > 80;
    case TTint::Blue: return B - (R > G ? R : G) > 80;
  }
  return false;
}

struct TClassStats {
  int Count = 0;
  double X = 0, Y = 0;  // centroid
};

template <class Pred> TClassStats StatsOf(const testsupport::TPixelDC& Pixels, RECT R, Pred Match) {
  TClassStats S;
  for (int Y = R.top; Y < R.bottom; ++Y)
    for (int X = R.left; X < R.right; ++X)
      if (Match(Pixels.Pixel(X, Y))) {
        ++S.Count;
        S.X += X;
        S.Y += Y;
      }
  if (S.Count) {
    S.X /= S.Count;
    S.Y /= S.Count;
  }
  return S;
}

inline TClassStats TintStats(const testsupport::TPixelDC& Pixels, RECT R, TTint Tint) {
  return StatsOf(Pixels, R, [Tint](COLORREF C) { return Tinted(C, Tint); });
}

}  // namespace lxtest
