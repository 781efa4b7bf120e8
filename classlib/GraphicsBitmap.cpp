// TBitmap: DIB sections, the BMP file format, bitmap resources and the bitmap canvas.
#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/Graphics.h"
#include "classlib/GraphicsFormats.h"
#include "classlib/GraphicsInternal.h"
#include "classlib/TypInfo.h"

using namespace graphics_detail;

namespace {
constexpr const char* SInvalidBitmap = "Bitmap image is not valid";

struct TFormatLayout {
  int BitCount;
  bool Bitfields565;
};

TFormatLayout LayoutOf(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return {1, false};
    case pf4bit: return {4, false};
    case pf8bit: return {8, false};
    case pf15bit: return {16, false};
    case pf16bit: return {16, true};
    case pf24bit: return {24, false};
    case pf32bit: return {32, false};
    default: break;
  }
  // pfDevice (and pfCustom): the screen's depth; true-colour screens keep 32-bit rows.
  TScreenDC DC;
  int Bits = DC.Get() ? GetDeviceCaps(DC.Get(), BITSPIXEL) : 32;
  switch (Bits) {
    case 1: return {1, false};
    case 4: return {4, false};
    case 8: return {8, false};
    case 15: return {16, false};
    case 16: return {16, true};
    default: return {32, false};
  }
}

TPixelFormat FormatOf(int BitCount, const DWORD* Masks, DWORD Compression) {
  switch (BitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16:
      return Compression == BI_BITFIELDS && Masks && Masks[1] == 0x07E0 ? pf16bit : pf15bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfCustom;
  }
}

uint32_t StrideOf(int Width, int BitCount) {
  return static_cast<uint32_t>(((static_cast<uint64_t>(Width) * BitCount + 31) / 32) * 4);
}

// The colour tables of new images: black first and white last, so that "all bits set" is white.
void FillDefaultPalette(RGBQUAD* Colors, int BitCount) {
  auto Put = [&](int I, BYTE R, BYTE G, BYTE B) { Colors[I] = RGBQUAD{B, G, R, 0}; };
  if (BitCount == 1) {
    Put(0, 0, 0, 0);
    Put(1, 255, 255, 255);
  } else if (BitCount == 4) {
    static constexpr BYTE kVga[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                         {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
                                         {192, 192, 192}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                                         {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (int I = 0; I < 16; ++I) Put(I, kVga[I][0], kVga[I][1], kVga[I][2]);
  } else if (BitCount == 8) {
    // A 6x6x6 colour cube, greys between 16 and 240 (none close to black or white: GDI's
    // colour matching may otherwise take a near-black grey for black), and white last.
    int I = 0;
    for (int R = 0; R < 6; ++R)
      for (int G = 0; G < 6; ++G)
        for (int B = 0; B < 6; ++B) Put(I++, BYTE(R * 51), BYTE(G * 51), BYTE(B * 51));
    for (int K = 0; I < 255; ++I, ++K) {
      BYTE V = static_cast<BYTE>(16 + K * 224 / 38);
      Put(I, V, V, V);
    }
    Put(255, 255, 255, 255);
  }
}

struct TDibInfo {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];  // or the three bit-field masks
};

HBITMAP CreateDib(const TDibInfo& Info, void** Bits) {
  *Bits = nullptr;
  return CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&Info), DIB_RGB_COLORS, Bits,
                          nullptr, 0);
}

bool IsDibSection(HBITMAP H, DIBSECTION& DS) {
  return H && GetObjectA(H, sizeof DS, &DS) == sizeof DS;
}
}  // namespace

namespace graphics_detail {
HBITMAP CreateWhiteDib(int Width, int Height, int BitCount, const DWORD* Masks) {
  TDibInfo Info{};
  Info.Header.biSize = sizeof(BITMAPINFOHEADER);
  Info.Header.biWidth = Width;
  Info.Header.biHeight = Height;
  Info.Header.biPlanes = 1;
  Info.Header.biBitCount = static_cast<WORD>(BitCount);
  Info.Header.biCompression = Masks ? BI_BITFIELDS : BI_RGB;
  if (Masks) std::memcpy(Info.Colors, Masks, 3 * sizeof(DWORD));
  else FillDefaultPalette(Info.Colors, BitCount);
  void* Bits;
  HBITMAP H = CreateDib(Info, &Bits);
  if (H && Bits) {
    GdiFlush();
    size_t Size = static_cast<size_t>(StrideOf(Width, BitCount)) * Height;
    if (BitCount == 32) {
      // White with a zero alpha byte, as GDI leaves what it draws: no alpha channel to honour.
      auto* Pixel = static_cast<uint32_t*>(Bits);
      std::fill(Pixel, Pixel + Size / 4, 0x00FFFFFFu);
    } else {
      std::memset(Bits, 0xFF, Size);
    }
  }
  return H;
}
}  // namespace graphics_detail

// ---- TBitmapCanvas ------------------------------------------------------------------------------

// The canvas of a bitmap: a memory DC of its own with the bitmap selected, made on demand.
class TBitmapCanvas : public TCanvas {
  VD_CLASS(TBitmapCanvas, TCanvas);

public:
  explicit TBitmapCanvas(TBitmap* ABitmap) : FBitmap(ABitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!HandleAllocated()) return;
    if (FOldBitmap) SelectObject(Handle(), FOldBitmap);
    FOldBitmap = nullptr;
    SetHandle(nullptr);
  }

protected:
  void CreateHandle() override {
    HDC DC = Track(CreateCompatibleDC(nullptr));
    if (!DC) return;
    if (FBitmap->FHandle) FOldBitmap = SelectObject(DC, FBitmap->FHandle);
    SetHandle(DC, true);
  }

private:
  TBitmap* FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
};

VD_DEFINE_CLASS(TBitmapCanvas) {}

// ---- TBitmap ------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TBitmap) {}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  if (FCanvas) FCanvas->Free();
  DeleteTracked(FHandle);
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = TBitmapCanvas::Create(this);
    FCanvas->OnChange = MakeEvent<&TBitmap::CanvasChanged>(this);
  }
  return FCanvas;
}

void TBitmap::CanvasChanged(TObject*) { Changed(this); }

void TBitmap::FreeContext() {
  if (FCanvas && FCanvas->LockCount() == 0) FCanvas->FreeContext();
}

HBITMAP TBitmap::Handle() {
  FreeContext();
  return FHandle;
}

void TBitmap::ReplaceHandle(HBITMAP Value) {
  if (FCanvas) FCanvas->FreeContext();
  if (Value != FHandle) DeleteTracked(FHandle);
  FHandle = Value;
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  ReplaceHandle(Track(Value));
  BITMAP BM{};
  if (Value && GetObjectA(Value, sizeof BM, &BM)) {
    FWidth = BM.bmWidth;
    FHeight = BM.bmHeight;
    FPixelFormat = PixelFormat();
  } else {
    FWidth = FHeight = 0;
  }
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  if (FCanvas) FCanvas->FreeContext();
  HBITMAP H = FHandle;
  FHandle = nullptr;
  FWidth = FHeight = 0;
  if (H) CountDeleted();  // the caller owns it now
  Changed(this);
  return H;
}

void TBitmap::NewImage(int AWidth, int AHeight, TPixelFormat Format, HBITMAP CopyFrom) {
  if (AWidth <= 0 || AHeight <= 0) {
    ReplaceHandle(nullptr);
    return;
  }
  TFormatLayout Layout = LayoutOf(Format);
  static const DWORD kMasks565[3] = {0xF800, 0x07E0, 0x001F};
  HBITMAP New = Track(CreateWhiteDib(AWidth, AHeight, Layout.BitCount,
                                     Layout.Bitfields565 ? kMasks565 : nullptr));
  if (!New) throw EOutOfResources("Out of system resources");
  if (CopyFrom) {
    if (FCanvas) FCanvas->FreeContext();  // the old image may not stay selected elsewhere
    TMemoryDC Src, Dst;
    Src.SelectBitmap(CopyFrom);
    Dst.SelectBitmap(New);
    BITMAP BM{};
    GetObjectA(CopyFrom, sizeof BM, &BM);
    BitBlt(Dst.Get(), 0, 0, std::min(AWidth, static_cast<int>(BM.bmWidth)),
           std::min(AHeight, static_cast<int>(BM.bmHeight)), Src.Get(), 0, 0, SRCCOPY);
  }
  ReplaceHandle(New);
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  NewImage(AWidth, AHeight, FPixelFormat, FHandle);
  FWidth = AWidth;
  FHeight = AHeight;
  Changed(this);
}

TPixelFormat TBitmap::PixelFormat() {
  if (!FHandle) return FPixelFormat;
  DIBSECTION DS{};
  if (!IsDibSection(FHandle, DS)) return pfDevice;
  return FormatOf(DS.dsBm.bmBitsPixel, DS.dsBitfields, DS.dsBmih.biCompression);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pfCustom) return;
  TPixelFormat Current = PixelFormat();
  FPixelFormat = Value;
  if (!FHandle) return;
  TFormatLayout Want = LayoutOf(Value);
  DIBSECTION DS{};
  if (Value == Current ||
      (Value == pfDevice && IsDibSection(FHandle, DS) && DS.dsBm.bmBitsPixel == Want.BitCount))
    return;
  NewImage(FWidth, FHeight, Value, FHandle);
  Changed(this);
}

void* TBitmap::ScanLine(int Row) {
  if (!FHandle || Row < 0 || Row >= FHeight)
    throw EInvalidGraphicOperation("Scan line index out of range");
  DIBSECTION DS{};
  if (!IsDibSection(FHandle, DS)) {
    NewImage(FWidth, FHeight, pfDevice, FHandle);
    if (!IsDibSection(FHandle, DS)) throw EInvalidGraphicOperation("Scan line index out of range");
  }
  GdiFlush();
  uint32_t Stride = StrideOf(DS.dsBm.bmWidth, DS.dsBm.bmBitsPixel);
  int Line = DS.dsBmih.biHeight > 0 ? FHeight - 1 - Row : Row;
  return static_cast<uint8_t*>(DS.dsBm.bmBits) + static_cast<size_t>(Stride) * Line;
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  if (Value == tmFixed && FTransparentColor == clDefault) FTransparentColor = TransparentColor();
  FTransparentMode = Value;
  Changed(this);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  HDC Dest = ACanvas->Handle();
  HDC Src = Canvas()->Handle();
  int W = Rect.right - Rect.left, H = Rect.bottom - Rect.top;
  int OldStretch = SetStretchBltMode(Dest, COLORONCOLOR);
  // A one-bit image takes the destination's text and background colours: keep it black on white.
  COLORREF OldText = SetTextColor(Dest, RGB(0, 0, 0));
  COLORREF OldBk = SetBkColor(Dest, RGB(255, 255, 255));
  if (Transparent())
    TransparentBlt(Dest, Rect.left, Rect.top, W, H, Src, 0, 0, FWidth, FHeight,
                   ColorToRGB(TransparentColor()));
  else
    StretchBlt(Dest, Rect.left, Rect.top, W, H, Src, 0, 0, FWidth, FHeight, ACanvas->CopyMode());
  SetBkColor(Dest, OldBk);
  SetTextColor(Dest, OldText);
  SetStretchBltMode(Dest, OldStretch);
}

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    ReplaceHandle(nullptr);
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  if (auto* B = dynamic_cast<TBitmap*>(Source)) {
    if (B == this) return;
    if (B->Empty()) {
      ReplaceHandle(nullptr);
      FWidth = B->FWidth;
      FHeight = B->FHeight;
      FPixelFormat = B->FPixelFormat;
    } else {
      // Through the file format: exact for every pixel format and colour table.
      TMemoryStream Copy;
      B->SaveToStream(Copy);
      Copy.SetPosition(0);
      LoadFromStream(Copy);
    }
    FTransparentColor = B->FTransparentColor;
    FTransparentMode = B->FTransparentMode;
    SetTransparent(B->Transparent());
    Changed(this);
    return;
  }
  if (auto* G = dynamic_cast<TGraphic*>(Source)) {
    ReplaceHandle(nullptr);
    FWidth = FHeight = 0;
    SetSize(G->Width(), G->Height());
    Canvas()->Draw(0, 0, G);
    return;
  }
  inherited::Assign(Source);
}

// ---- BMP files ----------------------------------------------------------------------------------

void TBitmap::LoadFromDib(const uint8_t* Data, size_t Size, int64_t BitsOffset) {
  gfxfmt::TDibLayout L;
  std::string Why;
  if (!gfxfmt::ParseDib(Data, Size, BitsOffset, L, Why)) throw EInvalidGraphic(SInvalidBitmap);

  TDibInfo Info{};
  Info.Header.biSize = sizeof(BITMAPINFOHEADER);
  Info.Header.biWidth = L.Width;
  Info.Header.biHeight = L.Height;
  Info.Header.biPlanes = 1;
  Info.Header.biBitCount = L.BitCount;
  Info.Header.biCompression = L.Compression == gfxfmt::kCompressionBitfields ? BI_BITFIELDS : BI_RGB;
  if (L.MaskOffset) {
    std::memcpy(Info.Colors, L.Masks, sizeof L.Masks);
  } else if (L.BitCount <= 8) {
    Info.Header.biClrUsed = L.PaletteCount;
    for (uint32_t I = 0; I < L.PaletteCount; ++I) {
      const uint8_t* P = Data + L.PaletteOffset + I * L.PaletteEntrySize;
      Info.Colors[I] = RGBQUAD{P[0], P[1], P[2], 0};
    }
  }
  void* Bits;
  HBITMAP New = Track(CreateDib(Info, &Bits));
  if (!New || !Bits) {
    DeleteTracked(New);
    throw EOutOfResources("Out of system resources");
  }
  // Our images are bottom-up; a top-down file has its rows turned over.
  const uint8_t* Src = Data + L.BitsOffset;
  auto* Dst = static_cast<uint8_t*>(Bits);
  if (L.TopDown) {
    for (int32_t Y = 0; Y < L.Height; ++Y)
      std::memcpy(Dst + static_cast<size_t>(L.Stride) * (L.Height - 1 - Y),
                  Src + static_cast<size_t>(L.Stride) * Y, L.Stride);
  } else {
    std::memcpy(Dst, Src, static_cast<size_t>(L.ImageSize));
  }
  ReplaceHandle(New);
  FWidth = L.Width;
  FHeight = L.Height;
  FPixelFormat = PixelFormat();
  Changed(this);
}

void TBitmap::LoadFromStream(TStream& Stream) {
  uint8_t Head[gfxfmt::kBmpFileHeaderSize];
  Stream.ReadBuffer(Head, sizeof Head);
  gfxfmt::TBmpFileHeader FH;
  std::string Why;
  if (!gfxfmt::ParseBmpFileHeader(Head, sizeof Head, FH, Why)) throw EInvalidGraphic(SInvalidBitmap);
  CheckAvailable(Stream, FH.FileSize - gfxfmt::kBmpFileHeaderSize);
  std::vector<uint8_t> Dib(FH.FileSize - gfxfmt::kBmpFileHeaderSize);
  Stream.ReadBuffer(Dib.data(), static_cast<int32_t>(Dib.size()));
  // A file with a width or height of 0 stands for an empty bitmap.
  if (Dib.size() >= gfxfmt::kInfoHeaderSize && gfxfmt::Get32(Dib.data()) >= gfxfmt::kInfoHeaderSize &&
      (gfxfmt::Get32(Dib.data() + 4) == 0 || gfxfmt::Get32(Dib.data() + 8) == 0)) {
    ReplaceHandle(nullptr);
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  LoadFromDib(Dib.data(), Dib.size(), static_cast<int64_t>(FH.OffBits) - gfxfmt::kBmpFileHeaderSize);
}

void TBitmap::SaveToStream(TStream& Stream) {
  std::vector<uint8_t> Out;
  auto PutHeader = [&](int W, int H, int BitCount, DWORD Compression, uint32_t Colors,
                       uint32_t Extra, uint32_t ImageSize) {
    uint32_t OffBits = gfxfmt::kBmpFileHeaderSize + gfxfmt::kInfoHeaderSize + Extra;
    Out.push_back('B');
    Out.push_back('M');
    gfxfmt::Put32(Out, OffBits + ImageSize);
    gfxfmt::Put32(Out, 0);
    gfxfmt::Put32(Out, OffBits);
    gfxfmt::Put32(Out, gfxfmt::kInfoHeaderSize);
    gfxfmt::Put32(Out, static_cast<uint32_t>(W));
    gfxfmt::Put32(Out, static_cast<uint32_t>(H));
    gfxfmt::Put16(Out, 1);
    gfxfmt::Put16(Out, static_cast<uint16_t>(BitCount));
    gfxfmt::Put32(Out, Compression);
    gfxfmt::Put32(Out, ImageSize);
    gfxfmt::Put32(Out, 0);
    gfxfmt::Put32(Out, 0);
    gfxfmt::Put32(Out, Colors);
    gfxfmt::Put32(Out, 0);
  };
  if (Empty()) {
    PutHeader(0, 0, 32, BI_RGB, 0, 0, 0);
    Stream.WriteBuffer(Out.data(), static_cast<int32_t>(Out.size()));
    return;
  }

  DIBSECTION DS{};
  if (!IsDibSection(FHandle, DS)) NewImage(FWidth, FHeight, pf32bit, FHandle);  // a DDB handed in
  if (!IsDibSection(FHandle, DS)) throw EInvalidGraphicOperation(SInvalidBitmap);
  GdiFlush();
  int BitCount = DS.dsBm.bmBitsPixel;
  uint32_t Stride = StrideOf(FWidth, BitCount);
  uint32_t ImageSize = Stride * static_cast<uint32_t>(FHeight);
  RGBQUAD Colors[256];
  uint32_t ColorCount = 0;
  if (BitCount <= 8) {
    // The colour table is read through a DC holding the bitmap: its canvas DC when it has one.
    bool OwnDC = !(FCanvas && FCanvas->HandleAllocated());
    TMemoryDC Temp;
    if (OwnDC) Temp.SelectBitmap(FHandle);
    ColorCount = GetDIBColorTable(OwnDC ? Temp.Get() : FCanvas->Handle(), 0, 1u << BitCount, Colors);
  }
  // Masks are written only when they differ from the default layout of the bit count.
  bool Bitfields = DS.dsBmih.biCompression == BI_BITFIELDS &&
                   !(BitCount == 16 && DS.dsBitfields[0] == 0x7C00 && DS.dsBitfields[1] == 0x03E0 &&
                     DS.dsBitfields[2] == 0x001F) &&
                   !(BitCount == 32 && DS.dsBitfields[0] == 0xFF0000 && DS.dsBitfields[1] == 0xFF00 &&
                     DS.dsBitfields[2] == 0xFF);
  uint32_t Extra = Bitfields ? 12 : ColorCount * 4;
  PutHeader(FWidth, FHeight, BitCount, Bitfields ? BI_BITFIELDS : BI_RGB, ColorCount, Extra, ImageSize);
  if (Bitfields)
    for (int I = 0; I < 3; ++I) gfxfmt::Put32(Out, DS.dsBitfields[I]);
  for (uint32_t I = 0; I < ColorCount; ++I) {
    Out.push_back(Colors[I].rgbBlue);
    Out.push_back(Colors[I].rgbGreen);
    Out.push_back(Colors[I].rgbRed);
    Out.push_back(0);
  }
  size_t At = Out.size();
  Out.resize(At + ImageSize);
  const auto* Bits = static_cast<const uint8_t*>(DS.dsBm.bmBits);
  if (DS.dsBmih.biHeight > 0) {
    std::memcpy(Out.data() + At, Bits, ImageSize);
  } else {
    for (int Y = 0; Y < FHeight; ++Y)
      std::memcpy(Out.data() + At + static_cast<size_t>(Stride) * (FHeight - 1 - Y),
                  Bits + static_cast<size_t>(Stride) * Y, Stride);
  }
  Stream.WriteBuffer(Out.data(), static_cast<int32_t>(Out.size()));
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const std::string& ResName) {
  HRSRC Res = FindResourceA(Instance, ResName.c_str(), MAKEINTRESOURCEA(2) /*RT_BITMAP*/);
  if (!Res) throw EResNotFound("Resource " + ResName + " not found");
  HGLOBAL Global = LoadResource(Instance, Res);
  const auto* Data = static_cast<const uint8_t*>(LockResource(Global));
  if (!Data) throw EResNotFound("Resource " + ResName + " not found");
  LoadFromDib(Data, SizeofResource(Instance, Res), -1);
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID) {
  HRSRC Res = FindResourceA(Instance, MAKEINTRESOURCEA(ResID), MAKEINTRESOURCEA(2) /*RT_BITMAP*/);
  if (!Res) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  HGLOBAL Global = LoadResource(Instance, Res);
  const auto* Data = static_cast<const uint8_t*>(LockResource(Global));
  if (!Data) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  LoadFromDib(Data, SizeofResource(Instance, Res), -1);
}

void TBitmap::ReadData(TStream& Stream) {
  uint32_t Size = 0;
  Stream.ReadBuffer(&Size, 4);
  if (Size == 0) {
    Assign(nullptr);
    return;
  }
  if (Size > gfxfmt::kMaxImageBytes + 0x10000) throw EInvalidGraphic(SInvalidBitmap);
  CheckAvailable(Stream, Size);
  TMemoryStream Data;
  Data.SetSize(Size);
  Stream.ReadBuffer(Data.Memory(), static_cast<int32_t>(Size));
  Data.SetPosition(0);
  LoadFromStream(Data);
}

void TBitmap::WriteData(TStream& Stream) {
  uint32_t Size = 0;
  if (Empty()) {
    Stream.WriteBuffer(&Size, 4);
    return;
  }
  TMemoryStream Data;
  SaveToStream(Data);
  Size = static_cast<uint32_t>(Data.Size());
  Stream.WriteBuffer(&Size, 4);
  Stream.WriteBuffer(Data.Memory(), static_cast<int32_t>(Size));
}
