// Backgrounds, gradients, button frames and text metrics.
#include "lx/lxGraphics.h"

#include <algorithm>

#include "lx/lxGdiHandles.h"

using namespace lxgdi;

// ---- Details ------------------------------------------------------------------------------------

namespace lxgraphics_detail {

TlxScreenColorMode ColorModeFromBits(int BitsPerPixel) noexcept {
  switch (BitsPerPixel) {
    case 4: return sm4bit;
    case 16: return sm16bit;
    case 24: return sm24bit;
    case 32: return sm32bit;
    default: return sm8bit;
  }
}

int GradientBandCount(TlxGradientDirection Direction, const TRect& Rect) noexcept {
  if (Direction != gdCentral) return 255;
  int HalfW = (Rect.right - Rect.left) / 2;
  int HalfH = (Rect.bottom - Rect.top) / 2;
  return std::clamp(std::min(HalfW, HalfH), 2, 255);
}

COLORREF GradientBandColor(COLORREF C1, COLORREF C2, int Index, int Count) noexcept {
  auto Part = [&](int Shift) {
    int A = static_cast<int>((C1 >> Shift) & 0xFF);
    int B = static_cast<int>((C2 >> Shift) & 0xFF);
    return static_cast<COLORREF>((A + MulDiv(Index, B - A, Count - 1)) & 0xFF);
  };
  return RGB(Part(0), Part(8), Part(16));
}

std::vector<TPoint> PicturePositions(const TRect& Rect, int W, int H, TlxBackgroundPictureStyle Style) {
  std::vector<TPoint> Out;
  if (W <= 0 || H <= 0) return Out;  // an empty graphic would never move the loops on
  switch (Style) {
    case bsTile:
    case bsZigzag: {
      int Row = 0;
      int RowStart = Rect.left;
      for (int Y = Rect.top; Y < Rect.bottom; Y += H, ++Row) {
        for (int X = RowStart; X < Rect.right; X += W) Out.push_back(Point(X, Y));
        if (Style == bsZigzag) RowStart = Row % 2 == 0 ? Rect.left - W / 2 : Rect.left;
      }
      break;
    }
    case bsCenter:
      // Division truncates toward zero, also for a graphic larger than the rectangle.
      Out.push_back(Point(Rect.left + (Rect.right - Rect.left - W) / 2, Rect.top + (Rect.bottom - Rect.top - H) / 2));
      break;
    case bsAlignLeft: Out.push_back(Point(Rect.left, Rect.top)); break;
    case bsAlignRight: Out.push_back(Point(Rect.right - W, Rect.top)); break;
    default: break;
  }
  return Out;
}

}  // namespace lxgraphics_detail

using namespace lxgraphics_detail;

// ---- Fills --------------------------------------------------------------------------------------

void FillSolidRect(HDC DC, const TRect& Rect, TColor Color) {
  TGdiObject<HBRUSH> Brush(CreateSolidBrush(ColorToRGB(Color)));
  if (Brush) FillRect(DC, &Rect, Brush.Get());
}

void DrawPicture(TCanvas* Canvas, const TRect& Rect, TPicture* Picture, TColor BackColor,
                 TlxBackgroundPictureStyle Style) {
  try {
    if (!Canvas || !Picture || Style > bsAlignRight) return;
    TGraphic* Graphic = Picture->Graphic();
    if (Style == bsStretch) {
      Canvas->StretchDraw(Rect, Graphic);
      return;
    }
    int W = Graphic ? Graphic->Width() : 0;
    int H = Graphic ? Graphic->Height() : 0;
    std::vector<TPoint> At = PicturePositions(Rect, W, H, Style);
    if (Style == bsCenter || Style == bsAlignLeft || Style == bsAlignRight) {
      Canvas->Brush()->SetColor(BackColor);
      if (Style == bsCenter) {
        TPoint P = At.empty() ? Point(Rect.left + (Rect.right - Rect.left) / 2, Rect.top + (Rect.bottom - Rect.top) / 2)
                              : At.front();
        int W0 = std::max(W, 0), H0 = std::max(H, 0);
        // Only the area around the graphic: above, left, right, below.
        Canvas->FillRect(::Rect(Rect.left, Rect.top, Rect.right, P.y));
        Canvas->FillRect(::Rect(Rect.left, P.y, P.x, P.y + H0));
        Canvas->FillRect(::Rect(P.x + W0, P.y, Rect.right, P.y + H0));
        Canvas->FillRect(::Rect(Rect.left, P.y + H0, Rect.right, Rect.bottom));
      } else {
        Canvas->FillRect(Rect);
      }
    }
    for (const TPoint& P : At) Canvas->Draw(P.x, P.y, Graphic);
  } catch (...) {
    // A background that cannot be drawn is left as it is; painting goes on.
  }
}

namespace {

void GradientBands(HDC DC, const TRect& Rect, COLORREF C1, COLORREF C2, TlxGradientDirection Direction, int Count) {
  int W = Rect.right - Rect.left;
  int H = Rect.bottom - Rect.top;
  for (int I = Count - 1; I >= 0; --I) {
    TGdiObject<HBRUSH> Brush(CreateSolidBrush(GradientBandColor(C1, C2, I, Count)));
    if (!Brush) continue;
    TRect Band = Rect;
    if (Direction == gdVertical) {
      Band.top = Rect.top + MulDiv(I, H, Count);
      Band.bottom = Rect.top + MulDiv(I + 1, H, Count);
    } else {
      Band.left = Rect.left + MulDiv(I, W, Count);
      Band.right = Rect.left + MulDiv(I + 1, W, Count);
    }
    FillRect(DC, &Band, Brush.Get());
  }
}

void GradientEllipses(HDC DC, const TRect& Rect, COLORREF C1, COLORREF C2, int Count) {
  int HalfW = (Rect.right - Rect.left) / 2;
  int HalfH = (Rect.bottom - Rect.top) / 2;
  int CX = (Rect.left + Rect.right) / 2;
  int CY = (Rect.top + Rect.bottom) / 2;
  TGdiObject<HPEN> NullPen(CreatePen(PS_NULL, 0, 0));
  TSelection PenSelected(DC, NullPen.Get());
  // From the largest ellipse (Colour2) to the smallest (Colour1).
  for (int I = Count - 1; I >= 0; --I) {
    TGdiObject<HBRUSH> Brush(CreateSolidBrush(GradientBandColor(C1, C2, I, Count)));
    if (!Brush) continue;
    TSelection BrushSelected(DC, Brush.Get());
    int RX = MulDiv(I + 1, HalfW, Count);
    int RY = MulDiv(I + 1, HalfH, Count);
    Ellipse(DC, CX - RX, CY - RY, CX + RX, CY + RY);
  }
}

}  // namespace

void FillGradient(HDC DC, const TRect& Rect, TColor Color1, TColor Color2, TColor BackColor,
                  TlxGradientDirection Direction) {
  try {
    if (!DC) return;
    COLORREF C1 = ColorToRGB(Color1);
    COLORREF C2 = ColorToRGB(Color2);
    int Count = GradientBandCount(Direction, Rect);
    if (Direction == gdCentral) {
      FillSolidRect(DC, Rect, BackColor);
      GradientEllipses(DC, Rect, C1, C2, Count);
    } else if (Direction == gdVertical || Direction == gdHorizontal) {
      GradientBands(DC, Rect, C1, C2, Direction, Count);
    }
  } catch (...) {
    // As for pictures: a failed background never stops painting.
  }
}

// ---- Frames, depth, text ------------------------------------------------------------------------

void DrawButtonFrame(HDC DC, const TRect& Rect, bool Pushed) {
  TRect R = Rect;  // DFCS_ADJUSTRECT changes the rectangle it is given
  DrawFrameControl(DC, &R, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (Pushed ? DFCS_PUSHED : 0));
}

TlxScreenColorMode GetColorDepth() {
  TWindowDC Screen(nullptr);
  return ColorModeFromBits(Screen.Get() ? GetDeviceCaps(Screen.Get(), BITSPIXEL) : 0);
}

int GetDCTextWidth(HDC DC, const std::string& Text) {
  if (!DC) return 0;
  SIZE S{};
  if (!GetTextExtentPoint32A(DC, Text.data(), static_cast<int>(Text.size()), &S)) return 0;
  return S.cx;
}

int GetWndTextWidth(HWND Wnd, const std::string& Text) {
  if (!Wnd) return 0;
  TWindowDC DC(Wnd);
  return GetDCTextWidth(DC.Get(), Text);
}

int GetTextHeight(TCanvas* Canvas) { return Canvas->TextHeight("Wj"); }
