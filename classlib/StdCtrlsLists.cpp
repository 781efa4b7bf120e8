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

// The items of a list box or combo box and the selected line: they live here while the control
// has no window and are copied into the window when it has one.
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
    if (Selected == Index) SetItemIndex(Index);
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

  // The selected line (-1: none). Not Shown: kept for ShowItemIndex or a window made later.
  int ItemIndex() const { return FControl->HandleAllocated() ? Selection() : Kept(); }
  void SetItemIndex(int Index, bool Shown = true) {
    FItemIndex = Index;
    if (Shown) ShowItemIndex();
  }
  void ShowItemIndex() { Send(FMessages.SetCurSel, static_cast<WPARAM>(Kept()), 0); }
  // A new window gets the items and the selection; a window that goes leaves its selection.
  void WindowCreated() {
    Send(FMessages.ResetContent, 0, 0);
    for (int I = 0; I < FList.GetCount(); ++I)
      Send(FMessages.InsertString, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(FList.Get(I).c_str()));
    ShowItemIndex();
  }
  void WindowGoing() { FItemIndex = Selection(); }

private:
  int Selection() const { return FControl->HandleAllocated() ? static_cast<int>(Send(FMessages.GetCurSel, 0, 0)) : -1; }
  int Kept() const { return FItemIndex >= 0 && FItemIndex < FList.GetCount() ? FItemIndex : -1; }
  LRESULT Send(UINT Msg, WPARAM W, LPARAM L) const {
    return FControl->HandleAllocated() ? SendMessageA(FControl->Handle(), Msg, W, L) : 0;
  }
  TWinControl* FControl;
  TListMessages FMessages;
  TStringList FList;
  int FItemIndex = -1;  // while there is no window
};

VD_DEFINE_CLASS(TWindowListItems) {}

namespace {
TWindowListItems* ItemsOf(TStrings* Items) { return static_cast<TWindowListItems*>(Items); }
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
  ItemsOf(FItems)->WindowCreated();
}

void TCustomListBox::DestroyWnd() {
  ItemsOf(FItems)->WindowGoing();
  TWinControl::DestroyWnd();
}

int TCustomListBox::ItemIndex() { return ItemsOf(FItems)->ItemIndex(); }

void TCustomListBox::SetItemIndex(int Value) { ItemsOf(FItems)->SetItemIndex(Value); }

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
  ItemsOf(FItems)->WindowCreated();
}

void TCustomComboBox::DestroyWnd() {
  ItemsOf(FItems)->WindowGoing();
  TWinControl::DestroyWnd();
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // A combo box's window is as tall as the box and its dropped-down list; it reports the box.
  if (HandleAllocated() && FStyle != csSimple) AHeight += ListHeight();
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

int TCustomComboBox::ItemIndex() { return ItemsOf(FItems)->ItemIndex(); }

void TCustomComboBox::SetItemIndex(int Value) {
  ItemsOf(FItems)->SetItemIndex(Value, !ComponentState().Contains(csLoading));
}

void TCustomComboBox::Loaded() {
  TWinControl::Loaded();
  ItemsOf(FItems)->ShowItemIndex();  // the items are all read now
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
