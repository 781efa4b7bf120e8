#include "lx/lxBase.h"

// ---- TlxPersistent ------------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxPersistent) {}

bool TlxPersistent::IsDesigning() const {
  return FOwner != nullptr && FOwner->ComponentState().Contains(csDesigning);
}

// ---- TlxAddon -----------------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxAddon) {
  C.Property("Enabled", &TlxAddon::FEnabled, &TlxAddon::SetEnabled).Default(false);
}

void TlxAddon::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Changed();
}

void TlxAddon::Assign(TPersistent* Source) {
  if (auto* Addon = dynamic_cast<TlxAddon*>(Source)) {
    SetEnabled(Addon->Enabled());
    return;
  }
  inherited::Assign(Source);
}

// ---- TlxTextStyle -------------------------------------------------------------------------------

namespace {
TlxTextStyle::TRepaintProc RepaintProc = nullptr;
TComponent* Application = nullptr;
}  // namespace

VD_DEFINE_CLASS(TlxTextStyle) {
  C.Property("PlainText", &TlxTextStyle::FPlainText, &TlxTextStyle::SetPlainText).Default(false);
  C.Property("TagOpen", &TlxTextStyle::FTagOpen, &TlxTextStyle::SetTagOpen).Default('[');
  C.Property("TagClose", &TlxTextStyle::FTagClose, &TlxTextStyle::SetTagClose).Default(']');
}

void TlxTextStyle::SetRepaintProc(TRepaintProc Proc) noexcept { RepaintProc = Proc; }

void TlxTextStyle::SetPlainText(bool Value) {
  if (Value == FPlainText) return;
  FPlainText = Value;
  Changed();
}

void TlxTextStyle::SetTagOpen(char Value) {
  if (Value == FTagOpen) return;
  FTagOpen = Value;
  Changed();
}

void TlxTextStyle::SetTagClose(char Value) {
  if (Value == FTagClose) return;
  FTagClose = Value;
  Changed();
}

void TlxTextStyle::Changed() {
  if (FOwner != nullptr && RepaintProc != nullptr) RepaintProc(FOwner);
}

// ---- TlxUniqueList ------------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxUniqueList) {}

void TlxUniqueList::AfterConstruction() {
  inherited::AfterConstruction();
  if (FInitialStream != nullptr) LoadFromStream(*FInitialStream, true);
  FInitialStream = nullptr;
}

int TlxUniqueList::Add(void* Item) {
  if (Item == nullptr || TList::IndexOf(Item) >= 0) return -1;
  return TList::Add(Item);
}

void TlxUniqueList::LoadFromStream(TStream& Stream, bool ClearFirst) {
  if (ClearFirst) Clear();
}

// ---- TlxObjectList ------------------------------------------------------------------------------

void SetlxApplication(TComponent* App) noexcept { Application = App; }
TComponent* lxApplication() noexcept { return Application; }

namespace {
bool EventsSilenced() { return Application != nullptr && Application->ComponentState().Contains(csDestroying); }
void FreeItem(void* Item) { static_cast<TObject*>(Item)->Free(); }
}  // namespace

VD_DEFINE_CLASS(TlxObjectList) {}

TlxObjectList::TlxObjectList(bool OwnsObjects, int Tag) : FOwnsObjects(OwnsObjects), FTag(Tag) {}

void TlxObjectList::AfterConstruction() {
  inherited::AfterConstruction();
  Init();
}

int TlxObjectList::Add(void* Item) {
  if (!CanAdd(Item)) {
    if (Item != nullptr && FOwnsObjects) FreeItem(Item);
    return -1;
  }
  int Result = TlxUniqueList::Add(Item);
  if (FItemLimit > 0)
    while (Count() > 0 && Count() > FItemLimit) Delete(0, true);
  return Result;
}

int TlxObjectList::Remove(void* Item, bool FreeIt) {
  int Index = TList::IndexOf(Item);
  if (Index >= 0) Delete(Index, FreeIt);
  return Index;
}

void TlxObjectList::Delete(int Index, bool FreeIt) {
  // OwnsObjects holds FreeIt for this one deletion, whatever happens in the handlers.
  struct Restore {
    bool& Flag;
    bool Saved;
    ~Restore() { Flag = Saved; }
  } restore{FOwnsObjects, FOwnsObjects};
  FOwnsObjects = FreeIt;
  TList::Delete(Index);
}

void TlxObjectList::Notify(void* Ptr, TListNotification Action) {
  switch (Action) {
    case lnAdded:
      DoItemAdded(Ptr);
      break;
    case lnExtracted:
      DoItemRemoved(Ptr);
      break;
    case lnDeleted:
      DoItemRemoved(Ptr);
      if (FOwnsObjects) FreeItem(Ptr);
      break;
  }
  inherited::Notify(Ptr, Action);
  DoListChanged(Ptr, Action);
}

void TlxObjectList::DoItemAdded(void* Item) {
  if (OnItemAdded && !EventsSilenced()) OnItemAdded(this, Item);
}

void TlxObjectList::DoItemRemoved(void* Item) {
  if (OnItemRemoved && !EventsSilenced()) OnItemRemoved(this, Item);
}

void TlxObjectList::DoListChanged(void* Item, TListNotification Action) {
  if (OnListChanged && !EventsSilenced()) OnListChanged(this, Item, Action);
}

void TlxObjectList::LoadFromStream(TStream& Stream, bool ClearFirst) {
  inherited::LoadFromStream(Stream, ClearFirst);
  uint8_t Bytes[4];
  Stream.ReadBuffer(Bytes, 4);
  int32_t Count = static_cast<int32_t>(Bytes[0] | Bytes[1] << 8 | Bytes[2] << 16 | static_cast<uint32_t>(Bytes[3]) << 24);
  for (int32_t I = 0; I < Count; ++I) ReadItem(Stream);
}

void TlxObjectList::SaveToStream(TStream& Stream) {
  uint32_t N = static_cast<uint32_t>(Count());
  uint8_t Bytes[4] = {static_cast<uint8_t>(N), static_cast<uint8_t>(N >> 8), static_cast<uint8_t>(N >> 16),
                      static_cast<uint8_t>(N >> 24)};
  Stream.WriteBuffer(Bytes, 4);
  for (int I = 0; I < Count(); ++I) WriteItem(I, Stream);
}

// ---- TlxComponent -------------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxComponent) {
  C.Property("About", &TlxComponent::FAbout, &TlxComponent::SetAbout).Stored(false);
}

TlxComponent::TlxComponent(TComponent* AOwner) : TComponent(AOwner), FOwnerComponent(AOwner) {}

TComponent* TlxComponent::GetOwnerForm() const {
  if (FOwnerComponent == nullptr) return nullptr;
  for (TClass Cls = FOwnerComponent->ClassType(); Cls != nullptr; Cls = Cls->ClassParent())
    if (Cls->ClassName() == "TForm") return FOwnerComponent;
  return nullptr;
}

void TlxComponent::SetOwnerComponent(TComponent* AComponent) {
  if (AComponent == FOwnerComponent) return;
  // A component other than the owner may go first: be told, so the pointer never dangles.
  if (FOwnerComponent != nullptr && FOwnerComponent != Owner()) FOwnerComponent->RemoveFreeNotification(this);
  FOwnerComponent = AComponent;
  if (AComponent != nullptr && AComponent != Owner()) AComponent->FreeNotification(this);
}

void TlxComponent::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FOwnerComponent) FOwnerComponent = nullptr;
}
