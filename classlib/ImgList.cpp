#include "classlib/ImgList.h"

#include <algorithm>
#include <cstring>

#include "classlib/GraphicsInternal.h"
#include "classlib/StreamAdapter.h"
#include "classlib/TypInfo.h"

using namespace graphics_detail;

COLORREF ImageListColor(TColor Color) {
  if (Color == clNone) return CLR_NONE;
  if (Color == clDefault) return CLR_DEFAULT;
  return ColorToRGB(Color);
}

TColor ColorFromImageList(COLORREF Color) {
  if (Color == CLR_NONE) return clNone;
  if (Color == CLR_DEFAULT) return clDefault;
  return static_cast<TColor>(Color);
}

VD_DEFINE_CLASS(TCustomImageList) {}

VD_DEFINE_CLASS(TImageList) {
  C.Property("AllocBy", &TCustomImageList::AllocBy, &TCustomImageList::SetAllocBy).Default(4);
  C.Property("BlendColor", &TCustomImageList::BlendColor, &TCustomImageList::SetBlendColor)
      .Type(ColorTypeInfo())
      .Default(clNone);
  C.Property("BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor)
      .Type(ColorTypeInfo())
      .Default(clNone);
  C.Property("DrawingStyle", &TCustomImageList::DrawingStyle, &TCustomImageList::SetDrawingStyle)
      .Default(dsNormal);
  C.Property("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight).Default(16);
  C.Property("ImageType", &TCustomImageList::ImageType, &TCustomImageList::SetImageType)
      .Default(itImage);
  C.Property("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked).Default(true);
  C.Property("ShareImages", &TCustomImageList::ShareImages, &TCustomImageList::SetShareImages)
      .Default(false);
  C.Property("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth).Default(16);
  C.Property("OnChange", &TCustomImageList::OnChange, &TCustomImageList::OnChange);
}

namespace {
UINT DrawFlags(TDrawingStyle Style, TImageType Type) {
  static constexpr UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  return kStyles[Style] | (Type == itMask ? ILD_MASK : 0);
}

// Paints Color through a one-bit bitmap where its bits are clear.
void PaintWhereClear(HDC Dest, int X, int Y, int W, int H, HDC MonoDC, TColor Color) {
  TGdiObject<HBRUSH> Brush(CreateSolidBrush(ColorToRGB(Color)));
  TSelectObject Select(Dest, Brush.Get());
  COLORREF OldBk = SetBkColor(Dest, RGB(0, 0, 0));
  COLORREF OldText = SetTextColor(Dest, RGB(255, 255, 255));
  BitBlt(Dest, X, Y, W, H, MonoDC, 0, 0, 0x00E20746);
  SetTextColor(Dest, OldText);
  SetBkColor(Dest, OldBk);
}
}  // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(TComponent* AOwner, int AWidth, int AHeight)
    : TComponent(AOwner), FWidth(AWidth > 0 ? AWidth : 16), FHeight(AHeight > 0 ? AHeight : 16) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* Link : FLinks) Link->FSender = nullptr;
  FreeHandle();
}

void TChangeLink::SetSender(TCustomImageList* Value) {
  if (FSender == Value) return;
  if (FSender) FSender->UnRegisterChanges(this);
  if (Value) Value->RegisterChanges(this);
}

void TCustomImageList::RegisterChanges(TChangeLink* Link) {
  if (!Link || Link->FSender == this) return;
  if (Link->FSender) Link->FSender->UnRegisterChanges(Link);
  Link->FSender = this;
  FLinks.push_back(Link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Link) {
  if (!Link || Link->FSender != this) return;
  Link->FSender = nullptr;
  FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), Link), FLinks.end());
}

void TCustomImageList::HandleNeeded() {
  if (FHandle) return;
  FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | (FMasked ? ILC_MASK : 0), FAllocBy, FAllocBy);
  if (!FHandle) throw EOutOfResources("Out of system resources");
  ImageList_SetBkColor(FHandle, ImageListColor(FBkColor));
}

void TCustomImageList::FreeHandle() {
  if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
  FHandle = nullptr;
}

HIMAGELIST TCustomImageList::Handle() {
  HandleNeeded();
  return FHandle;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
  if (Value == FHandle) return;
  FreeHandle();
  FHandle = Value;
  if (Value) {
    int W = 0, H = 0;
    if (ImageList_GetIconSize(Value, &W, &H)) {
      FWidth = W;
      FHeight = H;
    }
    FBkColor = ColorFromImageList(ImageList_GetBkColor(Value));
  }
  Change();
}

HIMAGELIST TCustomImageList::ReleaseHandle() {
  HIMAGELIST H = FHandle;
  FHandle = nullptr;
  if (H) Change();
  return H;
}

int TCustomImageList::Count() { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

void TCustomImageList::SetWidth(int Value) {
  if (Value <= 0 || Value == FWidth) return;
  FWidth = Value;
  if (FHandle) ImageList_SetIconSize(FHandle, FWidth, FHeight);
  Change();
}

void TCustomImageList::SetHeight(int Value) {
  if (Value <= 0 || Value == FHeight) return;
  FHeight = Value;
  if (FHandle) ImageList_SetIconSize(FHandle, FWidth, FHeight);
  Change();
}

TColor TCustomImageList::BkColor() {
  return FHandle ? ColorFromImageList(ImageList_GetBkColor(FHandle)) : FBkColor;
}

void TCustomImageList::SetBkColor(TColor Value) {
  FBkColor = Value;
  if (FHandle) ImageList_SetBkColor(FHandle, ImageListColor(Value));
  Change();
}

void TCustomImageList::SetBlendColor(TColor Value) {
  if (Value == FBlendColor) return;
  FBlendColor = Value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
  if (Value == FDrawingStyle) return;
  FDrawingStyle = Value;
  Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
  if (Value == FImageType) return;
  FImageType = Value;
  Change();
}

void TCustomImageList::SetMasked(bool Value) {
  if (Value == FMasked) return;
  FMasked = Value;
  if (FHandle) {
    FreeHandle();
    HandleNeeded();
  }
  Change();
}

void TCustomImageList::Change() {
  FChanged = true;
  if (FUpdateCount > 0) return;
  FChanged = false;
  OnChange(this);
  for (size_t I = 0; I < FLinks.size(); ++I) FLinks[I]->OnChange(this);  // a link may leave meanwhile
}

void TCustomImageList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) Change();
}

void TCustomImageList::CheckIndex(int Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation(SInvalidImageListIndex);
}

int TCustomImageList::Added(int Result) {
  if (Result < 0) throw EInvalidOperation(SImageListAddFailed);
  Change();
  return Result;
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  HandleNeeded();
  if (!Image || Image->Empty()) throw EInvalidOperation(SImageListAddFailed);
  return Added(ImageList_Add(FHandle, Image->Handle(), Mask && !Mask->Empty() ? Mask->Handle() : nullptr));
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  HandleNeeded();
  if (!Image || Image->Empty()) throw EInvalidOperation(SImageListAddFailed);
  if (MaskColor == clDefault) MaskColor = Image->TransparentColor();
  // The list blacks out the masked pixels of the bitmap it is given: hand it a copy.
  TObjectPtr<TBitmap> Copy(TBitmap::Create());
  Copy->Assign(Image);
  return Added(ImageList_AddMasked(FHandle, Copy->Handle(), ColorToRGB(MaskColor)));
}

int TCustomImageList::AddIcon(TIcon* Image) {
  HandleNeeded();
  if (!Image || Image->Empty()) throw EInvalidOperation(SImageListAddFailed);
  return Added(ImageList_ReplaceIcon(FHandle, -1, Image->Handle()));
}

void TCustomImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask) {
  CheckIndex(Index);
  if (!Image || Image->Empty() ||
      !ImageList_Replace(FHandle, Index, Image->Handle(), Mask && !Mask->Empty() ? Mask->Handle() : nullptr))
    throw EInvalidOperation(SImageListReplaceFailed);
  Change();
}

void TCustomImageList::ReplaceIcon(int Index, TIcon* Image) {
  CheckIndex(Index);
  if (!Image || Image->Empty() || ImageList_ReplaceIcon(FHandle, Index, Image->Handle()) < 0)
    throw EInvalidOperation(SImageListReplaceFailed);
  Change();
}

void TCustomImageList::Delete(int Index) {
  if (Index != -1) CheckIndex(Index);
  if (!FHandle) return;
  ImageList_Remove(FHandle, Index);
  Change();
}

void TCustomImageList::GetIcon(int Index, TIcon* Image, TDrawingStyle ADrawingStyle, TImageType AImageType) {
  CheckIndex(Index);
  HICON Icon = ImageList_GetIcon(FHandle, Index, DrawFlags(ADrawingStyle, AImageType));
  if (!Icon) throw EInvalidOperation(SInvalidImageListIndex);
  Image->SetHandle(Icon);
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  if (!Image || Index < 0 || Index >= Count()) return false;
  Image->Assign(nullptr);
  Image->SetSize(FWidth, FHeight);
  Draw(Image->Canvas(), 0, 0, Index);
  return true;
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  Draw(Canvas, X, Y, Index, FDrawingStyle, FImageType, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
  if (!FHandle || Index < 0 || Index >= Count()) return;
  HDC Dest = Canvas->Handle();
  if (Enabled) {
    ImageList_DrawEx(FHandle, Index, Dest, X, Y, 0, 0, ImageListColor(BkColor()),
                     ImageListColor(FBlendColor), DrawFlags(ADrawingStyle, AImageType));
  } else {
    // The image's shape in one bit (its background white), then embossed through it.
    TGdiObject<HBITMAP> Mono(CreateBitmap(FWidth, FHeight, 1, 1, nullptr));
    TMemoryDC MonoDC;
    MonoDC.SelectBitmap(Mono.Get());
    PatBlt(MonoDC.Get(), 0, 0, FWidth, FHeight, WHITENESS);
    ImageList_DrawEx(FHandle, Index, MonoDC.Get(), 0, 0, 0, 0, CLR_NONE, 0, ILD_NORMAL);
    PaintWhereClear(Dest, X + 1, Y + 1, FWidth, FHeight, MonoDC.Get(), clBtnHighlight);
    PaintWhereClear(Dest, X, Y, FWidth, FHeight, MonoDC.Get(), clBtnShadow);
  }
}

void TCustomImageList::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TCustomImageList*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  if (Src == this) return;
  BeginUpdate();
  try {
    FreeHandle();
    FShareImages = false;  // the copy is ours
    FWidth = Src->FWidth;
    FHeight = Src->FHeight;
    FAllocBy = Src->FAllocBy;
    FMasked = Src->FMasked;
    FBkColor = Src->BkColor();
    FBlendColor = Src->FBlendColor;
    FDrawingStyle = Src->FDrawingStyle;
    FImageType = Src->FImageType;
    if (Src->FHandle) {
      FHandle = ImageList_Duplicate(Src->FHandle);
      if (FHandle) ImageList_SetBkColor(FHandle, ImageListColor(FBkColor));  // not always copied
    }
    Change();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// ---- Streaming ----------------------------------------------------------------------------------

void TCustomImageList::ReadData(TStream& Stream) {
  // Only the list's own stream goes to the common controls: check the magic first.
  char Magic[2] = {};
  int64_t Start = Stream.Position();
  if (Stream.Read(Magic, 2) != 2 || Magic[0] != 'I' || Magic[1] != 'L') {
    Stream.SetPosition(Start);
    throw EReadError(SImageListReadFailed);
  }
  Stream.SetPosition(Start);
  TStreamAdapterPtr Adapter(TStreamAdapter::New(Stream));
  HIMAGELIST List = ImageList_Read(Adapter.get());
  if (!List) throw EReadError(SImageListReadFailed);
  BeginUpdate();
  FreeHandle();
  FShareImages = false;
  SetHandle(List);
  EndUpdate();
}

void TCustomImageList::WriteData(TStream& Stream) {
  HandleNeeded();
  TStreamAdapterPtr Adapter(TStreamAdapter::New(Stream));
  if (!ImageList_Write(FHandle, Adapter.get())) throw EWriteError(SImageListWriteFailed);
}

bool TCustomImageList::Equal(TCustomImageList* Other) {
  if (!Other) return false;
  if (Other == this) return true;
  if (Count() != Other->Count()) return false;
  if (Count() == 0) return true;
  TMemoryStream Mine, Theirs;
  WriteData(Mine);
  Other->WriteData(Theirs);
  return Mine.Size() == Theirs.Size() &&
         std::memcmp(Mine.Memory(), Theirs.Memory(), static_cast<size_t>(Mine.Size())) == 0;
}

void TCustomImageList::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  bool HasData;
  if (auto* Ancestor = dynamic_cast<TCustomImageList*>(Filer->Ancestor())) HasData = !Equal(Ancestor);
  else HasData = Count() > 0;
  Filer->DefineBinaryProperty(
      "Bitmap", [this](TStream& S) { ReadData(S); }, [this](TStream& S) { WriteData(S); }, HasData);
}
