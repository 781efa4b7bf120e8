#include "lx/lxCaptionButton.h"

#include <windowsx.h>
#undef GetWindowStyle  // windowsx.h macros; the hook component has members of these names
#undef GetWindowExStyle

#include <algorithm>
#include <cstddef>

#include "classlib/Forms.h"
#include "lx/lxGdiHandles.h"
#include "lx/lxGraphics.h"
#include "lx/lxXPThemes.h"

#if !defined(_WIN64)
// The record sizes of the 32-bit modules.
static_assert(offsetof(TTTOOLINFOA, lParam) + sizeof(LPARAM) == 44);
static_assert(sizeof(MENUITEMINFOA) == 48);
#endif

namespace {

// What the caption buttons of one thread share. Made by the thread's first button, released
// with its last one, so the tooltip window is destroyed on the thread that made it.
struct TThreadState {
  TlxVirtualBtnList* Lists = nullptr;
  int Buttons = 0;
  HWND Tooltip = nullptr;
  bool TooltipTried = false;
  TBitmap* Faces[5] = {};
  bool FacesLoaded = false;
};

thread_local TThreadState* t_State = nullptr;
thread_local int t_NextButtonId = lxFirstCaptionButtonId;
thread_local UINT_PTR t_NextToolId = 0;

const char* const kFaceNames[5] = {"LXCB_XP_BLUE", "LXCB_XP_GREEN", "LXCB_XP_RED", "LXCB_XP_YELLOW",
                                   "LXCB_XP_BROWN"};

TThreadState& AcquireState() {
  if (t_State == nullptr) {
    auto* S = new TThreadState;
    try {
      S->Lists = TlxVirtualBtnList::Create();
    } catch (...) {
      delete S;
      throw;
    }
    t_State = S;
  }
  ++t_State->Buttons;
  return *t_State;
}

void ReleaseState() {
  TThreadState* S = t_State;
  if (S == nullptr || --S->Buttons > 0) return;
  t_State = nullptr;
  for (int I = 4; I >= 0; --I) FreeAndNil(S->Faces[I]);
  if (S->Tooltip && IsWindow(S->Tooltip)) DestroyWindow(S->Tooltip);
  FreeAndNil(S->Lists);
  delete S;
}

// The thread's tooltip window, made on first use; 0 when there is none (or it can't be made).
HWND TooltipWindow(bool Create) {
  TThreadState* S = t_State;
  if (S == nullptr) return nullptr;
  if (!S->TooltipTried && Create) {
    S->TooltipTried = true;
    INITCOMMONCONTROLSEX Icc{sizeof(Icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&Icc);
    S->Tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 0, 0, 0, 0, nullptr, nullptr, ModuleInstance(), nullptr);
    if (S->Tooltip == INVALID_HANDLE_VALUE) S->Tooltip = nullptr;
  }
  return S->Tooltip && IsWindow(S->Tooltip) ? S->Tooltip : nullptr;
}

// The XP face of a colour (loaded from this module's resources on first use; empty when missing).
TBitmap* Face(TlxCaptionButtonXPStyleColor Color) {
  TThreadState* S = t_State;
  if (S == nullptr) return nullptr;
  if (!S->FacesLoaded) {
    S->FacesLoaded = true;
    for (int I = 0; I < 5; ++I) {
      S->Faces[I] = TBitmap::Create();
      try {
        S->Faces[I]->LoadFromResourceName(ModuleInstance(), kFaceNames[I]);
      } catch (...) {
        // A module without the faces draws the XP look without them.
      }
    }
  }
  int I = static_cast<int>(Color);
  return I >= 0 && I < 5 ? S->Faces[I] : nullptr;
}

bool IsNonClientMouseMessage(UINT Msg) { return Msg >= WM_NCMOUSEMOVE && Msg <= WM_NCMBUTTONDBLCLK; }
bool IsClientMouseMessage(UINT Msg) { return Msg >= WM_MOUSEFIRST && Msg <= WM_MBUTTONDBLCLK; }

}  // namespace

// ---- Geometry -----------------------------------------------------------------------------------

namespace lxcaptionbutton_detail {

TCaptionMetrics SystemCaptionMetrics() noexcept {
  TCaptionMetrics M;
  M.CxSize = GetSystemMetrics(SM_CXSIZE);
  M.CySize = GetSystemMetrics(SM_CYSIZE);
  M.CxSmSize = GetSystemMetrics(SM_CXSMSIZE);
  M.CySmSize = GetSystemMetrics(SM_CYSMSIZE);
  M.CxFrame = GetSystemMetrics(SM_CXFRAME);
  M.CyFrame = GetSystemMetrics(SM_CYFRAME);
  M.CxDlgFrame = GetSystemMetrics(SM_CXDLGFRAME);
  M.CyDlgFrame = GetSystemMetrics(SM_CYDLGFRAME);
  return M;
}

std::vector<int> ComputeOffsets(const std::vector<TLayoutItem>& Items, int ButtonWidth) {
  std::vector<int> Offsets(Items.size(), 0);
  int Total = 2;
  for (size_t I = 0; I < Items.size(); ++I) {
    if (!Items[I].Visible) continue;
    Total += Items[I].SeparatorWidth + ButtonWidth - 2;
    Offsets[I] = Total;
  }
  return Offsets;
}

static bool SmallButtons(DWORD ExStyle, bool Designing) { return (ExStyle & WS_EX_TOOLWINDOW) != 0 && !Designing; }

int CaptionButtonWidth(DWORD ExStyle, bool Designing, const TCaptionMetrics& M) noexcept {
  return SmallButtons(ExStyle, Designing) ? M.CxSmSize : M.CxSize;
}

TlxCaptionButtonRect ComputeButtonRect(DWORD Style, DWORD ExStyle, bool Iconic, bool Designing, int WindowWidth,
                                       int Offset, const TCaptionMetrics& M) noexcept {
  int W = WindowWidth;
  int Width, Height;
  if (!SmallButtons(ExStyle, Designing)) {
    Width = M.CxSize;
    Height = M.CySize;
    const DWORD MinMax = WS_MAXIMIZEBOX | WS_MINIMIZEBOX;
    if ((Style & MinMax) == 0 && (ExStyle & WS_EX_CONTEXTHELP) != 0) W -= Width;
    if ((Style & MinMax) != 0) W -= 2 * Width;
  } else {
    Width = M.CxSmSize;
    Height = M.CySmSize;
  }
  if (Style & WS_SYSMENU) W -= Width;
  int FrameX, FrameY;
  if (Iconic || (Style & WS_THICKFRAME) == 0) {
    FrameX = M.CxDlgFrame;
    FrameY = M.CyDlgFrame;
  } else {
    FrameX = M.CxFrame;
    FrameY = M.CyFrame;
  }
  TlxCaptionButtonRect R;
  R.Top = FrameY + 2;
  R.Left = W - Offset - 2 * FrameX;
  R.Right = R.Left + Width - 2;
  R.Height = Height - 5;
  return R;
}

bool PointOnButton(const TlxCaptionButtonRect& Rect, POINT P, bool Iconic, const TCaptionMetrics& M) noexcept {
  if (!(Rect.Left < P.x && P.x <= Rect.Right + 1)) return false;
  if (P.y < 0) return true;
  return Iconic && M.CyDlgFrame < P.y && P.y < M.CyDlgFrame + Rect.Top + Rect.Height;
}

bool BubbleSortByOrder(std::vector<int>& Orders, std::vector<int>* Permutation) {
  if (Permutation) {
    Permutation->resize(Orders.size());
    for (size_t I = 0; I < Orders.size(); ++I) (*Permutation)[I] = static_cast<int>(I);
  }
  bool Moved = false;
  for (bool Swapped = true; Swapped;) {
    Swapped = false;
    for (size_t I = 1; I < Orders.size(); ++I) {
      if (Orders[I] < Orders[I - 1]) {
        std::swap(Orders[I], Orders[I - 1]);
        if (Permutation) std::swap((*Permutation)[I], (*Permutation)[I - 1]);
        Swapped = Moved = true;
      }
    }
  }
  return Moved;
}

HWND ThreadTooltipWindow() noexcept { return TooltipWindow(false); }
int ThreadWindowListCount() noexcept { return t_State ? t_State->Lists->Count() : 0; }
int ThreadButtonCount() noexcept { return t_State ? t_State->Buttons : 0; }
int NextButtonId() noexcept { return t_NextButtonId; }

}  // namespace lxcaptionbutton_detail

using namespace lxcaptionbutton_detail;

const TTypeInfo* BtnOrderTypeInfo() {
  static const TTypeInfo Info = MakeOrdTypeInfo(tkInteger, "TlxBtnOrder", -1, 32767);
  return &Info;
}

// ---- TlxACaptionButton --------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxACaptionButton) {
  C.Property("BtnOrder", &TlxACaptionButton::BtnOrder, &TlxACaptionButton::SetBtnOrder)
      .Type(BtnOrderTypeInfo())
      .NoDefault();
  C.Property("Cursor", &TlxACaptionButton::Cursor, &TlxACaptionButton::SetCursor).Type(CursorTypeInfo()).Default(0);
  C.Property("CursorDown", &TlxACaptionButton::CursorDown, &TlxACaptionButton::SetCursorDown)
      .Type(CursorTypeInfo())
      .Default(0);
  C.Property("Enabled", &TlxACaptionButton::Enabled, &TlxACaptionButton::SetEnabled).Default(true);
  C.Property("Hint", &TlxACaptionButton::Hint, &TlxACaptionButton::SetHint);
  C.Property("SeparatorWidth", &TlxACaptionButton::SeparatorWidth, &TlxACaptionButton::SetSeparatorWidth).Default(0);
  C.Property("ShowHint", &TlxACaptionButton::ShowHint, &TlxACaptionButton::SetShowHint).Default(true);
  C.Property("Style", &TlxACaptionButton::Style, &TlxACaptionButton::SetStyle).Default(cbsAuto);
  C.Property("Visible", &TlxACaptionButton::Visible, &TlxACaptionButton::SetVisible).NoDefault();
  C.Property("XPStyleColor", &TlxACaptionButton::XPStyleColor, &TlxACaptionButton::SetXPStyleColor)
      .Default(xpcBlue);
}

TlxBtnOrder TlxACaptionButton::BtnOrder() const { return FButton->BtnOrder(); }
void TlxACaptionButton::SetBtnOrder(TlxBtnOrder Value) { FButton->SetBtnOrder(Value); }
TCursor TlxACaptionButton::Cursor() const { return FButton->Cursor(); }
void TlxACaptionButton::SetCursor(TCursor Value) { FButton->SetCursor(Value); }
TCursor TlxACaptionButton::CursorDown() const { return FButton->CursorDown(); }
void TlxACaptionButton::SetCursorDown(TCursor Value) { FButton->SetCursorDown(Value); }
bool TlxACaptionButton::Enabled() const { return FButton->Enabled(); }
void TlxACaptionButton::SetEnabled(bool Value) { FButton->SetEnabled(Value); }
std::string TlxACaptionButton::Hint() const { return FButton->Hint(); }
void TlxACaptionButton::SetHint(const std::string& Value) { FButton->SetHint(Value); }
int TlxACaptionButton::SeparatorWidth() const { return FButton->SeparatorWidth(); }
void TlxACaptionButton::SetSeparatorWidth(int Value) { FButton->SetSeparatorWidth(Value); }
bool TlxACaptionButton::ShowHint() const { return FButton->ShowHint(); }
void TlxACaptionButton::SetShowHint(bool Value) { FButton->SetShowHint(Value); }
TlxCaptionButtonStyle TlxACaptionButton::Style() const { return FButton->Style(); }
void TlxACaptionButton::SetStyle(TlxCaptionButtonStyle Value) { FButton->SetStyle(Value); }
bool TlxACaptionButton::Visible() const { return FButton->Visible(); }
void TlxACaptionButton::SetVisible(bool Value) { FButton->SetVisible(Value); }
TlxCaptionButtonXPStyleColor TlxACaptionButton::XPStyleColor() const { return FButton->XPStyleColor(); }
void TlxACaptionButton::SetXPStyleColor(TlxCaptionButtonXPStyleColor Value) { FButton->SetXPStyleColor(Value); }

// ---- TlxSystemMenu ------------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxSystemMenu) {
  C.Property("ApplyToMenu", &TlxSystemMenu::FApplyToMenu, &TlxSystemMenu::SetApplyToMenu);
  C.Property("Caption", &TlxSystemMenu::FCaption, &TlxSystemMenu::SetCaption);
  C.Property("Position", &TlxSystemMenu::FPosition, &TlxSystemMenu::SetPosition).Default(0);
  C.Property("Separators", &TlxSystemMenu::FSeparators, &TlxSystemMenu::SetSeparators);
}

void TlxSystemMenu::BeforeDestruction() {
  Remove();
  inherited::BeforeDestruction();
}

void TlxSystemMenu::SetApplyToMenu(bool Value) {
  if (Value == FApplyToMenu) return;
  Remove();
  FApplyToMenu = Value;
  Apply();
}

void TlxSystemMenu::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  Remove();
  FCaption = Value;
  Apply();
}

void TlxSystemMenu::SetPosition(uint16_t Value) {
  if (Value == FPosition) return;
  Remove();
  FPosition = Value;
  Apply();
}

void TlxSystemMenu::SetSeparators(TlxMenuSeparators Value) {
  if (Value == FSeparators) return;
  Remove();
  FSeparators = Value;
  Apply();
}

namespace {
bool InsertSystemMenuItem(HMENU Menu, UINT Position, bool Separator, UINT Id, const std::string& Text,
                          HMENU SubMenu) {
  MENUITEMINFOA Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = MIIM_STATE | MIIM_ID | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
  if (SubMenu) Info.fMask |= MIIM_SUBMENU;
  Info.fType = Separator ? MFT_SEPARATOR : MFT_STRING;
  Info.fState = MFS_DEFAULT;
  Info.wID = Id;
  Info.hSubMenu = SubMenu;
  if (!Separator) {
    Info.dwTypeData = const_cast<char*>(Text.c_str());
    Info.cch = static_cast<UINT>(Text.size());
  }
  return InsertMenuItemA(Menu, Position, TRUE, &Info) != FALSE;
}
}  // namespace

void TlxSystemMenu::Apply() {
  if (!FApplyToMenu || FApplied || FButton == nullptr || !FButton->WindowAlive()) return;
  HMENU Menu = FButton->GetFormSystemMenu();
  if (Menu == nullptr) return;
  int Count = GetMenuItemCount(Menu);
  if (Count < 0) return;
  UINT Pos = FPosition > Count + 1 ? static_cast<UINT>(Count) : FPosition;
  const UINT Id = static_cast<UINT>(FButton->ButtonId());
  HMENU Sub = nullptr;
  if (FButton->PopupMenu() && !FButton->IsDesigningNow()) Sub = FButton->PopupMenu()->Handle();
  InsertSystemMenuItem(Menu, Pos, false, Id, FCaption.empty() ? FButton->Hint() : FCaption, Sub);
  if (FSeparators.Contains(seBefore)) {
    InsertSystemMenuItem(Menu, Pos, true, Id + lxSeparatorBeforeOffset, {}, nullptr);
    Pos += 2;
  } else {
    Pos += 1;
  }
  if (FSeparators.Contains(seAfter)) InsertSystemMenuItem(Menu, Pos, true, Id + lxSeparatorAfterOffset, {}, nullptr);
  EnableMenuItem(Menu, Id, MF_BYCOMMAND | (FButton->Enabled() ? MF_ENABLED : MF_GRAYED));
  FApplied = true;
  CheckMenuItem(Menu, Id, MF_BYCOMMAND | (FButton->Down() ? MF_CHECKED : MF_UNCHECKED));
}

void TlxSystemMenu::Remove() {
  if (!FApplied) return;
  FApplied = false;
  if (FButton == nullptr || !FButton->WindowAlive()) return;
  HMENU Menu = FButton->GetFormSystemMenu();
  if (Menu == nullptr) return;
  const UINT Id = static_cast<UINT>(FButton->ButtonId());
  // Removed, not deleted: the item may carry the button's popup menu as its submenu.
  RemoveMenu(Menu, Id, MF_BYCOMMAND);
  if (FSeparators.Contains(seBefore)) DeleteMenu(Menu, Id + lxSeparatorBeforeOffset, MF_BYCOMMAND);
  if (FSeparators.Contains(seAfter)) DeleteMenu(Menu, Id + lxSeparatorAfterOffset, MF_BYCOMMAND);
}

// ---- Lists --------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxRealButtonsList) {}
VD_DEFINE_CLASS(TlxVirtualBtnList) {}

TlxRealButtonsList* TlxVirtualBtnList::Find(HWND Wnd) const {
  for (int I = 0; I < Count(); ++I)
    if (List(I)->Wnd() == Wnd) return List(I);
  return nullptr;
}

// ---- TlxCustomCaptionButton ---------------------------------------------------------------------

VD_DEFINE_CLASS(TlxCustomCaptionButton) {}

TlxCustomCaptionButton::TlxCustomCaptionButton(TComponent* AOwner)
    : TlxHFormHookComponentWatchCaption(AOwner), FButtonId(t_NextButtonId++) {
  AcquireState();
  FCounted = true;
  FCaptionButton = TlxACaptionButton::Create(this);
  FGlyph = TBitmap::Create();
  FGlyph->OnChange = MakeEvent<&TlxCustomCaptionButton::GlyphChanged>(this);
  FGlyphDown = TBitmap::Create();
  FGlyphDown->OnChange = MakeEvent<&TlxCustomCaptionButton::GlyphChanged>(this);
  FGlyphFont = TFont::Create();
  FGlyphFont->SetName("Arial");
  FGlyphFont->SetColor(clBtnText);
  FGlyphFont->OnChange = MakeEvent<&TlxCustomCaptionButton::GlyphFontChanged>(this);
  FSystemMenu = TlxSystemMenu::Create(this);
}

TlxCustomCaptionButton::~TlxCustomCaptionButton() {
  FreeAndNil(FSystemMenu);
  FreeAndNil(FGlyphFont);
  FreeAndNil(FGlyphDown);
  FreeAndNil(FGlyph);
  FreeAndNil(FCaptionButton);
}

void TlxCustomCaptionButton::AfterConstruction() {
  inherited::AfterConstruction();  // hooks the owner's window
  TlxVirtualBtnList* Lists = t_State->Lists;
  TlxRealButtonsList* List = Lists->Find(Handle());
  if (List == nullptr) {
    List = TlxRealButtonsList::Create(Handle());
    Lists->Add(List);
  }
  List->Add(this);
  FButtons = List;
  UpdateLayout();
}

void TlxCustomCaptionButton::BeforeDestruction() {
  FLeaving = true;  // the messages below must not register the tool again
  if (FButtons) {
    SetVisible(false);
    FSystemMenu->Remove();
    DeleteTool();
    if (FCaptured) {
      FCaptured = false;
      if (GetCapture() == Handle()) ReleaseCapture();
    }
    LeaveList();
  }
  if (FCounted) {
    FCounted = false;
    ReleaseState();
  }
  inherited::BeforeDestruction();
}

void TlxCustomCaptionButton::LeaveList() {
  TlxRealButtonsList* List = FButtons;
  FButtons = nullptr;
  List->Remove(this);
  if (List->Count() == 0) {
    if (t_State) t_State->Lists->Remove(List, true);
  } else {
    List->Button(0)->UpdateLayout();
  }
}

bool TlxCustomCaptionButton::WindowAlive() { return Handle() != nullptr && IsWindow(Handle()); }

bool TlxCustomCaptionButton::SmallCaption() {
  return (GetWindowExStyle() & WS_EX_TOOLWINDOW) != 0 && !IsDesigningNow();
}

bool TlxCustomCaptionButton::HasMenuBar() {
  return (GetWindowStyle() & WS_CHILD) == 0 && GetMenu(Handle()) != nullptr;
}

// ---- Properties ---------------------------------------------------------------------------------

void TlxCustomCaptionButton::SetAllowDown(bool Value) {
  if (Value == FAllowDown) return;
  FAllowDown = Value;
  if (!Value && !FCaptured) SetDown(false);
}

TlxBtnOrder TlxCustomCaptionButton::BtnOrder() const {
  if (t_State == nullptr || FButtons == nullptr) return -1;
  return static_cast<TlxBtnOrder>(FButtons->IndexOf(const_cast<TlxCustomCaptionButton*>(this)));
}

void TlxCustomCaptionButton::SetBtnOrder(TlxBtnOrder Value) {
  if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) {
    FStoredOrder = Value;
    return;
  }
  int Current = BtnOrder();
  if (Current < 0) return;
  int Target = std::clamp<int>(Value, 0, FButtons->Count() - 1);
  if (Target == Current) return;
  FButtons->Delete(Current);
  FButtons->Insert(Target, this);
  UpdateLayout();
}

void TlxCustomCaptionButton::SetDown(bool Value) {
  if (!FAllowDown) Value = false;
  if (Value == FDown) return;
  FDown = Value;
  if (FSystemMenu->ApplyToMenu() && WindowAlive()) {
    if (HMENU Menu = GetFormSystemMenu())
      CheckMenuItem(Menu, static_cast<UINT>(FButtonId), MF_BYCOMMAND | (FDown ? MF_CHECKED : MF_UNCHECKED));
  }
  Repaint();
}

void TlxCustomCaptionButton::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (FSystemMenu->Applied() && WindowAlive()) {
    if (HMENU Menu = GetFormSystemMenu())
      EnableMenuItem(Menu, static_cast<UINT>(FButtonId), MF_BYCOMMAND | (FEnabled ? MF_ENABLED : MF_GRAYED));
  }
  RefreshTooltip();
  Repaint();
}

void TlxCustomCaptionButton::SetHint(const std::string& Value) {
  if (Value == FHint) return;
  FHint = Value;
  RefreshTooltip();
}

void TlxCustomCaptionButton::SetPopupMenu(TPopupMenu* Value) {
  if (Value == FPopupMenu) return;
  const bool Applied = FSystemMenu->Applied();
  FSystemMenu->Remove();
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
  if (Applied) FSystemMenu->Apply();
}

void TlxCustomCaptionButton::SetSeparatorWidth(int Value) {
  uint8_t Stored = static_cast<uint8_t>(Value & 0xFF);
  if (Stored == FSeparatorWidth) return;
  FSeparatorWidth = Stored;
  UpdateLayout();
}

void TlxCustomCaptionButton::SetShowHint(bool Value) {
  if (Value == FShowHint) return;
  FShowHint = Value;
  RefreshTooltip();
}

void TlxCustomCaptionButton::SetGlyphChar(char Value) {
  if (Value == FGlyphChar) return;
  FGlyphChar = Value;
  Repaint();
}

void TlxCustomCaptionButton::SetGlyphCharOffsetX(int Value) {
  if (Value == FGlyphCharOffsetX) return;
  FGlyphCharOffsetX = Value;
  Repaint();
}

void TlxCustomCaptionButton::SetGlyphCharOffsetY(int Value) {
  if (Value == FGlyphCharOffsetY) return;
  FGlyphCharOffsetY = Value;
  Repaint();
}

void TlxCustomCaptionButton::SetStyle(TlxCaptionButtonStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Repaint();
}

void TlxCustomCaptionButton::SetVisible(bool Value) {
  FVisible = Value;
  RefreshTooltip();
  UpdateLayout();
}

void TlxCustomCaptionButton::SetXPStyleColor(TlxCaptionButtonXPStyleColor Value) {
  if (Value == FXPStyleColor) return;
  FXPStyleColor = Value;
  Repaint();
}

void TlxCustomCaptionButton::GlyphChanged(TObject*) { Repaint(); }

void TlxCustomCaptionButton::SetGlyphFontHeight() {
  TNotifyEvent Saved = FGlyphFont->OnChange;
  FGlyphFont->OnChange = nullptr;
  try {
    FGlyphFont->SetHeight(7 - GetSystemMetrics(SM_CYSIZE));
  } catch (...) {
    FGlyphFont->OnChange = Saved;
    throw;
  }
  FGlyphFont->OnChange = Saved;
}

void TlxCustomCaptionButton::GlyphFontChanged(TObject*) {
  SetGlyphFontHeight();
  Repaint();
}

// ---- Order, layout, life cycle -----------------------------------------------------------------

void TlxCustomCaptionButton::UpdateLayout() {
  if (FButtons == nullptr) return;
  TCaptionMetrics M = SystemCaptionMetrics();
  HWND Wnd = FButtons->Wnd();
  DWORD Ex = IsWindow(Wnd) ? static_cast<DWORD>(GetWindowLongPtrA(Wnd, GWL_EXSTYLE)) : 0;
  std::vector<TLayoutItem> Items;
  for (int I = 0; I < FButtons->Count(); ++I)
    Items.push_back({FButtons->Button(I)->FVisible, FButtons->Button(I)->FSeparatorWidth});
  std::vector<int> Offsets = ComputeOffsets(Items, CaptionButtonWidth(Ex, IsDesigningNow(), M));
  for (int I = 0; I < FButtons->Count(); ++I) FButtons->Button(I)->FOffset = Offsets[static_cast<size_t>(I)];
  if (WindowAlive()) FrameChanged();
}

void TlxCustomCaptionButton::Loaded() {
  inherited::Loaded();
  if (FButtons) {
    std::vector<int> Orders, Perm;
    for (int I = 0; I < FButtons->Count(); ++I) Orders.push_back(FButtons->Button(I)->FStoredOrder);
    if (BubbleSortByOrder(Orders, &Perm)) {
      std::vector<void*> Old;
      for (int I = 0; I < FButtons->Count(); ++I) Old.push_back(FButtons->Get(I));
      for (size_t I = 0; I < Perm.size(); ++I) FButtons->Put(static_cast<int>(I), Old[static_cast<size_t>(Perm[I])]);
      UpdateLayout();
    }
  }
  AddTool();
  RefreshTooltip();
}

void TlxCustomCaptionButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent != nullptr && AComponent == FPopupMenu) {
    const bool Applied = FSystemMenu->Applied();
    FSystemMenu->Remove();
    FPopupMenu = nullptr;
    if (Applied) FSystemMenu->Apply();
  }
}

void TlxCustomCaptionButton::Rehooked() {
  inherited::Rehooked();
  if (FButtons) FButtons->SetWnd(Handle());
  DeleteTool();
  AddTool();
  RefreshTooltip();
  UpdateLayout();
  FSystemMenu->Remove();
  FSystemMenu->Apply();
}

void TlxCustomCaptionButton::CaptionChanged() { Repaint(); }

// ---- Events -------------------------------------------------------------------------------------

void TlxCustomCaptionButton::DoButtonClick() {
  OnCaptionButtonClick(this);
  DoClick();
}

void TlxCustomCaptionButton::DoMenuClick() {
  OnMenuItemClick(this);
  DoClick();
}

void TlxCustomCaptionButton::DoClick() { OnClick(this); }
void TlxCustomCaptionButton::DoDown() { OnDown(this); }
void TlxCustomCaptionButton::DoUp() { OnUp(this); }

// ---- Painting -----------------------------------------------------------------------------------

void TlxCustomCaptionButton::Paint(bool Pressed) {
  FDrawnDown = Pressed;
  if (!FVisible || !WindowAlive()) return;
  HDC DC = GetWindowDC(Handle());
  if (DC == nullptr) return;
  try {
    PaintTo(DC, Pressed);
  } catch (...) {
    ReleaseDC(Handle(), DC);
    throw;
  }
  ReleaseDC(Handle(), DC);
}

void TlxCustomCaptionButton::PaintTo(HDC DC, bool Pressed) {
  FDrawnDown = Pressed;
  if (!FVisible || ComponentState().Contains(csLoading) || !WindowAlive()) return;
  const DWORD Style = GetWindowStyle();
  if ((Style & WS_CAPTION) != WS_CAPTION) return;
  const DWORD Ex = GetWindowExStyle();
  const bool Designing = IsDesigningNow();
  const bool Iconic = IsIconic(Handle()) != FALSE;
  RECT WR;
  GetWindowRect(Handle(), &WR);
  const TCaptionMetrics M = SystemCaptionMetrics();
  FButtonRect = ComputeButtonRect(Style, Ex, Iconic, Designing, WR.right - WR.left, FOffset, M);

  const bool Small = SmallCaption();
  const int W = Small ? M.CxSmSize : M.CxSize;
  const int H = Small ? M.CySmSize : M.CySize;
  const int FaceW = W - 2, FaceH = H - 4;
  if (FaceW <= 0 || FaceH <= 0) return;
  const int P = Pressed ? 1 : 0;
  const bool XP = FStyle == cbsWinXP || (FStyle == cbsAuto && ThemesActive());
  const int X0 = FButtonRect.Left + FButtonRect.Top, Y0 = FButtonRect.Top;

  lxgdi::TGdiObject<HBITMAP> Bitmap(CreateCompatibleBitmap(DC, FaceW, FaceH));
  if (!Bitmap) return;
  lxgdi::TMemoryDC Mem(DC, Bitmap.Get());
  if (!Mem) return;
  const HDC MD = Mem.Get();

  if (XP) {
    BitBlt(MD, 0, 0, FaceW, FaceH, DC, X0, Y0, SRCCOPY);
    TBitmap* Background = Face(FXPStyleColor);
    if (Background && !Background->Empty())
      DrawGlyph(MD, 0, 0, FaceW, FaceH, Background, nullptr, -1, true, false, false, clNone, clNone, clNone);
  } else {
    DrawButtonFrame(MD, Rect(0, 0, FaceW, FaceH), Pressed);
  }

  if (FGlyph->Empty()) {
    SetGlyphFontHeight();
    lxgdi::TSelection Font(MD, FGlyphFont->Handle());
    SetBkMode(MD, TRANSPARENT);
    SetTextAlign(MD, TA_CENTER | TA_TOP);
    const int X = W / 2 + FGlyphCharOffsetX + P - 1;
    const int Y = FGlyphCharOffsetY + P;
    if (FEnabled) {
      SetTextColor(MD, XP ? RGB(255, 255, 255) : ColorToRGB(FGlyphFont->Color()));
      TextOutA(MD, X, Y, &FGlyphChar, 1);
    } else {
      SetTextColor(MD, GetSysColor(COLOR_BTNHIGHLIGHT));
      TextOutA(MD, X + 1, Y + 1, &FGlyphChar, 1);
      SetTextColor(MD, GetSysColor(COLOR_BTNSHADOW));
      TextOutA(MD, X, Y, &FGlyphChar, 1);
    }
  } else {
    TBitmap* Picture = Pressed && !FGlyphDown->Empty() ? FGlyphDown : FGlyph;
    DrawGlyph(MD, P + 2, P + 2, W - 6, H - 8, Picture, nullptr, -1, true, !FEnabled, FEnabled, clNone, clBlack,
              XP ? clWhite : clBtnText);
  }
  BitBlt(DC, X0, Y0, FaceW, FaceH, MD, 0, 0, SRCCOPY);
}

// ---- Tooltip ------------------------------------------------------------------------------------

void TlxCustomCaptionButton::AddTool() {
  if (FToolAdded || FLeaving || !WindowAlive()) return;
  HWND Tip = TooltipWindow(true);
  if (Tip == nullptr) return;
  FToolInfo = {};
  FToolInfo.cbSize = TTTOOLINFOA_V2_SIZE;
  FToolInfo.uFlags = 0;  // mouse messages are relayed from the hook (no subclassing of the form)
  FToolInfo.hwnd = Handle();
  FToolInfo.uId = ++t_NextToolId;
  FToolInfo.hinst = ModuleInstance();
  FToolAdded = SendMessageA(Tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&FToolInfo)) != 0;
}

void TlxCustomCaptionButton::DeleteTool() {
  if (!FToolAdded) return;
  FToolAdded = false;
  if (HWND Tip = TooltipWindow(false)) SendMessageA(Tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&FToolInfo));
}

void TlxCustomCaptionButton::RefreshTooltip() {
  if (!WindowAlive()) return;
  AddTool();
  HWND Tip = TooltipWindow(false);
  if (!FToolAdded || Tip == nullptr) return;
  static char Empty[] = "";
  if (FVisible && FEnabled && FShowHint && !FHint.empty()) {
    int C = GetSystemMetrics(SmallCaption() ? SM_CYSMCAPTION : SM_CYCAPTION);
    FToolInfo.rect = {FButtonRect.Left + 1, -C, FButtonRect.Right + 1, 0};
    if (HasMenuBar()) {
      int Menu = GetSystemMetrics(SM_CYMENU);
      FToolInfo.rect.top -= Menu;
      FToolInfo.rect.bottom -= Menu;
    }
    FToolInfo.lpszText = FHint.data();
  } else {
    FToolInfo.rect = {};
    FToolInfo.lpszText = Empty;
  }
  SendMessageA(Tip, TTM_SETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&FToolInfo));
  FToolInfo.lpszText = nullptr;
}

// The tooltip sees the window's mouse messages through the first button of the window; the
// non-client ones are passed as their client counterparts in client coordinates.
void TlxCustomCaptionButton::RelayToTooltip(const TMessage& Message) {
  const UINT Msg = Message.Msg;
  const bool NonClient = IsNonClientMouseMessage(Msg);
  if (!NonClient && !IsClientMouseMessage(Msg)) return;
  if (FButtons == nullptr || FButtons->Count() == 0 || FButtons->Button(0) != this) return;
  HWND Tip = TooltipWindow(false);
  if (Tip == nullptr) return;
  MSG Relay{};
  Relay.hwnd = Handle();
  Relay.message = Msg;
  Relay.wParam = Message.WParam;
  Relay.lParam = Message.LParam;
  Relay.time = static_cast<DWORD>(GetMessageTime());
  GetCursorPos(&Relay.pt);
  if (NonClient) {
    POINT P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    ScreenToClient(Handle(), &P);
    Relay.message = Msg - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
    Relay.wParam = 0;
    Relay.lParam = MAKELPARAM(static_cast<WORD>(P.x), static_cast<WORD>(P.y));
  }
  SendMessageA(Tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&Relay));
}

// ---- Messages -----------------------------------------------------------------------------------

void TlxCustomCaptionButton::BeforeWndProc(TMessage& Message, bool& Handled) {
  inherited::BeforeWndProc(Message, Handled);
  RelayToTooltip(Message);
  const WPARAM Id = static_cast<WPARAM>(FButtonId);
  switch (Message.Msg) {
    case WM_SETCURSOR:
      if (LOWORD(Message.LParam) == static_cast<WORD>(FButtonId)) {
        ::SetCursor(Screen->Cursors(FDrawnDown ? FCursorDown : FCursor));
        Message.Result = TRUE;
        Handled = true;
      }
      break;
    case WM_NCLBUTTONDBLCLK:
      if (Message.WParam == Id) Message.Msg = WM_NCLBUTTONDOWN;  // a second press
      break;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
      if (Message.WParam == Id) Handled = true;
      break;
    case WM_DESTROY:
      // The window takes its system menu (and any submenu in it) along: the item goes first and
      // comes back when the control makes a new window (Rehooked).
      FSystemMenu->Remove();
      DeleteTool();
      FCaptured = false;
      break;
  }
}

void TlxCustomCaptionButton::AfterWndProc(TMessage& Message) {
  inherited::AfterWndProc(Message);
  if (FWaitingForMenu) {
    HWND Capture = GetCapture();
    if (Capture != nullptr && Capture != Handle()) return;
    FWaitingForMenu = false;
  }
  switch (Message.Msg) {
    case WM_NCHITTEST:
      HitTest(Message);
      break;
    case WM_NCPAINT:
    case WM_NCACTIVATE:
      Repaint();
      RefreshTooltip();
      break;
    case WM_NCLBUTTONDOWN:
      if (FEnabled && FVisible) MouseDown(Message);
      break;
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
      if (FCaptured) MouseUp(Message);
      break;
    case WM_NCLBUTTONDBLCLK:
      if (Message.WParam == HTCAPTION) OnCaptionDblClick(this);
      break;
    case WM_SYSCOMMAND:
      SysCommand(Message);
      break;
    case WM_MOUSEMOVE:
      MouseMove(Message);
      break;
    case LXM_REBUILDSYSMENUITEM:
      FSystemMenu->Remove();
      FSystemMenu->Apply();
      break;
  }
}

void TlxCustomCaptionButton::HitTest(TMessage& Message) {
  if (Message.Result == HTCAPTION && FVisible) {
    POINT P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    ScreenToClient(Handle(), &P);
    if (PointOnButton(FButtonRect, P, IsIconic(Handle()) != FALSE, SystemCaptionMetrics())) {
      if (!FDrawnDown && FCaptured) Paint(true);
      Message.Result = FButtonId;
      return;
    }
  }
  if (!FDown && FDrawnDown) Paint(false);
}

void TlxCustomCaptionButton::MouseDown(TMessage& Message) {
  if (Message.WParam == static_cast<WPARAM>(FButtonId)) {
    Paint(true);
    ::SetCursor(Screen->Cursors(FCursorDown));
    if (!FCaptured) {
      FCaptured = true;
      SetCapture(Handle());
    }
  } else {
    if (!FDown) Paint(false);
    if (FCaptured) {
      FCaptured = false;
      ReleaseCapture();
    }
  }
}

void TlxCustomCaptionButton::MouseUp(TMessage&) {
  FCaptured = false;
  ReleaseCapture();
  if (FDrawnDown) {
    DoBeforeClick();
    if (FAllowDown) {
      SetDown(!FDown);
      if (FDown)
        DoDown();
      else
        DoUp();
    }
    DoButtonClick();
    if (FPopupMenu) {
      POINT P{FButtonRect.Left + 2, HasMenuBar() ? -GetSystemMetrics(SM_CYMENU) - 2 : -2};
      ClientToScreen(Handle(), &P);
      FWaitingForMenu = true;
      FPopupMenu->Popup(P.x, P.y);
    }
  }
  if (!FAllowDown) Paint(false);
}

void TlxCustomCaptionButton::MouseMove(TMessage& Message) {
  if (!FCaptured || FDown || !FDrawnDown) return;
  int Caption = GetSystemMetrics(SmallCaption() ? SM_CYSMCAPTION : SM_CYCAPTION);
  if (HasMenuBar()) Caption += GetSystemMetrics(SM_CYMENU);
  // The caption lies at negative client y: a y above it, or in the client area, is off the button.
  if (static_cast<int>(HIWORD(Message.LParam)) < 65535 - Caption) Paint(false);
}

void TlxCustomCaptionButton::SysCommand(TMessage& Message) {
  if (FPopupMenu) {
    FPopupMenu->DispatchCommand(LOWORD(Message.WParam));
    return;
  }
  if (Message.WParam != static_cast<WPARAM>(FButtonId)) return;
  DoBeforeMenuClick();
  if (FAllowDown) {
    SetDown(!FDown);
    if (FDown)
      DoDown();
    else
      DoUp();
  }
  DoMenuClick();
}
