#include "nx/NxIconList.h"

#include <cstring>
#include <type_traits>
#include <vector>

#include "classlib/ImgList.h"
#include "classlib/ScopedHandles.h"
#include "classlib/StreamAdapter.h"
#include "classlib/TypInfo.h"
#include "nx/NxIconListFormat.h"
#include "nx/NxUnitOrder.h"

namespace nxiconlist_detail {
static_assert(std::is_same_v<decltype(&::SHGetFileInfoA), TGetFileInfoFunc>);
TSystemListSource SystemListSource{[] { return NxShell32().SHGetImageList(); }, &::SHGetFileInfoA};
}  // namespace nxiconlist_detail

namespace {
const TUnitRegistration kUnit(nxrIconList, {"NxIconList", &NxIconListInitialize, &NxIconListFinalize});

// {46EB5926-582E-4017-9FDF-E8998DAA0950}
constexpr IID kIID_IImageList = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};
constexpr int kShellLargeIcons = 0;       // SHIL_LARGE
constexpr int kShellExtraLargeIcons = 2;  // SHIL_EXTRALARGE

struct GdiTraits {
  static HGDIOBJ Invalid() noexcept { return nullptr; }
  static void Close(HGDIOBJ H) noexcept { DeleteObject(H); }
};
struct DCTraits {
  static HDC Invalid() noexcept { return nullptr; }
  static void Close(HDC H) noexcept { DeleteDC(H); }
};
struct ImageListTraits {
  static HIMAGELIST Invalid() noexcept { return nullptr; }
  static void Close(HIMAGELIST H) noexcept { ImageList_Destroy(H); }
};
using ScopedGdiObject = ScopedHandle<HGDIOBJ, GdiTraits>;
using ScopedDC = ScopedHandle<HDC, DCTraits>;
using ScopedImageList = ScopedHandle<HIMAGELIST, ImageListTraits>;

[[noreturn]] void InvalidData(const std::string& Why) { throw EReadError("Invalid icon list data (" + Why + ")"); }

// The bytes at a TStream's position, for the format parsers.
class TStreamByteSource final : public nxicons::TByteSource {
public:
  explicit TStreamByteSource(TStream& Stream) : FStream(Stream) {}
  bool Read(uint8_t* Buffer, size_t Count) override {
    while (Count > 0) {
      const auto Chunk = static_cast<int32_t>(Count > 0x40000000 ? 0x40000000 : Count);
      if (FStream.Read(Buffer, Chunk) != Chunk) return false;
      Buffer += Chunk;
      Count -= static_cast<size_t>(Chunk);
    }
    return true;
  }
  uint64_t Remaining() const override {
    const int64_t Left = FStream.Size() - FStream.Position();
    return Left > 0 ? static_cast<uint64_t>(Left) : 0;
  }
  bool Skip(uint64_t Count) override {
    if (Count > Remaining()) return false;
    FStream.Seek(static_cast<int64_t>(Count), soCurrent);
    return true;
  }

private:
  TStream& FStream;
};

// Pixels of Bitmap (Width by Rows) as 32-bit values, rows top to bottom.
bool ReadBitmapPixels(HDC DC, HBITMAP Bitmap, int Width, int Rows, std::vector<uint32_t>& Out) {
  BITMAP Info{};
  if (!GetObjectA(Bitmap, sizeof Info, &Info) || Info.bmWidth != Width || Info.bmHeight != Rows) return false;
  BITMAPINFO Header{};
  Header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  Header.bmiHeader.biWidth = Width;
  Header.bmiHeader.biHeight = -Rows;
  Header.bmiHeader.biPlanes = 1;
  Header.bmiHeader.biBitCount = 32;
  Header.bmiHeader.biCompression = BI_RGB;
  Out.assign(static_cast<size_t>(Width) * static_cast<size_t>(Rows), 0);
  return GetDIBits(DC, Bitmap, 0, static_cast<UINT>(Rows), Out.data(), &Header, DIB_RGB_COLORS) == Rows;
}

// Copies icon Index of List (Width by Height) into column Index of Strips.
bool CopyIconInto(HIMAGELIST List, int Index, int Width, int Height, HDC DC, nxicons::TIconStrips& Strips) {
  ScopedIcon Icon(ImageList_GetIcon(List, Index, ILD_NORMAL));
  ICONINFO Parts{};
  if (!Icon || !GetIconInfo(Icon.get(), &Parts)) return false;
  ScopedGdiObject Colour(Parts.hbmColor);
  ScopedGdiObject Mask(Parts.hbmMask);
  std::vector<uint32_t> Image, Bits;
  if (Parts.hbmColor) {
    if (!ReadBitmapPixels(DC, Parts.hbmColor, Width, Height, Image) ||
        !ReadBitmapPixels(DC, Parts.hbmMask, Width, Height, Bits))
      return false;
  } else {
    // A monochrome icon: the mask above, the colours below.
    std::vector<uint32_t> Both;
    if (!ReadBitmapPixels(DC, Parts.hbmMask, Width, 2 * Height, Both)) return false;
    const auto Half = static_cast<size_t>(Width) * static_cast<size_t>(Height);
    Bits.assign(Both.begin(), Both.begin() + static_cast<std::ptrdiff_t>(Half));
    Image.assign(Both.begin() + static_cast<std::ptrdiff_t>(Half), Both.end());
  }
  const auto StripWidth = static_cast<size_t>(Strips.Width);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      const size_t From = static_cast<size_t>(Y) * static_cast<size_t>(Width) + static_cast<size_t>(X);
      const size_t To = static_cast<size_t>(Y) * StripWidth + static_cast<size_t>(Index) * static_cast<size_t>(Width) +
                        static_cast<size_t>(X);
      Strips.Pixels[To] = Image[From];
      Strips.Mask[To] = (Bits[From] & 0x00FFFFFFu) != 0 ? 1 : 0;
    }
  return true;
}

// The strips as an image bitmap (a 32-bit DIB) and a monochrome mask (set bits transparent).
ScopedGdiObject MakeImageStrip(const nxicons::TIconStrips& Strips) {
  BITMAPINFO Header{};
  Header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  Header.bmiHeader.biWidth = Strips.Width;
  Header.bmiHeader.biHeight = -Strips.Height;
  Header.bmiHeader.biPlanes = 1;
  Header.bmiHeader.biBitCount = 32;
  Header.bmiHeader.biCompression = BI_RGB;
  void* Bits = nullptr;
  ScopedGdiObject Bitmap(CreateDIBSection(nullptr, &Header, DIB_RGB_COLORS, &Bits, nullptr, 0));
  if (Bitmap && Bits) {
    std::memcpy(Bits, Strips.Pixels.data(), Strips.Pixels.size() * sizeof(uint32_t));
    GdiFlush();
  }
  return Bitmap;
}

ScopedGdiObject MakeMaskStrip(const nxicons::TIconStrips& Strips) {
  const auto W = static_cast<size_t>(Strips.Width);
  const auto H = static_cast<size_t>(Strips.Height);
  const size_t Stride = (W + 15) / 16 * 2;  // monochrome bitmap rows are word-aligned
  std::vector<uint8_t> Bits(Stride * H, 0);
  for (size_t Y = 0; Y < H; ++Y)
    for (size_t X = 0; X < W; ++X)
      if (Strips.Mask[Y * W + X]) Bits[Y * Stride + X / 8] |= static_cast<uint8_t>(0x80 >> (X % 8));
  return ScopedGdiObject(CreateBitmap(Strips.Width, Strips.Height, 1, 1, Bits.data()));
}
}  // namespace

HIMAGELIST NxReadImageListStream(TStream& Stream, std::string& Why) {
  TStreamByteSource Source(Stream);
  std::vector<uint8_t> Bytes;
  nxicons::TImageListHeader Header;
  if (!nxicons::ReadImageListStream(Source, Bytes, Header, Why)) return nullptr;
  // Only checked bytes reach the common controls.
  TMemoryStream Checked;
  Checked.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
  Checked.SetPosition(0);
  TStreamAdapterPtr Adapter(TStreamAdapter::New(Checked));
  ScopedImageList List(ImageList_Read(Adapter.get()));
  int W = 0, H = 0;
  if (!List || !ImageList_GetIconSize(List.get(), &W, &H) || W != Header.IconWidth || H != Header.IconHeight ||
      ImageList_GetImageCount(List.get()) != Header.Count) {
    Why = "the image list could not be read";
    return nullptr;
  }
  return List.release();
}

bool NxSameIconData(int Count, int OtherCount, const std::function<void(TStream&)>& Write,
                    const std::function<void(TStream&)>& WriteOther) {
  if (Count != OtherCount) return false;
  if (Count == 0) return true;
  TMemoryStream Mine, Theirs;
  Write(Mine);
  WriteOther(Theirs);
  return Mine.Size() == Theirs.Size() &&
         std::memcmp(Mine.Memory(), Theirs.Memory(), static_cast<size_t>(Mine.Size())) == 0;
}

void NxShowListIconInTray(TNxTrayIcon& Tray, HIMAGELIST List, int Index, UINT Flags) {
  Tray.LockUpdates();
  // The icon shown so far goes once the shell has the new one (it keeps a copy of its own).
  ScopedIcon Shown(Tray.Icon()->ReleaseHandle());
  try {
    Tray.Icon()->SetHandle(ImageList_GetIcon(List, Index, Flags));
  } catch (...) {
    Tray.UnlockUpdates();
    throw;
  }
  Tray.UnlockUpdates();
}

UINT ILDNxToAPI(TNxIconDrawStyle Style) {
  static constexpr UINT kFlags[] = {ILD_BLEND25, ILD_FOCUS, ILD_BLEND50, ILD_SELECTED,
                                    ILD_BLEND,   ILD_MASK,  ILD_NORMAL,  ILD_TRANSPARENT};
  const auto I = static_cast<size_t>(Style);
  return I < std::size(kFlags) ? kFlags[I] : ILD_NORMAL;
}

void NxIconListInitialize() { RegisterClass(ClassOf<TNxIconList>()); }

void NxIconListFinalize() { UnRegisterClass(ClassOf<TNxIconList>()); }

// ---- TNxIconList --------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxIconList) {
  using T = TNxIconList;
  // Every property is written: none has a default.
  C.Property("Animated", &T::Animated, &T::SetAnimated);
  C.Property("BkColor", &T::BkColor, &T::SetBkColor).Type(ColorTypeInfo());
  C.Property("DrawStyle", &T::FDrawStyle, &T::SetDrawStyle);
  C.Property("Height", &T::Height, &T::SetHeight);
  C.Property("IconIndex", &T::FIconIndex, &T::SetIconIndex);
  C.Property("Interval", &T::FInterval, &T::SetInterval);
  C.Property("OnAnimate", &T::OnAnimate, &T::OnAnimate);
  C.Property("OnChange", &T::OnChange, &T::OnChange);
  C.Property("TrayIcon", &T::FTrayIcon, &T::SetTrayIcon);
  C.Property("Width", &T::Width, &T::SetWidth);
}

TNxIconList::TNxIconList(TComponent* AOwner) : TComponent(AOwner) {
  EnsureUnitsStarted();  // the Shell32 binding
  FWidth = FHeight = 32;
  SetWidth(32);
  SetHeight(32);
}

TNxIconList::~TNxIconList() {
  if (FTimer) FTimer->Free();
  FreeImageList();
}

void TNxIconList::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FTrayIcon) SetTrayIcon(nullptr);
}

// ---- The image list -------------------------------------------------------------------------------

void TNxIconList::NeedImageList() {
  if (FImageList) return;
  using nxiconlist_detail::SystemListSource;
  ScopedImageList Copy;
  if (TSHGetImageList GetShellList = SystemListSource.ShellImageList ? SystemListSource.ShellImageList() : nullptr) {
    IUnknown* Shared = nullptr;
    const int Which = FWidth <= 32 ? kShellLargeIcons : kShellExtraLargeIcons;
    if (SUCCEEDED(GetShellList(Which, kIID_IImageList, reinterpret_cast<void**>(&Shared))) && Shared) {
      Copy.reset(ImageList_Duplicate(reinterpret_cast<HIMAGELIST>(Shared)));
      Shared->Release();
    }
  }
  if (!Copy && SystemListSource.GetFileInfo) {
    SHFILEINFOA Info{};
    auto System = reinterpret_cast<HIMAGELIST>(
        SystemListSource.GetFileInfo("C:\\", 0, &Info, sizeof Info, SHGFI_SYSICONINDEX));
    if (System) Copy.reset(ImageList_Duplicate(System));
  }
  // Without any system list the icon list still works, with a list of its own.
  if (!Copy) Copy.reset(ImageList_Create(FWidth, FHeight, ILC_COLOR32 | ILC_MASK, 4, 4));
  if (!Copy) throw EOutOfResources("Cannot create the icon list's image list");
  ImageList_RemoveAll(Copy.get());
  ImageList_SetIconSize(Copy.get(), FWidth, FHeight);
  ImageList_SetBkColor(Copy.get(), ImageListColor(FBkColor));
  FImageList = Copy.release();
}

void TNxIconList::AdoptImageList(HIMAGELIST List) {
  FImageList = List;
  int W = 0, H = 0;
  if (ImageList_GetIconSize(List, &W, &H)) {
    FWidth = W;
    FHeight = H;
  }
  FBkColor = ColorFromImageList(ImageList_GetBkColor(List));
}

void TNxIconList::FreeImageList() {
  if (!FImageList) return;
  // Keep what the list knew for the next one.
  int W = 0, H = 0;
  if (ImageList_GetIconSize(FImageList, &W, &H)) {
    FWidth = W;
    FHeight = H;
  }
  FBkColor = ColorFromImageList(ImageList_GetBkColor(FImageList));
  ImageList_Destroy(FImageList);
  FImageList = nullptr;
}

HIMAGELIST TNxIconList::GetImageList() {
  NeedImageList();
  return FImageList;
}

int TNxIconList::GetIconCount() {
  NeedImageList();
  return ImageList_GetImageCount(FImageList);
}

void TNxIconList::SetSize(int AWidth, int AHeight) {
  NeedImageList();
  ImageList_SetIconSize(FImageList, AWidth, AHeight);
  FWidth = AWidth;
  FHeight = AHeight;
}

int TNxIconList::Width() {
  int W = 0, H = 0;
  if (FImageList && ImageList_GetIconSize(FImageList, &W, &H)) FWidth = W;
  return FWidth;
}

int TNxIconList::Height() {
  int W = 0, H = 0;
  if (FImageList && ImageList_GetIconSize(FImageList, &W, &H)) FHeight = H;
  return FHeight;
}

void TNxIconList::SetWidth(int Value) {
  const int H = Height();
  FWidth = Value;
  SetSize(Value, H);
}

void TNxIconList::SetHeight(int Value) {
  const int W = Width();
  FHeight = Value;
  SetSize(W, Value);
}

TColor TNxIconList::BkColor() {
  if (FImageList) FBkColor = ColorFromImageList(ImageList_GetBkColor(FImageList));
  return FBkColor;
}

void TNxIconList::SetBkColor(TColor Value) {
  NeedImageList();
  ImageList_SetBkColor(FImageList, ImageListColor(Value));
  FBkColor = Value;
}

int TNxIconList::AddIcon(HICON Icon) {
  if (!Icon) return -1;
  NeedImageList();
  const int Index = ImageList_ReplaceIcon(FImageList, -1, Icon);
  if (Index != -1) Changed();
  return Index;
}

// ---- Current icon and animation -------------------------------------------------------------------

void TNxIconList::SetDrawStyle(TNxIconDrawStyle Value) {
  FDrawStyle = Value;
  UpdateIcon();
}

void TNxIconList::SetIconIndex(int Value) {
  FIconIndex = Value;
  if (!ComponentState().Contains(csLoading)) UpdateIcon();
}

void TNxIconList::SetTrayIcon(TNxTrayIcon* Value) {
  if (Value != FTrayIcon) {
    if (FTrayIcon) FTrayIcon->RemoveFreeNotification(this);
    FTrayIcon = Value;
    if (FTrayIcon) FTrayIcon->FreeNotification(this);
  }
  UpdateIcon();
}

bool TNxIconList::Animated() const {
  if (ComponentState().Contains(csDesigning)) return FDesignAnimated;
  return FTimer && FTimer->Enabled();
}

void TNxIconList::SetAnimated(bool Value) {
  if (ComponentState().Contains(csDesigning)) {
    FDesignAnimated = Value;
    return;
  }
  if (!FTimer && Value) {
    FTimer = TTimer::Create(nullptr);
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer(TNotifyEvent::Bind<&TNxIconList::AnimationEvent>(this));
  } else if (!Value) {
    FIconIndex = 0;
    UpdateIcon();
  }
  if (FTimer) FTimer->SetEnabled(Value);
}

void TNxIconList::AnimationEvent(TObject*) {
  OnAnimate(this);
  DoAnimate();
}

void TNxIconList::DoAnimate() {
  ++FIconIndex;
  if (FIconIndex > GetIconCount() - 1) FIconIndex = 0;
  UpdateIcon();
}

void TNxIconList::Changed() {
  UpdateIcon();
  OnChange(this);
}

void TNxIconList::UpdateIcon() {
  NeedImageList();
  if (FTrayIcon) NxShowListIconInTray(*FTrayIcon, FImageList, FIconIndex, ILDNxToAPI(FDrawStyle));
}

// ---- "Icons" --------------------------------------------------------------------------------------

void TNxIconList::LoadFromFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(Stream);
}

void TNxIconList::SaveToFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(Stream);
}

void TNxIconList::LoadFromStream(TStream& Stream) {
  FreeImageList();
  const int64_t Start = Stream.Position();
  uint8_t Magic[2] = {};
  const int32_t Got = Stream.Read(Magic, 2);
  Stream.SetPosition(Start);
  TStreamByteSource Source(Stream);
  std::string Why;
  switch (nxicons::SniffIconsFormat(Magic, static_cast<size_t>(Got))) {
    case nxicons::TIconsFormat::ImageList: {
      HIMAGELIST List = NxReadImageListStream(Stream, Why);
      if (!List) InvalidData(Why);
      AdoptImageList(List);
      return;
    }
    case nxicons::TIconsFormat::Bitmaps: {
      nxicons::TIconStrips Strips;
      if (!nxicons::ReadIconStrips(Source, FWidth, FHeight, Strips, Why)) InvalidData(Why);
      NeedImageList();
      if (Strips.Width == 0) return;
      ScopedGdiObject Image = MakeImageStrip(Strips);
      ScopedGdiObject Mask = MakeMaskStrip(Strips);
      const int Expected = Strips.Width / FWidth;
      if (!Image || !Mask ||
          ImageList_Add(FImageList, static_cast<HBITMAP>(Image.get()), static_cast<HBITMAP>(Mask.get())) == -1 ||
          ImageList_GetImageCount(FImageList) != Expected) {
        FreeImageList();
        InvalidData("the icons could not be added");
      }
      return;
    }
    case nxicons::TIconsFormat::Unknown:
      break;
  }
  InvalidData("neither an image-list stream nor bitmaps");
}

void TNxIconList::SaveToStream(TStream& Stream) {
  NeedImageList();
  const int Count = ImageList_GetImageCount(FImageList);
  const int W = Width();
  const int H = Height();
  // Nothing is written that LoadFromStream would refuse.
  if (!nxicons::IconSizeFits(W, H)) throw EWriteError("Icon size out of range: icons of 1 to 256 pixels a side");
  if (!nxicons::StripWidthFits(int64_t{Count} * W)) throw EWriteError("Icon list too large to write");
  nxicons::TIconStrips Strips;
  Strips.Width = Count * W;
  Strips.Height = H;
  if (Count > 0) {
    const size_t Pixels = static_cast<size_t>(Strips.Width) * static_cast<size_t>(H);
    Strips.Pixels.assign(Pixels, 0);
    Strips.Mask.assign(Pixels, 1);
    ScopedDC DC(CreateCompatibleDC(nullptr));
    for (int I = 0; I < Count; ++I)
      if (!DC || !CopyIconInto(FImageList, I, W, H, DC.get(), Strips)) throw EWriteError("Cannot read icon from the icon list");
  }
  const std::vector<uint8_t> Bytes = nxicons::WriteIconStrips(Strips);
  Stream.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
}

void TNxIconList::ReadData(TStream& Stream) {
  FreeImageList();
  LoadFromStream(Stream);
}

void TNxIconList::WriteData(TStream& Stream) {
  NeedImageList();
  SaveToStream(Stream);
}

bool TNxIconList::Equal(TNxIconList* Other) {
  if (!Other) return false;
  if (Other == this) return true;
  return NxSameIconData(
      GetIconCount(), Other->GetIconCount(), [this](TStream& S) { WriteData(S); },
      [Other](TStream& S) { Other->WriteData(S); });
}

bool TNxIconList::ShouldWriteIcons(TPersistent* Ancestor) {
  if (!Ancestor) return GetIconCount() > 0;
  auto* Other = dynamic_cast<TNxIconList*>(Ancestor);
  return !Other || !Equal(Other);
}

void TNxIconList::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Icons", [this](TStream& S) { ReadData(S); }, [this](TStream& S) { WriteData(S); },
      ShouldWriteIcons(Filer->Ancestor()));
}

void TNxIconList::Assign(TPersistent* Source) {
  if (auto* Other = dynamic_cast<TNxIconList*>(Source)) {
    if (Other == this) return;
    ScopedImageList Copy(ImageList_Duplicate(Other->GetImageList()));
    if (!Copy) throw EOutOfResources("Cannot copy the image list");
    // Not every duplicate takes the background colour along.
    ImageList_SetBkColor(Copy.get(), ImageList_GetBkColor(Other->GetImageList()));
    Clear();
    AdoptImageList(Copy.release());
    return;
  }
  throw Exception(SNxNotAnIconList);
}
