// Helpers of the graphics tests: 32-bit memory bitmaps, pixel reads and counts, hand-made files.
#pragma once

#include <cstring>
#include <functional>
#include <vector>

#include "classlib/Graphics.h"
#include "tests/support/TextPixels.h"

namespace gfxtest {

struct TChangeCounter {
  int Count = 0;
  void Hit(TObject*) { ++Count; }
};

// A white pf32bit bitmap.
inline TBitmap* NewBitmap(int W, int H) {
  TBitmap* B = TBitmap::Create();
  B->SetPixelFormat(pf32bit);
  B->SetSize(W, H);
  return B;
}

// The pixel as TColor (0x00BBGGRR), read through GDI so that every format works.
inline TColor Px(TBitmap* B, int X, int Y) { return B->Canvas()->Pixels(X, Y); }

inline int CountIn(TBitmap* B, const TRect& R, const std::function<bool(TColor)>& Match) {
  int N = 0;
  for (int Y = R.top; Y < R.bottom; ++Y)
    for (int X = R.left; X < R.right; ++X) N += Match(Px(B, X, Y)) ? 1 : 0;
  return N;
}

inline int CountColor(TBitmap* B, TColor C) {
  return CountIn(B, Rect(0, 0, B->Width(), B->Height()), [C](TColor P) { return P == C; });
}

inline bool AreaIs(TBitmap* B, const TRect& R, TColor C) {
  return CountIn(B, R, [C](TColor P) { return P == C; }) == (R.right - R.left) * (R.bottom - R.top);
}

// Pixels outside R that are not Ground: what text drew beyond its extent or clip rectangle.
inline int CountOutside(TBitmap* B, const TRect& R, TColor Ground) {
  int N = 0;
  for (int Y = 0; Y < B->Height(); ++Y)
    for (int X = 0; X < B->Width(); ++X)
      if ((X < R.left || X >= R.right || Y < R.top || Y >= R.bottom) && Px(B, X, Y) != Ground) ++N;
  return N;
}

// Red text on white, however the machine's fonts and anti-aliasing draw it.
inline bool IsRedInk(TColor P) { return textpixels::IsInk(P, clRed, clWhite); }

inline bool SameBytes(TCustomMemoryStream& A, TCustomMemoryStream& B) {
  return A.Size() == B.Size() && std::memcmp(A.Memory(), B.Memory(), static_cast<size_t>(A.Size())) == 0;
}

// A BMP file of 16, 24 or 32 bits without palette; Pixels are 0x00RRGGBB in file row order.
inline std::vector<uint8_t> MakeBmp(int W, int H, int Bits, const std::vector<uint32_t>& Pixels) {
  int Rows = H < 0 ? -H : H;
  int Stride = ((W * Bits + 31) / 32) * 4;
  std::vector<uint8_t> Out(54 + static_cast<size_t>(Stride) * Rows, 0);
  auto Put32 = [&](size_t At, uint32_t V) { std::memcpy(Out.data() + At, &V, 4); };
  auto Put16 = [&](size_t At, uint16_t V) { std::memcpy(Out.data() + At, &V, 2); };
  Out[0] = 'B';
  Out[1] = 'M';
  Put32(2, static_cast<uint32_t>(Out.size()));
  Put32(10, 54);
  Put32(14, 40);
  Put32(18, static_cast<uint32_t>(W));
  Put32(22, static_cast<uint32_t>(H));
  Put16(26, 1);
  Put16(28, static_cast<uint16_t>(Bits));
  for (int Y = 0; Y < Rows; ++Y)
    for (int X = 0; X < W && static_cast<size_t>(Y * W + X) < Pixels.size(); ++X) {
      uint32_t P = Pixels[static_cast<size_t>(Y * W + X)];
      uint8_t* D = Out.data() + 54 + static_cast<size_t>(Y) * Stride + X * (Bits / 8);
      D[0] = static_cast<uint8_t>(P);
      D[1] = static_cast<uint8_t>(P >> 8);
      D[2] = static_cast<uint8_t>(P >> 16);
    }
  return Out;
}

inline void LoadBytes(TGraphic* G, const std::vector<uint8_t>& Bytes) {
  TMemoryStream S;
  S.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
  S.SetPosition(0);
  G->LoadFromStream(S);
}

// A Size x Size icon: a red square inset by Border pixels; the border is transparent.
inline HICON MakeIcon(int Size, int Border, COLORREF Color = RGB(255, 0, 0)) {
  HDC Screen = GetDC(nullptr);
  HBITMAP ColorBits = CreateCompatibleBitmap(Screen, Size, Size);
  HBITMAP Mask = CreateBitmap(Size, Size, 1, 1, nullptr);
  HDC DC = CreateCompatibleDC(Screen);
  HGDIOBJ Old = SelectObject(DC, ColorBits);
  RECT All{0, 0, Size, Size}, Inner{Border, Border, Size - Border, Size - Border};
  FillRect(DC, &All, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HBRUSH Fill = CreateSolidBrush(Color);
  FillRect(DC, &Inner, Fill);
  SelectObject(DC, Mask);
  FillRect(DC, &All, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));  // 1: transparent
  FillRect(DC, &Inner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SelectObject(DC, Old);
  DeleteObject(Fill);
  DeleteDC(DC);
  ReleaseDC(nullptr, Screen);
  ICONINFO Info{TRUE, 0, 0, Mask, ColorBits};
  HICON Icon = CreateIconIndirect(&Info);
  DeleteObject(ColorBits);
  DeleteObject(Mask);
  return Icon;
}

}  // namespace gfxtest
