// TIcon (icon files and HICONs) and TMetafile (enhanced and placeable Windows metafiles).
#include <cstring>
#include <vector>

#include "classlib/Graphics.h"
#include "classlib/GraphicsFormats.h"
#include "classlib/GraphicsInternal.h"
#include "classlib/TypInfo.h"

using namespace graphics_detail;

namespace {
constexpr const char* SInvalidIcon = "Icon image is not valid";
constexpr const char* SInvalidMetafile = "Metafile is not valid";

// The two bitmaps GetIconInfo hands out, deleted at the end of the scope.
struct TIconBitmaps {
  ICONINFO Info{};
  bool Valid = false;
  explicit TIconBitmaps(HICON Icon) { Valid = GetIconInfo(Icon, &Info) != FALSE; }
  TIconBitmaps(const TIconBitmaps&) = delete;
  TIconBitmaps& operator=(const TIconBitmaps&) = delete;
  ~TIconBitmaps() {
    if (Info.hbmColor) DeleteObject(Info.hbmColor);
    if (Info.hbmMask) DeleteObject(Info.hbmMask);
  }
};

// Rows of Bitmap, bottom-up, at BitCount bits (1: black and white).
std::vector<uint8_t> ReadRows(HBITMAP Bitmap, int Width, int Rows, int BitCount) {
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[2];
  } Info{};
  Info.Header.biSize = sizeof(BITMAPINFOHEADER);
  Info.Header.biWidth = Width;
  Info.Header.biHeight = Rows;
  Info.Header.biPlanes = 1;
  Info.Header.biBitCount = static_cast<WORD>(BitCount);
  Info.Header.biCompression = BI_RGB;
  size_t Stride = ((static_cast<size_t>(Width) * BitCount + 31) / 32) * 4;
  std::vector<uint8_t> Bits(Stride * Rows);
  TScreenDC DC;
  if (GetDIBits(DC.Get(), Bitmap, 0, Rows, Bits.data(), reinterpret_cast<BITMAPINFO*>(&Info),
                DIB_RGB_COLORS) != Rows)
    throw EInvalidGraphic(SInvalidIcon);
  return Bits;
}

void PutInfoHeader(std::vector<uint8_t>& Out, int Width, int Height, int BitCount, uint32_t ImageSize) {
  gfxfmt::Put32(Out, gfxfmt::kInfoHeaderSize);
  gfxfmt::Put32(Out, static_cast<uint32_t>(Width));
  gfxfmt::Put32(Out, static_cast<uint32_t>(Height));
  gfxfmt::Put16(Out, 1);
  gfxfmt::Put16(Out, static_cast<uint16_t>(BitCount));
  gfxfmt::Put32(Out, 0);
  gfxfmt::Put32(Out, ImageSize);
  for (int I = 0; I < 4; ++I) gfxfmt::Put32(Out, 0);
}

// A one-image icon file for Icon: 32-bit colour with its AND mask, or for a monochrome icon the
// one-bit XOR and AND halves.
std::vector<uint8_t> BuildIconFile(HICON Icon) {
  TIconBitmaps Parts(Icon);
  if (!Parts.Valid || !Parts.Info.hbmMask) throw EInvalidGraphic(SInvalidIcon);
  BITMAP Mask{};
  GetObjectA(Parts.Info.hbmMask, sizeof Mask, &Mask);
  int W = Mask.bmWidth;
  int H = Parts.Info.hbmColor ? Mask.bmHeight : Mask.bmHeight / 2;
  if (W <= 0 || H <= 0 || W > 256 || H > 256) throw EInvalidGraphic(SInvalidIcon);

  std::vector<uint8_t> Image;  // the info header, palette and both masks
  if (Parts.Info.hbmColor) {
    std::vector<uint8_t> Xor = ReadRows(Parts.Info.hbmColor, W, H, 32);
    std::vector<uint8_t> And = ReadRows(Parts.Info.hbmMask, W, H, 1);
    PutInfoHeader(Image, W, 2 * H, 32, static_cast<uint32_t>(Xor.size() + And.size()));
    Image.insert(Image.end(), Xor.begin(), Xor.end());
    Image.insert(Image.end(), And.begin(), And.end());
  } else {
    // Bottom-up rows of the double-height mask: the XOR half first, then the AND half.
    std::vector<uint8_t> Both = ReadRows(Parts.Info.hbmMask, W, 2 * H, 1);
    PutInfoHeader(Image, W, 2 * H, 1, static_cast<uint32_t>(Both.size()));
    gfxfmt::Put32(Image, 0x00000000);
    gfxfmt::Put32(Image, 0x00FFFFFF);
    Image.insert(Image.end(), Both.begin(), Both.end());
  }
  std::vector<uint8_t> Out;
  gfxfmt::Put16(Out, 0);
  gfxfmt::Put16(Out, 1);
  gfxfmt::Put16(Out, 1);
  Out.push_back(static_cast<uint8_t>(W >= 256 ? 0 : W));
  Out.push_back(static_cast<uint8_t>(H >= 256 ? 0 : H));
  Out.push_back(Parts.Info.hbmColor ? 0 : 2);
  Out.push_back(0);
  gfxfmt::Put16(Out, 1);
  gfxfmt::Put16(Out, Parts.Info.hbmColor ? 32 : 1);
  gfxfmt::Put32(Out, static_cast<uint32_t>(Image.size()));
  gfxfmt::Put32(Out, gfxfmt::kIconDirSize + gfxfmt::kIconDirEntrySize);
  Out.insert(Out.end(), Image.begin(), Image.end());
  return Out;
}
}  // namespace

// ---- TIcon --------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TIcon) {}

TIcon::~TIcon() { FreeIcon(); }

void TIcon::FreeIcon() {
  DestroyTrackedIcon(FHandle);
  FHandle = nullptr;
  FData.clear();
  FWidth = FHeight = 0;
}

void TIcon::NeedSize() {
  if (FWidth || !FHandle) return;
  TIconBitmaps Parts(FHandle);
  BITMAP Mask{};
  if (Parts.Valid && Parts.Info.hbmMask && GetObjectA(Parts.Info.hbmMask, sizeof Mask, &Mask)) {
    FWidth = Mask.bmWidth;
    FHeight = Parts.Info.hbmColor ? Mask.bmHeight : Mask.bmHeight / 2;
  }
}

int TIcon::Width() {
  NeedSize();
  return FWidth;
}

int TIcon::Height() {
  NeedSize();
  return FHeight;
}

void TIcon::SetWidth(int Value) {
  if (Value != Width()) throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int Value) {
  if (Value != Height()) throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

HICON TIcon::Handle() { return FHandle; }

void TIcon::SetHandle(HICON Value) {
  if (Value == FHandle) {
    if (FData.empty()) return;
    FData.clear();  // the same icon, no longer tied to the file it came from
  } else {
    FreeIcon();
    FHandle = Track(Value);
  }
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON H = FHandle;
  FHandle = nullptr;
  FreeIcon();
  if (H) CountDeleted();  // the caller owns it now
  return H;
}

void TIcon::Assign(TPersistent* Source) {
  if (!Source) {
    FreeIcon();
    Changed(this);
    return;
  }
  if (auto* I = dynamic_cast<TIcon*>(Source)) {
    if (I == this) return;
    if (!I->FData.empty()) {
      TMemoryStream Copy;
      Copy.WriteBuffer(I->FData.data(), static_cast<int32_t>(I->FData.size()));
      Copy.SetPosition(0);
      LoadFromStream(Copy);
    } else {
      SetHandle(I->FHandle ? CopyIcon(I->FHandle) : nullptr);
    }
    return;
  }
  inherited::Assign(Source);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!FHandle) return;
  DrawIconEx(ACanvas->Handle(), Rect.left, Rect.top, FHandle, Rect.right - Rect.left,
             Rect.bottom - Rect.top, 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream& Stream) {
  std::vector<uint8_t> Data(gfxfmt::kIconDirSize);
  Stream.ReadBuffer(Data.data(), gfxfmt::kIconDirSize);
  uint16_t Count = gfxfmt::Get16(Data.data() + 4);
  if (gfxfmt::Get16(Data.data()) != 0 || gfxfmt::Get16(Data.data() + 2) != 1 || Count == 0)
    throw EInvalidGraphic(SInvalidIcon);
  Data.resize(gfxfmt::kIconDirSize + static_cast<size_t>(Count) * gfxfmt::kIconDirEntrySize);
  Stream.ReadBuffer(Data.data() + gfxfmt::kIconDirSize, Count * gfxfmt::kIconDirEntrySize);

  std::vector<gfxfmt::TIconDirEntry> Entries;
  uint64_t Extent = 0;
  std::string Why;
  if (!gfxfmt::ParseIconDir(Data.data(), Data.size(), Entries, Why) ||
      !gfxfmt::IconFileExtent(Entries, Extent, Why))
    throw EInvalidGraphic(SInvalidIcon);
  size_t DirSize = Data.size();
  CheckAvailable(Stream, Extent - DirSize);
  Data.resize(static_cast<size_t>(Extent));
  Stream.ReadBuffer(Data.data() + DirSize, static_cast<int32_t>(Extent - DirSize));

  int Pick = gfxfmt::ChooseIconEntry(Entries, static_cast<uint32_t>(GetSystemMetrics(SM_CXICON)),
                                     static_cast<uint32_t>(GetSystemMetrics(SM_CYICON)));
  const gfxfmt::TIconDirEntry& E = Entries[static_cast<size_t>(Pick)];
  if (!gfxfmt::CheckIconImage(Data.data() + E.ImageOffset, E.BytesInRes, Why))
    throw EInvalidGraphic(SInvalidIcon);
  HICON New = CreateIconFromResourceEx(Data.data() + E.ImageOffset, E.BytesInRes, TRUE, 0x00030000,
                                       static_cast<int>(E.Width), static_cast<int>(E.Height),
                                       LR_DEFAULTCOLOR);
  if (!New) throw EInvalidGraphic(SInvalidIcon);
  FreeIcon();
  FHandle = Track(New);
  FData = std::move(Data);
  FWidth = static_cast<int>(E.Width);
  FHeight = static_cast<int>(E.Height);
  Changed(this);
}

void TIcon::SaveToStream(TStream& Stream) {
  if (!FData.empty()) {
    Stream.WriteBuffer(FData.data(), static_cast<int32_t>(FData.size()));
  } else if (FHandle) {
    std::vector<uint8_t> File = BuildIconFile(FHandle);
    Stream.WriteBuffer(File.data(), static_cast<int32_t>(File.size()));
  }
}

// ---- TMetafile ----------------------------------------------------------------------------------

VD_DEFINE_CLASS(TMetafile) {}

namespace {
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kPlaceableHeaderSize = 22;
constexpr uint32_t kEmfHeaderMin = 88;  // the ENHMETAHEADER up to nPalEntries
}  // namespace

TMetafile::~TMetafile() { DeleteTrackedMetafile(FHandle); }

void TMetafile::Adopt(HENHMETAFILE Value, bool TakeSize) {
  if (Value != FHandle) DeleteTrackedMetafile(FHandle);
  FHandle = Value;
  if (TakeSize && Value) {
    ENHMETAHEADER Header{};
    if (GetEnhMetaFileHeader(Value, sizeof Header, &Header)) {
      FMMWidth = Header.rclFrame.right - Header.rclFrame.left;
      FMMHeight = Header.rclFrame.bottom - Header.rclFrame.top;
    }
  }
  if (!Value) FMMWidth = FMMHeight = 0;
}

void TMetafile::SetHandle(HENHMETAFILE Value) {
  if (Value == FHandle) return;
  Adopt(Track(Value), true);
  Changed(this);
}

HENHMETAFILE TMetafile::ReleaseHandle() {
  HENHMETAFILE H = FHandle;
  FHandle = nullptr;
  FMMWidth = FMMHeight = 0;
  if (H) CountDeleted();  // the caller owns it now
  Changed(this);
  return H;
}

int TMetafile::Width() { return MulDiv(FMMWidth, ScreenLogPixels(), 2540); }
int TMetafile::Height() { return MulDiv(FMMHeight, ScreenLogPixels(), 2540); }
void TMetafile::SetWidth(int Value) { SetMMWidth(MulDiv(Value, 2540, ScreenLogPixels())); }
void TMetafile::SetHeight(int Value) { SetMMHeight(MulDiv(Value, 2540, ScreenLogPixels())); }

void TMetafile::SetMMWidth(int Value) {
  if (Value == FMMWidth) return;
  FMMWidth = Value;
  Changed(this);
}

void TMetafile::SetMMHeight(int Value) {
  if (Value == FMMHeight) return;
  FMMHeight = Value;
  Changed(this);
}

void TMetafile::Assign(TPersistent* Source) {
  if (!Source) {
    SetHandle(nullptr);
    return;
  }
  if (auto* M = dynamic_cast<TMetafile*>(Source)) {
    if (M == this) return;
    HENHMETAFILE Copy = M->FHandle ? Track(CopyEnhMetaFileA(M->FHandle, nullptr)) : nullptr;
    Adopt(Copy, false);
    FMMWidth = M->FMMWidth;
    FMMHeight = M->FMMHeight;
    FEnhanced = M->FEnhanced;
    FInch = M->FInch;
    Changed(this);
    return;
  }
  inherited::Assign(Source);
}

void TMetafile::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (FHandle) PlayEnhMetaFile(ACanvas->Handle(), FHandle, &Rect);
}

void TMetafile::LoadFromStream(TStream& Stream) {
  uint8_t Head[kPlaceableHeaderSize];
  Stream.ReadBuffer(Head, 4);
  uint32_t First = gfxfmt::Get32(Head);
  HENHMETAFILE New = nullptr;
  int MMW = 0, MMH = 0;
  bool Enhanced = true;
  int Inch = FInch;

  if (First == kPlaceableKey) {
    Stream.ReadBuffer(Head + 4, kPlaceableHeaderSize - 4);
    auto Coord = [&](int At) { return static_cast<int16_t>(gfxfmt::Get16(Head + At)); };
    int Width = Coord(10) - Coord(6), Height = Coord(12) - Coord(8);
    Inch = gfxfmt::Get16(Head + 14);
    if (Width <= 0 || Height <= 0 || Inch == 0) throw EInvalidGraphic(SInvalidMetafile);
    uint8_t MetaHeader[18];
    Stream.ReadBuffer(MetaHeader, sizeof MetaHeader);
    uint64_t Bytes = static_cast<uint64_t>(gfxfmt::Get32(MetaHeader + 6)) * 2;
    if (gfxfmt::Get16(MetaHeader + 2) != 9 || Bytes < sizeof MetaHeader || Bytes > gfxfmt::kMaxImageBytes)
      throw EInvalidGraphic(SInvalidMetafile);
    CheckAvailable(Stream, Bytes - sizeof MetaHeader);
    std::vector<uint8_t> Data(static_cast<size_t>(Bytes));
    std::memcpy(Data.data(), MetaHeader, sizeof MetaHeader);
    Stream.ReadBuffer(Data.data() + sizeof MetaHeader, static_cast<int32_t>(Bytes - sizeof MetaHeader));
    MMW = MulDiv(Width, 2540, Inch);
    MMH = MulDiv(Height, 2540, Inch);
    METAFILEPICT Pict{MM_ANISOTROPIC, MMW, MMH, nullptr};
    New = SetWinMetaFileBits(static_cast<UINT>(Bytes), Data.data(), nullptr, &Pict);
    Enhanced = false;
  } else if (First == EMR_HEADER) {
    uint8_t Header[kEmfHeaderMin];
    std::memcpy(Header, Head, 4);
    Stream.ReadBuffer(Header + 4, kEmfHeaderMin - 4);
    uint32_t RecordSize = gfxfmt::Get32(Header + 4);
    uint32_t Bytes = gfxfmt::Get32(Header + 48);
    if (gfxfmt::Get32(Header + 40) != ENHMETA_SIGNATURE || RecordSize < kEmfHeaderMin ||
        Bytes < RecordSize || Bytes > gfxfmt::kMaxImageBytes)
      throw EInvalidGraphic(SInvalidMetafile);
    CheckAvailable(Stream, Bytes - kEmfHeaderMin);
    std::vector<uint8_t> Data(Bytes);
    std::memcpy(Data.data(), Header, kEmfHeaderMin);
    Stream.ReadBuffer(Data.data() + kEmfHeaderMin, static_cast<int32_t>(Bytes - kEmfHeaderMin));
    New = SetEnhMetaFileBits(Bytes, Data.data());
  } else {
    throw EInvalidGraphic(SInvalidMetafile);
  }
  if (!New) throw EInvalidGraphic(SInvalidMetafile);
  Adopt(Track(New), Enhanced);
  if (!Enhanced) {
    FMMWidth = MMW;
    FMMHeight = MMH;
  }
  FEnhanced = Enhanced;
  FInch = Inch;
  Changed(this);
}

void TMetafile::SaveToStream(TStream& Stream) {
  if (!FHandle) return;
  if (FEnhanced) {
    UINT Bytes = GetEnhMetaFileBits(FHandle, 0, nullptr);
    std::vector<uint8_t> Data(Bytes);
    if (!Bytes || GetEnhMetaFileBits(FHandle, Bytes, Data.data()) != Bytes)
      throw EInvalidGraphic(SInvalidMetafile);
    Stream.WriteBuffer(Data.data(), static_cast<int32_t>(Bytes));
    return;
  }
  TScreenDC Ref;
  UINT Bytes = GetWinMetaFileBits(FHandle, 0, nullptr, MM_ANISOTROPIC, Ref.Get());
  std::vector<uint8_t> Data(Bytes);
  if (!Bytes || GetWinMetaFileBits(FHandle, Bytes, Data.data(), MM_ANISOTROPIC, Ref.Get()) != Bytes)
    throw EInvalidGraphic(SInvalidMetafile);
  std::vector<uint8_t> Header;
  gfxfmt::Put32(Header, kPlaceableKey);
  gfxfmt::Put16(Header, 0);
  gfxfmt::Put16(Header, 0);
  gfxfmt::Put16(Header, 0);
  gfxfmt::Put16(Header, static_cast<uint16_t>(MulDiv(FMMWidth, FInch, 2540)));
  gfxfmt::Put16(Header, static_cast<uint16_t>(MulDiv(FMMHeight, FInch, 2540)));
  gfxfmt::Put16(Header, static_cast<uint16_t>(FInch));
  gfxfmt::Put32(Header, 0);
  uint16_t Sum = 0;
  for (size_t I = 0; I < 20; I += 2) Sum ^= gfxfmt::Get16(Header.data() + I);
  gfxfmt::Put16(Header, Sum);
  Stream.WriteBuffer(Header.data(), static_cast<int32_t>(Header.size()));
  Stream.WriteBuffer(Data.data(), static_cast<int32_t>(Bytes));
}

void TMetafile::ReadData(TStream& Stream) {
  uint32_t Size = 0;
  Stream.ReadBuffer(&Size, 4);
  if (Size == 0) {
    SetHandle(nullptr);
    return;
  }
  if (Size > gfxfmt::kMaxImageBytes) throw EInvalidGraphic(SInvalidMetafile);
  CheckAvailable(Stream, Size);
  TMemoryStream Data;
  Data.SetSize(Size);
  Stream.ReadBuffer(Data.Memory(), static_cast<int32_t>(Size));
  Data.SetPosition(0);
  LoadFromStream(Data);
}

void TMetafile::WriteData(TStream& Stream) {
  TMemoryStream Data;
  SaveToStream(Data);
  auto Size = static_cast<uint32_t>(Data.Size());
  Stream.WriteBuffer(&Size, 4);
  if (Size) Stream.WriteBuffer(Data.Memory(), static_cast<int32_t>(Size));
}

// ---- TMetafileCanvas ----------------------------------------------------------------------------

VD_DEFINE_CLASS(TMetafileCanvas) {}

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice) : FMetafile(AMetafile) {
  TScreenDC Screen;
  HDC Ref = ReferenceDevice ? ReferenceDevice : Screen.Get();
  RECT Frame{0, 0, FMetafile->MMWidth(), FMetafile->MMHeight()};
  bool Sized = Frame.right > 0 && Frame.bottom > 0;
  HDC DC = Track(CreateEnhMetaFileA(Ref, nullptr, Sized ? &Frame : nullptr, nullptr));
  if (!DC) throw EOutOfResources("Out of system resources");
  SetHandle(DC);
  if (!FMetafile->Empty()) {
    RECT Old{0, 0, FMetafile->Width(), FMetafile->Height()};
    PlayEnhMetaFile(DC, FMetafile->Handle(), &Old);
  }
}

TMetafileCanvas::~TMetafileCanvas() {
  if (!HandleAllocated()) return;
  HDC DC = Handle();
  SetHandle(nullptr);  // our objects out of the recording DC before it closes
  HENHMETAFILE Recorded = CloseEnhMetaFile(DC);
  CountDeleted();  // the DC is gone; the metafile takes its place
  try {
    FMetafile->SetHandle(Recorded);
  } catch (...) {
    DeleteEnhMetaFile(Recorded);
  }
}
