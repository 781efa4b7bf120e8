// Text pixels as any machine draws them. Glyph shapes, widths and anti-aliasing (none, grey or
// sub-pixel) depend on the fonts a machine has, so tests look only at where text lands and at its
// hue, never at exact pixels or at how many pixels are blends.
#pragma once

#include <windows.h>

#include <cstdlib>

namespace textpixels {

// A pixel of text drawn in Ink over Ground: every channel lies between Ground's and Ink's (any
// anti-aliasing blends channel by channel), and the pixel is at least halfway to Ink, so faint
// fringes do not count. Colours are 0x00BBGGRR (COLORREF or a plain TColor).
inline bool IsInk(unsigned long Pixel, unsigned long Ink, unsigned long Ground) {
  constexpr int kSlack = 8;  // rounding of gamma-corrected blends
  int Moved = 0, Span = 0;
  for (int Shift = 0; Shift < 24; Shift += 8) {
    const int P = (Pixel >> Shift) & 0xFF, I = (Ink >> Shift) & 0xFF, G = (Ground >> Shift) & 0xFF;
    if (P < (I < G ? I : G) - kSlack || P > (I > G ? I : G) + kSlack) return false;
    Moved += std::abs(P - G);
    Span += std::abs(I - G);
  }
  return Span > 0 && 2 * Moved >= Span;
}

}  // namespace textpixels
