#include "lx/lxBase.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/Forms.h"

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

VD_DEFINE_CLASS(TlxTextStyle) {
  C.Property("PlainText", &TlxTextStyle::FPlainText, &TlxTextStyle::SetPlainText).Default(false);
  C.Property("TagOpen", &TlxTextStyle::FTagOpen, &TlxTextStyle::SetTagOpen).Default('[');
  C.Property("TagClose", &TlxTextStyle::FTagClose, &TlxTextStyle::SetTagClose).Default(']');
}

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
  if (FOwner != nullptr) FOwner->Invalidate();
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

namespace {
// While the application goes away (the module shuts down) nobody is told about list changes.
bool EventsSilenced() { return Application->ComponentState().Contains(csDestroying); }
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

TForm* TlxComponent::GetOwnerForm() const {
  if (FOwnerComponent == nullptr || !FOwnerComponent->InheritsFrom(ClassOf<TForm>())) return nullptr;
  return static_cast<TForm*>(FOwnerComponent);
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

// ---- Owner-form hooks: procedures and pass-throughs ---------------------------------------------

// What a hook procedure calls: the component's handler while it is bound; once the component has
// let go of it but something it does not know still calls it, a pass-through to Next.
struct TlxHookCell {
  TObject* Target = nullptr;  // nil: pass-through
  void (*Deliver)(TObject* Target, TMessage& Message) = nullptr;
  WNDPROC Self = nullptr;
  HWND Wnd = nullptr;      // pass-through: the window it serves
  WNDPROC Next = nullptr;  // pass-through: where messages go on
};

namespace {
using TCellPtr = std::shared_ptr<TlxHookCell>;

// Pass-throughs of this thread; each goes when its window's last message (WM_NCDESTROY) passes.
// A plain pointer: thread_local objects with destructors are not safe at thread exit with this
// runtime, and the list exists only while something passes through it.
thread_local std::vector<TCellPtr>* t_PassThroughs = nullptr;

std::vector<TCellPtr>& PassThroughs() {
  if (!t_PassThroughs) t_PassThroughs = new std::vector<TCellPtr>;
  return *t_PassThroughs;
}

void KeepPassThrough(TCellPtr Cell) { PassThroughs().push_back(std::move(Cell)); }

void DropPassThrough(const TlxHookCell* Cell) {
  if (!t_PassThroughs) return;
  auto& List = *t_PassThroughs;
  auto It = std::find_if(List.begin(), List.end(), [Cell](const TCellPtr& P) { return P.get() == Cell; });
  if (It == List.end()) return;
  TCellPtr Keep = *It;  // the running call still holds one reference through its procedure
  List.erase(It);
  if (List.empty()) {
    delete t_PassThroughs;
    t_PassThroughs = nullptr;
  }
  FreeObjectInstance(Keep->Self);
}

void PassOn(const TCellPtr& Cell, TMessage& Message) {
  Message.Result = CallWindowProcA(Cell->Next, MessageWindow(), Message.Msg, Message.WParam, Message.LParam);
  if (Message.Msg == WM_NCDESTROY) DropPassThrough(Cell.get());
}

// A new window procedure bound to Target's handler.
TCellPtr MakeHookCell(TObject* Target, void (*Deliver)(TObject*, TMessage&)) {
  auto Cell = std::make_shared<TlxHookCell>();
  Cell->Target = Target;
  Cell->Deliver = Deliver;
  Cell->Self = MakeObjectInstance([Cell](TMessage& Message) {
    if (TObject* Target = Cell->Target) Cell->Deliver(Target, Message);
    else PassOn(Cell, Message);
  });
  return Cell;
}

void FreeHookCell(TCellPtr& Cell) {
  if (!Cell) return;
  Cell->Target = nullptr;
  FreeObjectInstance(Cell->Self);
  Cell.reset();
}

WNDPROC CurrentWndProc(HWND Wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Wnd, GWLP_WNDPROC)); }

void SetWndProc(HWND Wnd, WNDPROC Proc) { SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)); }

// Takes pass-throughs off the top of Wnd's chain while they are its procedure, and forgets those
// of windows that are gone without their last message passing them.
void CollapsePassThroughs(HWND Wnd) {
  for (bool Again = true; Again && t_PassThroughs;) {
    Again = false;
    for (const TCellPtr& P : *t_PassThroughs) {
      if (!IsWindow(P->Wnd) || (P->Wnd == Wnd && CurrentWndProc(Wnd) == P->Self)) {
        if (IsWindow(P->Wnd)) SetWndProc(Wnd, P->Next);
        DropPassThrough(P.get());
        Again = true;
        break;
      }
    }
  }
}

std::atomic<unsigned> g_NextSerial{0};
}  // namespace

// ---- The hook list ------------------------------------------------------------------------------

// The form hooks of one thread in the order they were hooked, with a hidden window that hooks
// the components of a destroyed window again once their control has made a new one.
class TlxHookList : public TList {
  VD_CLASS(TlxHookList, TList);

public:
  TlxHookList() = default;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  HWND Window() const noexcept { return FWindow; }
  TlxFormHookComponent* Hook(int Index) const { return static_cast<TlxFormHookComponent*>(Get(Index)); }
  // Still in the list, and not a component that took a freed one's place.
  bool HoldsHook(TlxFormHookComponent* Component, unsigned Serial) const {
    return IndexOf(Component) >= 0 && Component->FSerial == Serial;
  }
  // The first hooked component of Wnd in list order (the one next to the window's own procedure).
  TlxFormHookComponent* FirstHookOf(HWND Wnd) const;

  void AddItem(TlxFormHookComponent* Component);
  void HookItem(TlxFormHookComponent* Component);
  void UnhookItem(TlxFormHookComponent* Component);
  void ReleaseItem(TlxFormHookComponent* Component);

  // The calling thread's list, made on first need; freed once empty (after its window handler
  // returns when that is running).
  static TlxHookList* Current() noexcept { return t_List; }
  static TlxHookList* Needed();
  static void FreeIfEmpty();

private:
  void ListWndProc(TMessage& Message);
  void Rehook(HWND Wnd);
  // Takes Component's procedure out of the chain of Wnd, whose window is still the control's.
  void Unlink(TlxFormHookComponent* Component);
  // Points whatever of ours calls From at To instead; false when nothing of ours calls From.
  bool Redirect(HWND Wnd, WNDPROC From, WNDPROC To);

  static thread_local TlxHookList* t_List;
  HWND FWindow = nullptr;
  int FBusy = 0;
  bool FFreePending = false;
};

thread_local TlxHookList* TlxHookList::t_List = nullptr;

VD_DEFINE_CLASS(TlxHookList) {}

namespace {
// The control whose window a hook sits on; nil when the owner component is none (or not windowed).
TWinControl* HookedControl(TlxFormHookComponent* Component) {
  return dynamic_cast<TWinControl*>(Component->OwnerComponent());
}

[[noreturn]] void RaiseBadOwner() { throw EInvalidOperation("Owner must be TWinControl or its descendant!"); }
}  // namespace

void TlxHookList::AfterConstruction() {
  inherited::AfterConstruction();
  FWindow = AllocateHWnd(TWndMethod::Bind<&TlxHookList::ListWndProc>(this));
}

void TlxHookList::BeforeDestruction() {
  DeallocateHWnd(FWindow);
  FWindow = nullptr;
  inherited::BeforeDestruction();
}

TlxHookList* TlxHookList::Needed() {
  if (!t_List) t_List = TlxHookList::Create();
  return t_List;
}

void TlxHookList::FreeIfEmpty() {
  TlxHookList* List = t_List;
  if (!List || List->Count() > 0) return;
  if (List->FBusy > 0) {
    List->FFreePending = true;
    return;
  }
  t_List = nullptr;
  List->Free();
}

TlxFormHookComponent* TlxHookList::FirstHookOf(HWND Wnd) const {
  for (int I = 0; I < Count(); ++I)
    if (TlxFormHookComponent* C = Hook(I); C->FHooked && C->FHandle == Wnd) return C;
  return nullptr;
}

void TlxHookList::AddItem(TlxFormHookComponent* Component) {
  Component->FSerial = ++g_NextSerial;
  Add(Component);
  try {
    HookItem(Component);
  } catch (...) {
    Remove(Component);
    ReleaseItem(Component);
    throw;
  }
  // The stored flag starts from the window's real state.
  Component->FTopMost = (Component->GetWindowExStyle() & WS_EX_TOPMOST) != 0;
}

void TlxHookList::HookItem(TlxFormHookComponent* Component) {
  TWinControl* Control = HookedControl(Component);
  if (!Control) RaiseBadOwner();
  HWND Wnd = Control->Handle();
  if (!Component->FHookCell)
    Component->FHookCell = MakeHookCell(Component, [](TObject* T, TMessage& M) {
      static_cast<TlxFormHookComponent*>(T)->HookWndProc(M);
    });
  Component->FHookInstance = Component->FHookCell->Self;
  Component->FHandle = Wnd;
  // On top of whatever the window's procedure is now: the hooks made before, or a procedure
  // someone else installed above them, which so stays in the chain.
  Component->FOldWndProc = CurrentWndProc(Wnd);
  Component->FHooked = true;
  SetWndProc(Wnd, Component->FHookInstance);
}

void TlxHookList::UnhookItem(TlxFormHookComponent* Component) {
  int Index = IndexOf(Component);
  if (Index < 0) {
    ReleaseItem(Component);
    return;
  }
  Delete(Index);
  if (Component->FHooked && Component->FHandle) {
    // A window that is gone (or no longer the control's) is not touched: the handle is stale.
    TWinControl* Control = HookedControl(Component);
    HWND Wnd = Component->FHandle;
    if (IsWindow(Wnd) && Control && Control->HandleAllocated() && Control->Handle() == Wnd) {
      Unlink(Component);
      return;
    }
  }
  ReleaseItem(Component);
}

void TlxHookList::Unlink(TlxFormHookComponent* Component) {
  HWND Wnd = Component->FHandle;
  WNDPROC Self = Component->FHookInstance;
  WNDPROC Below = Component->FOldWndProc;
  if (CurrentWndProc(Wnd) == Self) {
    SetWndProc(Wnd, Below);
    ReleaseItem(Component);
    CollapsePassThroughs(Wnd);
  } else if (Redirect(Wnd, Self, Below)) {
    ReleaseItem(Component);
  } else {
    // Someone else's procedure above the chain calls this one: it stays, passing messages on.
    TCellPtr Cell = std::move(Component->FHookCell);
    Cell->Wnd = Wnd;
    Cell->Next = Below;
    Cell->Target = nullptr;
    KeepPassThrough(std::move(Cell));
    ReleaseItem(Component);
  }
}

bool TlxHookList::Redirect(HWND Wnd, WNDPROC From, WNDPROC To) {
  for (int I = 0; I < Count(); ++I) {
    TlxFormHookComponent* C = Hook(I);
    if (C->FHooked && C->FHandle == Wnd && C->FOldWndProc == From) {
      C->FOldWndProc = To;
      return true;
    }
  }
  if (!t_PassThroughs) return false;
  for (const TCellPtr& P : *t_PassThroughs) {
    if (P->Wnd == Wnd && P->Next == From) {
      P->Next = To;
      return true;
    }
  }
  return false;
}

void TlxHookList::ReleaseItem(TlxFormHookComponent* Component) {
  FreeHookCell(Component->FHookCell);
  Component->FHookInstance = nullptr;
  Component->FOldWndProc = nullptr;
  Component->FHooked = false;
}

void TlxHookList::ListWndProc(TMessage& Message) {
  ++FBusy;
  try {
    if (Message.Msg == WM_QUERYENDSESSION) {
      Message.Result = 1;
    } else if (Message.Msg == LXM_REHOOK) {
      Rehook(reinterpret_cast<HWND>(Message.LParam));
    } else {
      // MessageWindow: FWindow is not known yet while the window is being created.
      Message.Result = DefWindowProcA(MessageWindow(), Message.Msg, Message.WParam, Message.LParam);
    }
  } catch (...) {
    Application->HandleException(this);
  }
  if (--FBusy == 0 && FFreePending) {
    FFreePending = false;
    FreeIfEmpty();  // may free this list: nothing of it is used afterwards
  }
}

void TlxHookList::Rehook(HWND Wnd) {
  // A snapshot: Rehooked may free hooks or make new ones.
  std::vector<std::pair<TlxFormHookComponent*, unsigned>> Items;
  for (int I = 0; I < Count(); ++I)
    if (TlxFormHookComponent* C = Hook(I); C->FHandle == Wnd) Items.emplace_back(C, C->FSerial);
  if (Items.empty()) return;
  for (auto It = Items.rbegin(); It != Items.rend(); ++It)
    if (HoldsHook(It->first, It->second)) ReleaseItem(It->first);
  CollapsePassThroughs(Wnd);  // drops those of the old window
  for (auto [C, Serial] : Items) {
    if (!HoldsHook(C, Serial) || C->FHandle != Wnd) continue;
    TWinControl* Control = HookedControl(C);
    if (!Control || C->ComponentState().Contains(csDestroying) ||
        Control->ComponentState().Contains(csDestroying))
      continue;
    try {
      HookItem(C);
      C->Rehooked();
    } catch (...) {
      Application->HandleException(HoldsHook(C, Serial) ? C : nullptr);
    }
  }
}

// ---- TlxFormHookComponent -----------------------------------------------------------------------

VD_DEFINE_CLASS(TlxFormHookComponent) {}

void TlxFormHookComponent::AfterConstruction() {
  inherited::AfterConstruction();
  if (!dynamic_cast<TWinControl*>(Owner())) RaiseBadOwner();
  TlxHookList::Needed()->AddItem(this);
}

void TlxFormHookComponent::BeforeDestruction() {
  Destroying();
  if (TlxHookList* List = TlxHookList::Current()) List->UnhookItem(this);
  else FreeHookCell(FHookCell);
  inherited::BeforeDestruction();
  TlxHookList::FreeIfEmpty();
}

void TlxFormHookComponent::SetOwnerComponent(TComponent* AComponent) {
  if (AComponent == OwnerComponent()) return;
  if (!dynamic_cast<TWinControl*>(AComponent)) RaiseBadOwner();
  TlxHookList* List = TlxHookList::Needed();
  List->UnhookItem(this);
  inherited::SetOwnerComponent(AComponent);
  List->AddItem(this);
}

void TlxFormHookComponent::Notification(TComponent* AComponent, TOperation Operation) {
  // The control goes (its window went first): leave the list before the reference is cleared.
  if (Operation == opRemove && AComponent == OwnerComponent() && AComponent != nullptr)
    if (TlxHookList* List = TlxHookList::Current()) List->UnhookItem(this);
  inherited::Notification(AComponent, Operation);
}

void TlxFormHookComponent::HookWndProc(TMessage& Message) {
  // The handlers below may unhook or free this component: what the message needs afterwards is
  // copied first, and the component is only used again while the list still holds it.
  TlxFormHookComponent* const Self = this;
  const unsigned Serial = FSerial;
  const HWND Wnd = MessageWindow();
  const WNDPROC Below = FOldWndProc;
  auto StillHooked = [Self, Serial] {
    TlxHookList* List = TlxHookList::Current();
    return List && List->HoldsHook(Self, Serial);
  };
  try {
    if (Message.Msg == WM_DESTROY) {
      // One notice per window (from its first hook), and none while the control dies with us.
      TlxHookList* List = TlxHookList::Current();
      if (!ComponentState().Contains(csDestroying) && List && List->FirstHookOf(Wnd) == this)
        PostMessageA(List->Window(), LXM_REHOOK, 0, reinterpret_cast<LPARAM>(Wnd));
    } else if (Message.Msg == LXM_TOPMOSTCHANGED) {
      LXMTopMostChanged(Message);
    }
    bool Handled = false;
    BeforeWndProc(Message, Handled);
    if (!Handled) {
      WNDPROC Next = Below;
      if (StillHooked() && FHooked && FHandle == Wnd) Next = FOldWndProc;  // relinked meanwhile
      Message.Result = Next ? CallWindowProcA(Next, Wnd, Message.Msg, Message.WParam, Message.LParam)
                            : DefWindowProcA(Wnd, Message.Msg, Message.WParam, Message.LParam);
    }
    if (StillHooked()) AfterWndProc(Message);
  } catch (...) {
    Application->HandleException(StillHooked() ? Self : nullptr);
  }
}

void TlxFormHookComponent::LXMTopMostChanged(TMessage& Message) { FTopMost = Message.WParam != 0; }

HMENU TlxFormHookComponent::GetFormSystemMenu() { return GetSystemMenu(FHandle, FALSE); }

void TlxFormHookComponent::FrameChanged() {
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TlxFormHookComponent::SetZOrder(HWND InsertAfter) {
  SetWindowPos(FHandle, InsertAfter, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

DWORD TlxFormHookComponent::GetWindowStyle() {
  return static_cast<DWORD>(GetWindowLongPtrA(FHandle, GWL_STYLE));
}

DWORD TlxFormHookComponent::GetWindowExStyle() {
  return static_cast<DWORD>(GetWindowLongPtrA(FHandle, GWL_EXSTYLE));
}

bool TlxFormHookComponent::GetTopMost() {
  if (ComponentState().Contains(csDesigning)) return FTopMost;
  return (GetWindowExStyle() & WS_EX_TOPMOST) != 0;
}

void TlxFormHookComponent::SetTopMost(bool Value) {
  if (Value == GetTopMost()) return;
  FTopMost = Value;
  if (!ComponentState().Contains(csDesigning)) SetZOrder(Value ? HWND_TOPMOST : HWND_NOTOPMOST);
  SendMessageA(FHandle, LXM_TOPMOSTCHANGED, Value ? 1 : 0, 0);
}

void TlxFormHookComponent::Rehooked() { SetTopMost(FTopMost); }

// ---- TlxHFormHookComponent ----------------------------------------------------------------------

VD_DEFINE_CLASS(TlxHFormHookComponent) {}

void TlxHFormHookComponent::AfterConstruction() {
  inherited::AfterConstruction();
  FUtilityWindow = AllocateHWnd(TWndMethod::Bind<&TlxHFormHookComponent::UtilityWndProc>(this));
}

void TlxHFormHookComponent::BeforeDestruction() {
  DeallocateHWnd(FUtilityWindow);
  FUtilityWindow = nullptr;
  inherited::BeforeDestruction();
}

void TlxHFormHookComponent::UtilityWndProc(TMessage& Message) {
  if (Message.Msg == WM_QUERYENDSESSION) Message.Result = 1;
  else Message.Result = DefWindowProcA(MessageWindow(), Message.Msg, Message.WParam, Message.LParam);
}

// ---- TlxCustomAppHookComponent ------------------------------------------------------------------

VD_DEFINE_CLASS(TlxCustomAppHookComponent) {}

void TlxCustomAppHookComponent::BeforeDestruction() {
  UnhookApplication();
  inherited::BeforeDestruction();
}

void TlxCustomAppHookComponent::HookApplication() {
  TComponentState State = ComponentState();
  HWND AppWnd = Application->Handle();
  if (FAppHooked || State.Contains(csDesigning) || State.Contains(csDestroying) || !AppWnd) return;
  FAppCell = MakeHookCell(this, [](TObject* T, TMessage& M) {
    static_cast<TlxCustomAppHookComponent*>(T)->AppWndProc(M);
  });
  FAppWindow = AppWnd;
  FAppInstance = FAppCell->Self;
  FAppOldWndProc = CurrentWndProc(AppWnd);
  SetWndProc(AppWnd, FAppInstance);
  FAppHooked = true;
}

void TlxCustomAppHookComponent::UnhookApplication() {
  if (!FAppHooked) return;
  FAppHooked = false;
  if (IsWindow(FAppWindow) && CurrentWndProc(FAppWindow) != FAppInstance) {
    // Someone hooked the application's window after us and calls our procedure: keep passing on.
    FAppCell->Wnd = FAppWindow;
    FAppCell->Next = FAppOldWndProc;
    FAppCell->Target = nullptr;
    KeepPassThrough(std::move(FAppCell));
  } else {
    if (IsWindow(FAppWindow)) SetWndProc(FAppWindow, FAppOldWndProc);
    FreeHookCell(FAppCell);
  }
  FAppInstance = nullptr;
  FAppOldWndProc = nullptr;
}

void TlxCustomAppHookComponent::AppWndProc(TMessage& Message) {
  // The cell keeps pointing here only while this component is alive and hooked.
  const TCellPtr Cell = FAppCell;
  auto StillHooked = [&Cell, this] { return Cell->Target == this; };
  const HWND Wnd = MessageWindow();
  const WNDPROC Below = FAppOldWndProc;
  try {
    Message.Result = 1;
    bool Handled = false;
    AppHookBefore(Message, Handled);
    if (!Handled) Message.Result = CallWindowProcA(Below, Wnd, Message.Msg, Message.WParam, Message.LParam);
    if (StillHooked() && !ComponentState().Contains(csDestroying)) AppHookAfter(Message);
  } catch (...) {
    Application->HandleException(StillHooked() ? this : nullptr);
  }
}

// ---- TlxHFormHookComponentWatchCaption ----------------------------------------------------------

VD_DEFINE_CLASS(TlxHFormHookComponentWatchCaption) {}

void TlxHFormHookComponentWatchCaption::AfterWndProc(TMessage& Message) {
  inherited::AfterWndProc(Message);
  if (Message.Msg != WM_GETTEXT) return;
  auto* Control = dynamic_cast<TControl*>(OwnerComponent());
  if (!Control) return;
  // The control's own text path, not the window's: no new WM_GETTEXT through this hook.
  std::string Text = Control->GetText();
  if (Text == FCaption) return;
  FCaption = std::move(Text);
  PostMessageA(UtilityWindow(), LXM_CAPTIONCHANGED, 0, 0);
}

void TlxHFormHookComponentWatchCaption::UtilityWndProc(TMessage& Message) {
  inherited::UtilityWndProc(Message);
  if (Message.Msg == LXM_CAPTIONCHANGED) CaptionChanged();
}

// ---- TlxFormAnimationEffect ---------------------------------------------------------------------

VD_DEFINE_CLASS(TlxFormAnimationEffect) {
  C.Property("OnShowEffect", &TlxFormAnimationEffect::OnShowEffect, &TlxFormAnimationEffect::OnShowEffect);
  C.Property("OnHideEffect", &TlxFormAnimationEffect::OnHideEffect, &TlxFormAnimationEffect::OnHideEffect);
}

void TlxFormAnimationEffect::BeforeWndProc(TMessage& Message, bool& Handled) {
  inherited::BeforeWndProc(Message, Handled);
  if (ComponentState().Contains(csDesigning)) return;
  if (Message.Msg == WM_SHOWWINDOW && (Message.WParam & 0xFF) != 0 && FAnimateOnShow) DoShowEffect();
  if (!FAnimateOnHide) return;
  bool Visible = IsWindowVisible(Handle()) != FALSE;
  if (!FWasVisible && Visible) {
    FWasVisible = true;
  } else if (FWasVisible && !Visible) {
    FWasVisible = false;
    Sleep(10);
    DoHideEffect();
  }
}

void TlxFormAnimationEffect::DoShowEffect() { OnShowEffect(this); }

void TlxFormAnimationEffect::DoHideEffect() { OnHideEffect(this); }

// ---- Diagnostics --------------------------------------------------------------------------------

namespace lxbase_detail {
HWND HookListWindow() noexcept {
  TlxHookList* List = TlxHookList::Current();
  return List ? List->Window() : nullptr;
}

int HookCount() noexcept {
  TlxHookList* List = TlxHookList::Current();
  return List ? List->Count() : 0;
}

int PassThroughCount() noexcept { return t_PassThroughs ? static_cast<int>(t_PassThroughs->size()) : 0; }
}  // namespace lxbase_detail
