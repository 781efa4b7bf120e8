// Icons for the icon-list and tray-icon tests: made from seeded pixels, compared by their colour
// and mask bits.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace iconsupport {

enum TIconKind {
  ikMasked,  // no alpha; the left quarter transparent (black under the mask)
  ikAlpha,   // alpha 0x00, 0x80 or 0xFF per pixel
};

// A Size by Size icon; the same seed and kind give the same pixels.
inline HICON MakeIcon(int Size, unsigned Seed, TIconKind Kind) {
  BITMAPV5HEADER Header{};
  Header.bV5Size = sizeof Header;
  Header.bV5Width = Size;
  Header.bV5Height = -Size;
  Header.bV5Planes = 1;
  Header.bV5BitCount = 32;
  Header.bV5Compression = BI_RGB;
  void* Bits = nullptr;
  HBITMAP Colour = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&Header), DIB_RGB_COLORS, &Bits, nullptr, 0);
  auto* P = static_cast<uint32_t*>(Bits);
  for (int I = 0; I < Size * Size; ++I) {
    uint32_t C = (Seed * 2654435761u + static_cast<uint32_t>(I) * 40503u) & 0xFFFFFFu;
    uint32_t A = 0;
    if (Kind == ikAlpha) A = I % 3 == 0 ? 0x80 : I % 3 == 1 ? 0xFF : 0;
    else if (I % Size < Size / 4) C = 0;
    P[I] = (A << 24) | C;
  }
  GdiFlush();
  std::vector<uint8_t> MaskBits(static_cast<size_t>((Size + 15) / 16 * 2 * Size), 0);
  for (int Y = 0; Y < Size; ++Y)
    for (int X = 0; X < Size / 4; ++X) MaskBits[static_cast<size_t>(Y * ((Size + 15) / 16 * 2) + X / 8)] |= 0x80 >> (X % 8);
  HBITMAP Mask = CreateBitmap(Size, Size, 1, 1, MaskBits.data());
  ICONINFO Info{TRUE, 0, 0, Mask, Colour};
  HICON Icon = CreateIconIndirect(&Info);
  DeleteObject(Mask);
  DeleteObject(Colour);
  return Icon;
}

// Colour pixels (32-bit) followed by mask pixels (0 or 1) of an icon.
inline std::vector<uint32_t> IconBits(HICON Icon) {
  std::vector<uint32_t> Out;
  ICONINFO Info{};
  if (!Icon || !GetIconInfo(Icon, &Info)) return Out;
  BITMAP Bm{};
  GetObjectA(Info.hbmMask, sizeof Bm, &Bm);
  const int W = Bm.bmWidth;
  const int H = Info.hbmColor ? Bm.bmHeight : Bm.bmHeight / 2;
  BITMAPINFO Header{};
  Header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  Header.bmiHeader.biWidth = W;
  Header.bmiHeader.biHeight = -H;
  Header.bmiHeader.biPlanes = 1;
  Header.bmiHeader.biBitCount = 32;
  HDC DC = CreateCompatibleDC(nullptr);
  std::vector<uint32_t> Colour(static_cast<size_t>(W * H)), Mask(static_cast<size_t>(W * H));
  if (Info.hbmColor) GetDIBits(DC, Info.hbmColor, 0, static_cast<UINT>(H), Colour.data(), &Header, DIB_RGB_COLORS);
  GetDIBits(DC, Info.hbmMask, 0, static_cast<UINT>(H), Mask.data(), &Header, DIB_RGB_COLORS);
  DeleteDC(DC);
  if (Info.hbmColor) DeleteObject(Info.hbmColor);
  DeleteObject(Info.hbmMask);
  Out = Colour;
  for (uint32_t M : Mask) Out.push_back((M & 0xFFFFFF) ? 1 : 0);
  return Out;
}

// The bits of icon Index of List.
inline std::vector<uint32_t> ListIconBits(HIMAGELIST List, int Index) {
  HICON Icon = ImageList_GetIcon(List, Index, ILD_NORMAL);
  std::vector<uint32_t> Bits = IconBits(Icon);
  if (Icon) DestroyIcon(Icon);
  return Bits;
}

// Whether a handle still names an icon.
inline bool IsIconHandle(HICON Icon) {
  ICONINFO Info{};
  if (!GetIconInfo(Icon, &Info)) return false;
  if (Info.hbmColor) DeleteObject(Info.hbmColor);
  if (Info.hbmMask) DeleteObject(Info.hbmMask);
  return true;
}

// The bytes of an .ico file with one Size by Size image of 32 bits per pixel: opaque pixels of
// Colour (0xRRGGBB), the left quarter transparent.
inline std::string IcoFile(int Size, uint32_t Colour) {
  auto Put = [](std::string& Out, uint32_t Value, int Bytes) {
    for (int I = 0; I < Bytes; ++I) Out += static_cast<char>((Value >> (8 * I)) & 0xFF);
  };
  const uint32_t MaskRow = static_cast<uint32_t>((Size + 31) / 32 * 4);
  const uint32_t ImageBytes = 40 + static_cast<uint32_t>(Size * Size * 4) + MaskRow * static_cast<uint32_t>(Size);
  std::string F;
  Put(F, 0, 2), Put(F, 1, 2), Put(F, 1, 2);  // ICONDIR: an icon file with one image
  Put(F, static_cast<uint32_t>(Size % 256), 1), Put(F, static_cast<uint32_t>(Size % 256), 1), Put(F, 0, 2);
  Put(F, 1, 2), Put(F, 32, 2), Put(F, ImageBytes, 4), Put(F, 22, 4);
  Put(F, 40, 4), Put(F, static_cast<uint32_t>(Size), 4), Put(F, static_cast<uint32_t>(2 * Size), 4);  // BITMAPINFOHEADER
  Put(F, 1, 2), Put(F, 32, 2), Put(F, 0, 4), Put(F, 0, 4), Put(F, 0, 4), Put(F, 0, 4), Put(F, 0, 4), Put(F, 0, 4);
  for (int Y = 0; Y < Size; ++Y)
    for (int X = 0; X < Size; ++X) Put(F, X < Size / 4 ? 0 : 0xFF000000u | Colour, 4);
  for (int Y = 0; Y < Size; ++Y) {  // AND mask: set bits are transparent
    std::string Row(MaskRow, '\0');
    for (int X = 0; X < Size / 4; ++X) Row[static_cast<size_t>(X / 8)] |= static_cast<char>(0x80 >> (X % 8));
    F += Row;
  }
  return F;
}

}  // namespace iconsupport
