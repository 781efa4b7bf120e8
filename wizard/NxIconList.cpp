#include "wizard/NxIconList.h"

#include <shellapi.h>

#include "classlib/ImgList.h"
#include "classlib/ScopedHandles.h"
#include "classlib/StreamAdapter.h"
#include "classlib/TypInfo.h"

// The unit's checks name it as its source.
#define NX_ASSERT(Condition, Message) VD_ASSERT(Condition, Message, "NxIconList")

namespace nx21 {

namespace {

// Whether the list's icon size can be read, and what it is.
bool ListIconSize(HIMAGELIST List, int& Width, int& Height) {
  return ImageList_GetIconSize(List, &Width, &Height) != FALSE;
}

}  // namespace

VD_DEFINE_CLASS(TNxIconList) {
  using T = TNxIconList;
  // Width and Height first: the list that TrayIcon makes has the size read before it.
  C.Property("Width", &T::Width, &T::SetWidth);
  C.Property("Height", &T::Height, &T::SetHeight);
  C.Property("TrayIcon", &T::FTrayIcon, &T::SetTrayIcon);
  C.Property("Interval", &T::FInterval, &T::SetInterval);
  C.Property("Animated", &T::Animated, &T::SetAnimated);
  C.Property("IconIndex", &T::FIconIndex, &T::SetIconIndex);
  C.Property("DrawStyle", &T::FDrawStyle, &T::SetDrawStyle);
  C.Property("BkColor", &T::BkColor, &T::SetBkColor).Type(ColorTypeInfo());
  C.Property("OnChange", &T::OnChange, &T::OnChange);
  C.Property("OnAnimate", &T::OnAnimate, &T::OnAnimate);
}

TNxIconList::TNxIconList(TComponent* AOwner) : TComponent(AOwner) {}

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
  SHFILEINFOA Info{};
  auto System = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("C:\\", 0, &Info, sizeof Info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  HIMAGELIST Copy = System ? ImageList_Duplicate(System) : nullptr;
  NX_ASSERT(Copy, "ImageList could not be retreived");
  ImageList_RemoveAll(Copy);
  ImageList_SetIconSize(Copy, FWidth, FHeight);
  ImageList_SetBkColor(Copy, ImageListColor(FBkColor));
  InstallOwnList(Copy);
}

void TNxIconList::InstallOwnList(HIMAGELIST List) {
  FImageList = List;
  FAdopted = false;
}

void TNxIconList::SetImageList(HIMAGELIST List) {
  NX_ASSERT(!FImageList, "ImageList already specified");
  FImageList = List;
  FAdopted = true;
}

void TNxIconList::FreeImageList() {
  if (!FImageList || FAdopted) return;
  // The next list gets what this one had.
  int W = 0, H = 0;
  if (ListIconSize(FImageList, W, H)) {
    FWidth = W;
    FHeight = H;
  }
  FBkColor = ColorFromImageList(ImageList_GetBkColor(FImageList));
  ImageList_Destroy(FImageList);
  FImageList = nullptr;
}

void TNxIconList::Clear() {
  NeedImageList();
  for (int I = ImageList_GetImageCount(FImageList); I > 0; --I) ImageList_Remove(FImageList, 0);
  FreeImageList();
}

void TNxIconList::DropImageList() {
  Clear();
  // An adopted list stays its owner's.
  FImageList = nullptr;
  FAdopted = false;
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
  NX_ASSERT(ImageList_SetIconSize(FImageList, AWidth, AHeight), "Unable to change ImageList icon size");
  FWidth = AWidth;
  FHeight = AHeight;
}

int TNxIconList::Width() {
  int W = 0, H = 0;
  if (FImageList) {
    NX_ASSERT(ListIconSize(FImageList, W, H), "Failed to access the ImageList");
    FWidth = W;
  }
  return FWidth;
}

int TNxIconList::Height() {
  int W = 0, H = 0;
  if (FImageList) {
    NX_ASSERT(ListIconSize(FImageList, W, H), "Failed to access the ImageList");
    FHeight = H;
  }
  return FHeight;
}

void TNxIconList::SetWidth(int Value) {
  NX_ASSERT(!FImageList, "Unable to assign Width while ImageList exists. Use SetSize method");
  FWidth = Value;
}

void TNxIconList::SetHeight(int Value) {
  NX_ASSERT(!FImageList, "Unable to assign Height while ImageList exists. Use SetSize method");
  FHeight = Value;
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

// ---- Icons ----------------------------------------------------------------------------------------

int TNxIconList::AddIcon(HICON Icon) {
  NeedImageList();
  NX_ASSERT(FImageList, "ImageList is inaccessible");
  NX_ASSERT(Icon, "Icon parameter is invalid");
  const int Index = ImageList_ReplaceIcon(FImageList, -1, Icon);
  NX_ASSERT(Index != -1, "Unable to add icon to Image List");
  Changed();
  return Index;
}

void TNxIconList::AddIconFromFile(const std::string& FileName) {
  NX_ASSERT(FileExists(FileName), "File does not exists");
  const std::string Name = FileName.substr(0, 259);
  ScopedIcon Icon(static_cast<HICON>(LoadImageA(nullptr, Name.c_str(), IMAGE_ICON, Width(), Height(), LR_LOADFROMFILE)));
  NX_ASSERT(Icon, "Icon cannot be loaded");
  AddIcon(Icon.get());
}

void TNxIconList::Remove(int Index) {
  NeedImageList();
  ImageList_Remove(FImageList, Index);
}

void TNxIconList::DrawIcon(TCanvas* Canvas, int Index, int X, int Y, TNxIconDrawStyle Style) {
  NeedImageList();
  ImageList_Draw(FImageList, Index, Canvas->Handle(), X, Y, ILDNxToAPI(Style));
}

HICON TNxIconList::GetHIcon(int Index) {
  NX_ASSERT(Index >= 0 && Index < GetIconCount(), "Icon index is more than icons count in ImageList");
  return ImageList_GetIcon(FImageList, Index, ILDNxToAPI(FDrawStyle));
}

TIcon* TNxIconList::GetIcon(int Index) {
  ScopedIcon Handle(GetHIcon(Index));
  TIcon* Icon = TIcon::Create();
  Icon->SetHandle(Handle.release());
  return Icon;
}

// ---- Current icon and animation -------------------------------------------------------------------

void TNxIconList::SetDrawStyle(TNxIconDrawStyle Value) {
  FDrawStyle = Value;
  UpdateIcon();
}

void TNxIconList::SetIconIndex(int Value) {
  const bool Loading = ComponentState().Contains(csLoading);
  if (!Loading) NX_ASSERT(Value <= GetIconCount(), "Icon index is more than icons count in ImageList");
  FIconIndex = Value;
  if (!Loading) UpdateIcon();
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

void TNxIconList::LoadFromStream(TStream& Stream) {
  FreeImageList();
  std::string Why;
  HIMAGELIST List = NxReadImageListStream(Stream, Why);
  NX_ASSERT(List, "Stream read error");
  InstallOwnList(List);
}

void TNxIconList::SaveToStream(TStream& Stream) {
  NeedImageList();
  TStreamAdapterPtr Adapter(TStreamAdapter::New(Stream));
  NX_ASSERT(ImageList_Write(FImageList, Adapter.get()), "Failed to write stream");
}

void TNxIconList::LoadFromFile(const std::string& FileName) {
  NX_ASSERT(FileExists(FileName), "File does not exists");
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(Stream);
}

void TNxIconList::SaveToFile(const std::string& FileName) {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(Stream);
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

// ---- Assign ---------------------------------------------------------------------------------------

void TNxIconList::CopySizeAndColor(TNxIconList& Source) {
  SetWidth(Source.Width());
  SetHeight(Source.Height());
  SetBkColor(Source.BkColor());  // makes the new list
}

void TNxIconList::CopyIcons(TNxIconList& Source) {
  TMemoryStream Stream;
  Source.SaveToStream(Stream);
  Stream.SetPosition(0);
  LoadFromStream(Stream);
}

void TNxIconList::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TNxIconList*>(Source);
  NX_ASSERT(Other, SNxNotAnIconList);
  if (Other == this) return;
  DropImageList();
  CopySizeAndColor(*Other);
  SetTrayIcon(Other->TrayIcon());
  SetInterval(Other->Interval());
  SetAnimated(Other->Animated());
  CopyIcons(*Other);
}

void TNxIconList::AssignIcons(TNxIconList* Source) {
  NX_ASSERT(Source, SNxNotAnIconList);
  if (Source == this) return;
  DropImageList();
  CopySizeAndColor(*Source);
  CopyIcons(*Source);
}

}  // namespace nx21
