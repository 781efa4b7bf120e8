// Forms that fill property-sheet pages: TNxShellPropSheetForm, the list of page-form classes that
// the property-sheet extension (NxPropertySheetExt) finds by name, and the subclassing of a page
// form's child controls, so that Tab moves between them inside the page and static controls show
// the themed tab background.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/Forms.h"

class TNxShellPropSheetExt;
class TNxShellPropSheetForm;

// What a page form answers to the page notifications; the extension asks the form for it
// (PropSheetPageOf) before it calls its own events. A plain in-process interface: a form is no COM
// object, and an IUnknown here would clash with the form's own Release.
inline constexpr IID IID_INxShellPropSheetPage = {0x19399C84, 0x6C4D, 0x49C2, {0xA4, 0xBA, 0xF6, 0x72, 0xE8, 0x7A, 0x13, 0x32}};
class INxShellPropSheetPage {
public:
  virtual void DoApply(bool& ApplyChanges) = 0;
  virtual void DoKillActive(bool& KillActive) = 0;
  virtual void DoQueryCancel(bool& Cancel) = 0;
  virtual void DoSetActive() = 0;

protected:
  ~INxShellPropSheetPage() = default;
};

// The page interface of Form, nil when it has none.
INxShellPropSheetPage* PropSheetPageOf(TComponent* Form);

using TOnApplyEvent = TEvent<TNxShellPropSheetForm* /*Sender*/, bool& /*ApplyChanges*/>;
using TOnKillActiveEvent = TEvent<TNxShellPropSheetForm* /*Sender*/, bool& /*KillActive*/>;
using TOnQueryCancelEvent = TEvent<TNxShellPropSheetForm* /*Sender*/, bool& /*Cancel*/>;
using TOnSetActive = TEvent<TNxShellPropSheetForm* /*Sender*/>;

// The base of page forms. The extension creates it with itself as owner and embeds it as a
// borderless child of the page; a page form never closes by itself (the page frees it).
class TNxShellPropSheetForm : public TForm, public INxShellPropSheetPage {
  VD_CLASS(TNxShellPropSheetForm, TForm);

public:
  explicit TNxShellPropSheetForm(TComponent* AOwner);
  // The inherited construction (the resource is read, OnCreate runs), then on Windows 5.1 or later
  // the "tab" theme of the form's window is opened; the form gets the dialog border (the page
  // takes it away again when it embeds the form).
  void AfterConstruction() override;
  // Closes the theme, then the inherited destruction.
  void BeforeDestruction() override;

  // Stored as set; at run time True only when set, the owning extension exists and has
  // ActivateXPThemes, and the system is Windows 5.1 or later. While designed: the stored flag.
  bool DrawXPBackground() const;
  void SetDrawXPBackground(bool Value);
  bool StoredDrawXPBackground() const noexcept { return FDrawXPBackground; }

  // The owner when that is a property-sheet extension, else nil.
  TNxShellPropSheetExt* GetPropSheetExt() const;
  // The "tab" theme of the form's window; nil when none was opened.
  HANDLE Theme() const noexcept { return FTheme; }

  // Always False: the page decides when the form goes.
  bool CloseQuery() override;

  // The page notifications; each calls its event when assigned.
  void DoApply(bool& ApplyChanges) override;
  void DoKillActive(bool& KillActive) override;
  void DoQueryCancel(bool& Cancel) override;
  void DoSetActive() override;

  TOnApplyEvent OnApply;
  TOnKillActiveEvent OnKillActive;
  TOnQueryCancelEvent OnQueryCancel;
  TOnSetActive OnSetActive;

protected:
  ~TNxShellPropSheetForm() override;
  void WndProc(TMessage& Message) override;
  // WM_ERASEBKGND and WM_PRINTCLIENT draw the themed tab body while DrawXPBackground is True.
  void Dispatch(TMessage& Message) override;

private:
  bool DrawThemedBackground(HDC DC);

  bool FDrawXPBackground = false;
  HANDLE FTheme = nullptr;
};

using TNxShellPropSheetFormClass = TClassRef<TNxShellPropSheetForm>;

// ---- Page-form classes -------------------------------------------------------------------------------

// Appends FormClass to the list of page-form classes (a class registered twice stands twice).
// Always True. Projects call it from a unit's start-up.
bool RegisterPropSheetForm(TFormClass FormClass);
// The first registered class whose name equals Name without regard to case; nil when none.
TFormClass FindPropSheetFormClass(const std::string& Name);
// The registered classes in registration order.
std::vector<TFormClass> RegisteredPropSheetForms();

// ---- Child controls ------------------------------------------------------------------------------------

// The window properties every subclassed child window carries.
inline constexpr const char* NxLastWndProcProp = "NacrePlus_LastWndProc";
inline constexpr const char* NxOwnerFormProp = "NacrePlus_OwnerForm";

// For each component the form owns, in component order: controls lose csOpaque (the themed
// background shows through) and are repainted; window controls get ChildControlWndProc in front
// of their procedure (their windows are made if needed, under this library's manifest context).
void SubclassChildControls(TCustomForm* Form);
// Puts the previous procedures back where ChildControlWndProc is still the current one, and
// removes the two window properties.
void RestoreChildControls(TCustomForm* Form);
// The procedure of subclassed children: Tab moves among the form's tab stops (and stops at the
// ends), static colour requests paint the themed parent background.
LRESULT CALLBACK ChildControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// Unit start-up (the class list, TNxShellPropSheetForm for form resources) and shutdown.
void NxPropertySheetFormInitialize();
void NxPropertySheetFormFinalize();
