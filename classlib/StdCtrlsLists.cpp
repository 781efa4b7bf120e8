// The list box and the combo box: items kept by the control and copied into its window.
#include "classlib/StdCtrls.h"

#include <algorithm>

#include "classlib/ControlsPublish.h"
#include "classlib/TypInfo.h"

using namespace controls_publish;

namespace {
// Form resources create these by class name. Registering only records the classes.
struct TListControlsRegistration {
  TListControlsRegistration() { RegisterClasses({ClassOf<TListBox>(), ClassOf<TComboBox>()}); }
} const g_ListControlsClasses;

// The messages of one kind of list window.
struct TListMessages {
  UINT InsertString;
  UINT DeleteString;
  UINT ResetContent;
  UINT GetCurSel;
  UINT SetCurSel;
};
constexpr TListMessages kListBoxMessages{LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_GETCURSEL,
                                         LB_SETCURSEL};
constexpr TListMessages kComboBoxMessages{CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_GETCURSEL,
                                          CB_SETCURSEL};
}  // namespace

// The items of a list box or combo box: the strings live here; every change is copied into the
// control's window when it has one.
class TWindowListItems : public TStrings {
  VD_CLASS(TWindowListItems, TStrings);

public:
  TWindowListItems(TWinControl* Control, const TListMessages& Messages)
      : FControl(Control), FMessages(Messages) {}

  std::string Get(int Index) const override { return FList.Get(Index); }
  int GetCount() const override { return FList.GetCount(); }
  TObject* GetObject(int Index) const override { return FList.GetObject(Index); }
  void PutObject(int Index, TObject* AObject) override { FList.PutObject(Index, AObject); }
  void Put(int Index, const std::string& S) override {
    TObject* Object = FList.GetObject(Index);
    int Selected = Selection();
    Delete(Index);
    InsertObject(Index, S, Object);
    if (Selected == Index) Send(FMessages.SetCurSel, static_cast<WPARAM>(Index), 0);
  }
  void Insert(int Index, const std::string& S) override { InsertObject(Index, S, nullptr); }
  void InsertObject(int Index, const std::string& S, TObject* AObject) override {
    FList.InsertObject(Index, S, AObject);
    Send(FMessages.InsertString, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str()));
  }
  void Delete(int Index) override {
    FList.Delete(Index);
    Send(FMessages.DeleteString, static_cast<WPARAM>(Index), 0);
  }
  void Clear() override {
    FList.Clear();
    Send(FMessages.ResetContent, 0, 0);
  }

  // Fills a new window with the items and selects line Selected.
  void FillWindow(int Selected) {
    Send(FMessages.ResetContent, 0, 0);
    for (int I = 0; I < FList.GetCount(); ++I)
      Send(FMessages.InsertString, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(FList.Get(I).c_str()));
    Send(FMessages.SetCurSel, static_cast<WPARAM>(Selected), 0);
  }
  int Selection() const { return FControl->HandleAllocated() ? static_cast<int>(Send(FMessages.GetCurSel, 0, 0)) : -1; }
  void Select(int Index) const { Send(FMessages.SetCurSel, static_cast<WPARAM>(Index), 0); }

private:
  LRESULT Send(UINT Msg, WPARAM W, LPARAM L) const {
    return FControl->HandleAllocated() ? SendMessageA(FControl->Handle(), Msg, W, L) : 0;
  }
  TWinControl* FControl;
  TListMessages FMessages;
  TStringList FList;
};

VD_DEFINE_CLASS(TWindowListItems) {}

namespace {
TWindowListItems* ItemsOf(TStrings* Items) { return static_cast<TWindowListItems*>(Items); }

// The selection of a list kept while there is no window: clamped into the items.
int KeptIndex(int Index, TStrings* Items) { return Index >= 0 && Index < Items->Count() ? Index : -1; }
}  // namespace

// ---- TCustomListBox -----------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(TWindowListItems::Create(this, kListBoxMessages)) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csOpaque};
  StoreBounds(0, 0, 121, 97);
  FParentColor = false;
  SetTabStop(true);
}

void TCustomListBox::BeforeDestruction() {
  inherited::BeforeDestruction();
  FItems->Free();
  FItems = nullptr;
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "LISTBOX");
  Params.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  ItemsOf(FItems)->FillWindow(KeptIndex(FItemIndex, FItems));
}

void TCustomListBox::DestroyWnd() {
  FItemIndex = ItemsOf(FItems)->Selection();
  TWinControl::DestroyWnd();
}

int TCustomListBox::ItemIndex() {
  return HandleAllocated() ? ItemsOf(FItems)->Selection() : KeptIndex(FItemIndex, FItems);
}

void TCustomListBox::SetItemIndex(int Value) {
  FItemIndex = Value;
  ItemsOf(FItems)->Select(Value);
}

void TCustomListBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    switch (HIWORD(Message.WParam)) {
      case LBN_SELCHANGE: Click(); break;
      case LBN_DBLCLK: DblClick(); break;
    }
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---- TCustomComboBox ----------------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(TWindowListItems::Create(this, kComboBoxMessages)) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight};
  StoreBounds(0, 0, 145, 21);
  FParentColor = false;
  SetTabStop(true);
}

void TCustomComboBox::BeforeDestruction() {
  inherited::BeforeDestruction();
  FItems->Free();
  FItems = nullptr;
}

int TCustomComboBox::ListHeight() {
  // Room for the lines of the dropped-down list below the box.
  return std::max(FDropDownCount, 1) * (Font()->Size() * 2 + 4) + 2;
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "COMBOBOX");
  static constexpr DWORD kStyles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST};
  Params.Style |= kStyles[FStyle] | CBS_AUTOHSCROLL | WS_VSCROLL;
  if (FStyle != csSimple) Params.Height += ListHeight();
}

void TCustomComboBox::CreateWnd() {
  TWinControl::CreateWnd();
  ItemsOf(FItems)->FillWindow(KeptIndex(FItemIndex, FItems));
}

void TCustomComboBox::DestroyWnd() {
  FItemIndex = ItemsOf(FItems)->Selection();
  TWinControl::DestroyWnd();
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // A combo box's window is as tall as the box and its dropped-down list; it reports the box.
  if (HandleAllocated() && FStyle != csSimple) AHeight += ListHeight();
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

int TCustomComboBox::ItemIndex() {
  return HandleAllocated() ? ItemsOf(FItems)->Selection() : KeptIndex(FItemIndex, FItems);
}

void TCustomComboBox::SetItemIndex(int Value) {
  FItemIndex = Value;
  if (!ComponentState().Contains(csLoading)) ItemsOf(FItems)->Select(Value);
}

void TCustomComboBox::Loaded() {
  TWinControl::Loaded();
  ItemsOf(FItems)->Select(KeptIndex(FItemIndex, FItems));  // the items are all read now
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  RecreateWnd();
}

void TCustomComboBox::SetDropDownCount(int Value) {
  if (FDropDownCount == Value || Value < 1) return;
  FDropDownCount = Value;
  if (HandleAllocated()) SetBounds(Left(), Top(), Width(), Height());
}

void TCustomComboBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    switch (HIWORD(Message.WParam)) {
      case CBN_SELCHANGE:
      case CBN_EDITCHANGE: OnChange(this); break;
    }
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TCustomListBox) {}

VD_DEFINE_CLASS(TListBox) {
  PublishControl(C, clWindow, false);
  PublishWinControl(C, true);
  PublishKeyEvents(C);
  C.Property("Items", &TListBox::Items, &TListBox::SetItems);
  // A list box shows its items; it has no caption of its own.
  C.Property("Caption").Stored(false);
}

VD_DEFINE_CLASS(TCustomComboBox) {}

VD_DEFINE_CLASS(TComboBox) {
  PublishControl(C, clWindow, false);
  PublishWinControl(C, true);
  PublishKeyEvents(C);
  C.Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount).Default(8);
  C.Property("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex).Default(-1);
  C.Property("Items", &TComboBox::Items, &TComboBox::SetItems);
  C.Property("Style", &TComboBox::Style, &TComboBox::SetStyle).Default(csDropDown);
  C.Property("OnChange", &TComboBox::OnChange, &TComboBox::OnChange);
  C.Property("Caption").Stored(false);
}
