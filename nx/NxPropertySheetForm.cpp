#include "nx/NxPropertySheetForm.h"

#include <mutex>

#include "classlib/TypInfo.h"
#include "classlib/UnitInit.h"
#include "nx/NxPropertySheetExt.h"
#include "nx/NxThemes.h"
#include "nx/NxUnitOrder.h"

namespace {

// The tab control's body, the background of a property-sheet page.
constexpr int kTabPaneBody = 10;

TCriticalSection g_formsLock;
TList* g_formClasses = nullptr;  // of TClass, registration order

const TUnitRegistration kUnit(nxrPropSheetForm,
                              {"NxPropertySheetForm", &NxPropertySheetFormInitialize, &NxPropertySheetFormFinalize});

WNDPROC LastWndProcOf(HWND Wnd) { return reinterpret_cast<WNDPROC>(GetPropA(Wnd, NxLastWndProcProp)); }

TCustomForm* OwnerFormOf(HWND Wnd) { return static_cast<TCustomForm*>(GetPropA(Wnd, NxOwnerFormProp)); }

LRESULT CallLast(WNDPROC Last, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  // A window that lost its property (or never had it) still gets the default handling.
  return Last ? CallWindowProcA(Last, Wnd, Msg, WParam, LParam) : DefWindowProcA(Wnd, Msg, WParam, LParam);
}

// Tab and Shift+Tab among the form's own tab stops; nothing at the ends of the tab order.
void MoveFocus(TCustomForm* Form, bool Backward) {
  TWinControl* Active = Form ? Form->ActiveControl() : nullptr;
  if (Active == nullptr) return;
  TWinControl* Previous = Form->FindNextControl(Active, false, true, true);
  TWinControl* Next = Form->FindNextControl(Active, true, true, true);
  if (Previous == nullptr || Next == nullptr) return;
  const bool First = Previous->TabOrder() > Active->TabOrder();  // the backward search wrapped
  const bool Last = Next->TabOrder() < Active->TabOrder();       // the forward search wrapped
  if (Backward ? First : Last) return;
  Form->SelectNext(Active, !Backward, true);
}

// The themed parent background behind a static control, when the form draws the themed tab body.
bool PaintThemedStatic(TCustomForm* Form, HWND Wnd, HDC DC) {
  auto* PageForm = dynamic_cast<TNxShellPropSheetForm*>(Form);
  if (PageForm == nullptr || !PageForm->DrawXPBackground() || !NxThemeActive()) return false;
  TNxUxThemeApi Api = NxUxTheme();
  if (!Api.DrawThemeParentBackground) return false;
  Api.DrawThemeParentBackground(Wnd, DC, nullptr);
  SetBkMode(DC, TRANSPARENT);
  return true;
}

}  // namespace

// ---- TNxShellPropSheetForm -------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxShellPropSheetForm) {
  using T = TNxShellPropSheetForm;
  C.Property("DrawXPBackground", &T::DrawXPBackground, &T::SetDrawXPBackground);
  C.Property("OnApply", &T::OnApply, &T::OnApply);
  C.Property("OnKillActive", &T::OnKillActive, &T::OnKillActive);
  C.Property("OnQueryCancel", &T::OnQueryCancel, &T::OnQueryCancel);
  C.Property("OnSetActive", &T::OnSetActive, &T::OnSetActive);
}

INxShellPropSheetPage* PropSheetPageOf(TComponent* Form) { return dynamic_cast<INxShellPropSheetPage*>(Form); }

TNxShellPropSheetForm::TNxShellPropSheetForm(TComponent* AOwner) : TForm(AOwner) {}

TNxShellPropSheetForm::~TNxShellPropSheetForm() = default;

void TNxShellPropSheetForm::AfterConstruction() {
  inherited::AfterConstruction();
  if (IsWindowsXPOrLater()) {
    TNxUxThemeApi Api = NxUxTheme();
    if (Api.OpenThemeData) FTheme = Api.OpenThemeData(Handle(), L"tab");
  }
  SetBorderStyle(bsDialog);
}

void TNxShellPropSheetForm::BeforeDestruction() {
  if (FTheme != nullptr) {
    // Looked up again: the library may have gone since the theme was opened.
    TNxUxThemeApi Api = NxUxTheme();
    if (Api.CloseThemeData) Api.CloseThemeData(FTheme);
    FTheme = nullptr;
  }
  inherited::BeforeDestruction();
}

bool TNxShellPropSheetForm::DrawXPBackground() const {
  if (ComponentState().Contains(csDesigning)) return FDrawXPBackground;
  if (!FDrawXPBackground) return false;
  TNxShellPropSheetExt* Extension = GetPropSheetExt();
  return Extension != nullptr && Extension->ActivateXPThemes() && IsWindowsXPOrLater();
}

void TNxShellPropSheetForm::SetDrawXPBackground(bool Value) {
  if (FDrawXPBackground == Value) return;
  FDrawXPBackground = Value;
  Invalidate();
}

TNxShellPropSheetExt* TNxShellPropSheetForm::GetPropSheetExt() const {
  return dynamic_cast<TNxShellPropSheetExt*>(Owner());
}

bool TNxShellPropSheetForm::CloseQuery() { return false; }

void TNxShellPropSheetForm::DoApply(bool& ApplyChanges) { OnApply(this, ApplyChanges); }

void TNxShellPropSheetForm::DoKillActive(bool& KillActive) { OnKillActive(this, KillActive); }

void TNxShellPropSheetForm::DoQueryCancel(bool& Cancel) { OnQueryCancel(this, Cancel); }

void TNxShellPropSheetForm::DoSetActive() { OnSetActive(this); }

void TNxShellPropSheetForm::WndProc(TMessage& Message) { inherited::WndProc(Message); }

bool TNxShellPropSheetForm::DrawThemedBackground(HDC DC) {
  if (ComponentState().Contains(csDesigning) || !DrawXPBackground() || FTheme == nullptr) return false;
  TNxUxThemeApi Api = NxUxTheme();
  if (!Api.DrawThemeBackground) return false;
  const RECT Bounds = BoundsRect();
  Api.DrawThemeBackground(FTheme, DC, kTabPaneBody, 0, &Bounds, nullptr);
  return true;
}

void TNxShellPropSheetForm::Dispatch(TMessage& Message) {
  // Message 0x6DE (a routine to call, taken from the message) is deliberately not answered: any
  // process could send it.
  switch (Message.Msg) {
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
      if (DrawThemedBackground(reinterpret_cast<HDC>(Message.WParam))) {
        Message.Result = 1;
        return;
      }
      break;
  }
  inherited::Dispatch(Message);
}

// ---- Page-form classes -------------------------------------------------------------------------------

bool RegisterPropSheetForm(TFormClass FormClass) {
  EnsureUnitsStarted();
  std::lock_guard<TCriticalSection> Guard(g_formsLock);
  if (g_formClasses == nullptr) g_formClasses = TList::Create();
  g_formClasses->Add(const_cast<TMetaClass*>(FormClass.Class()));
  return true;
}

TFormClass FindPropSheetFormClass(const std::string& Name) {
  EnsureUnitsStarted();
  std::lock_guard<TCriticalSection> Guard(g_formsLock);
  if (g_formClasses == nullptr) return nullptr;
  for (int I = 0; I < g_formClasses->Count(); ++I) {
    auto Class = static_cast<TClass>(g_formClasses->Get(I));
    if (AnsiCompareText(Class->ClassName(), Name) == 0) return TFormClass(Class);
  }
  return nullptr;
}

std::vector<TFormClass> RegisteredPropSheetForms() {
  EnsureUnitsStarted();
  std::lock_guard<TCriticalSection> Guard(g_formsLock);
  std::vector<TFormClass> Result;
  if (g_formClasses != nullptr)
    for (int I = 0; I < g_formClasses->Count(); ++I) Result.emplace_back(static_cast<TClass>(g_formClasses->Get(I)));
  return Result;
}

// ---- Child controls ------------------------------------------------------------------------------------

void SubclassChildControls(TCustomForm* Form) {
  if (Form == nullptr) return;
  TNxContext Context;  // windows made during the walk get the themed controls
  for (int I = 0; I < Form->ComponentCount(); ++I) {
    auto* Control = dynamic_cast<TControl*>(Form->Components(I));
    if (Control == nullptr) continue;
    Control->SetControlStyle(Control->ControlStyle() - TControlStyle{csOpaque});
    Control->Invalidate();
    auto* Windowed = dynamic_cast<TWinControl*>(Control);
    if (Windowed == nullptr) continue;
    HWND Wnd = Windowed->Handle();
    // Twice would make the procedure its own predecessor.
    if (GetWindowLongPtrA(Wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ChildControlWndProc)) continue;
    auto Last = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildControlWndProc)));
    SetPropA(Wnd, NxLastWndProcProp, reinterpret_cast<HANDLE>(Last));
    SetPropA(Wnd, NxOwnerFormProp, static_cast<HANDLE>(Form));
  }
}

void RestoreChildControls(TCustomForm* Form) {
  if (Form == nullptr) return;
  for (int I = 0; I < Form->ComponentCount(); ++I) {
    auto* Windowed = dynamic_cast<TWinControl*>(Form->Components(I));
    if (Windowed == nullptr || !Windowed->HandleAllocated()) continue;
    HWND Wnd = Windowed->Handle();
    WNDPROC Last = LastWndProcOf(Wnd);
    if (Last == nullptr) continue;
    // Someone who subclassed after us keeps the chain; our procedure then passes messages on.
    if (GetWindowLongPtrA(Wnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&ChildControlWndProc)) continue;
    SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Last));
    RemovePropA(Wnd, NxLastWndProcProp);
    RemovePropA(Wnd, NxOwnerFormProp);
  }
}

LRESULT CALLBACK ChildControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  WNDPROC Last = LastWndProcOf(Wnd);
  try {
    TCustomForm* Form = OwnerFormOf(Wnd);
    switch (Msg) {
      case WM_GETDLGCODE:
        return CallLast(Last, Wnd, Msg, WParam, LParam) | DLGC_WANTTAB;
      case WM_KEYDOWN:
        if (WParam != VK_TAB) break;
        MoveFocus(Form, GetKeyState(VK_SHIFT) < 0);
        return 0;
      case WM_CHAR:
        if (WParam == '\t') return 0;
        break;
      case CN_CTLCOLORSTATIC:
        if (PaintThemedStatic(Form, Wnd, reinterpret_cast<HDC>(WParam)))
          return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        break;
    }
    return CallLast(Last, Wnd, Msg, WParam, LParam);
  } catch (...) {
    wndprocs_detail::HandleCallbackException();
    return 0;
  }
}

// ---- Unit ------------------------------------------------------------------------------------------------

void NxPropertySheetFormInitialize() {
  {
    std::lock_guard<TCriticalSection> Guard(g_formsLock);
    if (g_formClasses == nullptr) g_formClasses = TList::Create();
  }
  RegisterClass(ClassOf<TNxShellPropSheetForm>());
}

void NxPropertySheetFormFinalize() {
  UnRegisterClass(ClassOf<TNxShellPropSheetForm>());
  std::lock_guard<TCriticalSection> Guard(g_formsLock);
  FreeAndNil(g_formClasses);
}
