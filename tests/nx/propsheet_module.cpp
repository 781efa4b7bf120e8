#include "tests/nx/propsheet_module.h"

#include <algorithm>

#include "classlib/ComServ.h"
#include "classlib/TypInfo.h"
#include "classlib/UnitInit.h"
#include "classlib/WndProcs.h"

void TPropSheetTrace::Reset() {
  Log.clear();
  VetoApply = VetoKillActive = VetoCancel = false;
  RefusedClasses.clear();
  CaptionSuffix.clear();
  ProviderLocks = ProviderUnlocks = 0;
  TTestExtraProvider::PagesToMake = 1;
}

namespace {
// "Info" for TTestInfoPage, "Options" for TTestOptionsPage.
std::string FormName(TCustomForm* Form) {
  if (Form == nullptr) return "nil";
  const std::string Name = Form->ClassName();
  const size_t Prefix = std::string("TTest").size(), Suffix = std::string("Page").size();
  return Name.substr(Prefix, Name.size() - Prefix - Suffix);
}

INT_PTR CALLBACK ExtraPageProc(HWND, UINT Msg, WPARAM, LPARAM) { return Msg == WM_INITDIALOG; }
}  // namespace

// ---- Extra pages ----------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TTestExtraProvider) {}

HPROPSHEETPAGE TTestExtraProvider::CreatePage(TNxShellPropSheetExt*, const std::string& PageTitle, int Index) {
  if (Index >= PagesToMake) return nullptr;
  const std::string Title = Index == 0 ? PageTitle : PageTitle + " " + std::to_string(Index + 1);
  PROPSHEETPAGEA Page{};
  Page.dwSize = sizeof Page;
  Page.dwFlags = PSP_USETITLE;
  Page.hInstance = ModuleInstance();
  Page.pszTemplate = MAKEINTRESOURCEA(NxPropSheetDialogID);
  Page.pszTitle = Title.c_str();
  Page.pfnDlgProc = &ExtraPageProc;
  return CreatePropertySheetPageA(&Page);
}

// ---- The module ------------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TTestPropSheetModule) {
  using T = TTestPropSheetModule;
  C.Field("PropSheetExt", &T::PropSheetExt);
  C.Method<&T::AddPropSheet>("AddPropSheet");
  C.Method<&T::GetPropSheetName>("GetPropSheetName");
  C.Method<&T::ApplyEx>("ApplyEx");
  C.Method<&T::KillActiveEx>("KillActiveEx");
  C.Method<&T::QueryCancelEx>("QueryCancelEx");
  C.Method<&T::SetActiveEx>("SetActiveEx");
}

void TTestPropSheetModule::AddPropSheet(TNxShellPropSheetExt*, TFormClass PropSheetClass, bool& AllowInsert) {
  const auto& Refused = TPropSheetTrace::RefusedClasses;
  if (std::find(Refused.begin(), Refused.end(), PropSheetClass->ClassName()) != Refused.end()) AllowInsert = false;
}

void TTestPropSheetModule::GetPropSheetName(TNxShellPropSheetExt*, TFormClass, std::string& Caption) {
  Caption += TPropSheetTrace::CaptionSuffix;
}

void TTestPropSheetModule::ApplyEx(TNxShellPropSheetExt*, TCustomForm* PropSheet, bool& ApplyChanges) {
  TPropSheetTrace::Log.push_back("ext apply " + FormName(PropSheet) + (ApplyChanges ? " 1" : " 0"));
}

void TTestPropSheetModule::KillActiveEx(TNxShellPropSheetExt*, TCustomForm* PropSheet, bool& KillActive) {
  TPropSheetTrace::Log.push_back("ext killactive " + FormName(PropSheet) + (KillActive ? " 1" : " 0"));
}

void TTestPropSheetModule::QueryCancelEx(TNxShellPropSheetExt*, TCustomForm* PropSheet, bool& Cancel) {
  TPropSheetTrace::Log.push_back("ext querycancel " + FormName(PropSheet) + (Cancel ? " 1" : " 0"));
}

void TTestPropSheetModule::SetActiveEx(TNxShellPropSheetExt*, TCustomForm* PropSheet) {
  TPropSheetTrace::Log.push_back("ext setactive " + FormName(PropSheet));
}

// ---- Page forms --------------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TTestPageBase) {
  using T = TTestPageBase;
  C.Method<&T::PageApply>("PageApply");
  C.Method<&T::PageKillActive>("PageKillActive");
  C.Method<&T::PageQueryCancel>("PageQueryCancel");
  C.Method<&T::PageSetActive>("PageSetActive");
}

void TTestPageBase::Record(const std::string& Event) { TPropSheetTrace::Log.push_back(FormName(this) + " " + Event); }

void TTestPageBase::PageApply(TNxShellPropSheetForm*, bool& ApplyChanges) {
  Record("apply");
  if (TPropSheetTrace::VetoApply) ApplyChanges = false;
}

void TTestPageBase::PageKillActive(TNxShellPropSheetForm*, bool& KillActive) {
  Record("killactive");
  if (TPropSheetTrace::VetoKillActive) KillActive = false;
}

void TTestPageBase::PageQueryCancel(TNxShellPropSheetForm*, bool& Cancel) {
  Record("querycancel");
  if (TPropSheetTrace::VetoCancel) Cancel = false;
}

void TTestPageBase::PageSetActive(TNxShellPropSheetForm*) { Record("setactive"); }

VD_DEFINE_CLASS(TTestInfoPage) {
  using T = TTestInfoPage;
  C.Field("Bevel", &T::Bevel);
  C.Field("edtFolder", &T::edtFolder);
  C.Field("edtCount", &T::edtCount);
  C.Method<&T::FormCreate>("FormCreate");
  C.Method<&T::FormResize>("FormResize");
}

void TTestInfoPage::FormCreate(TObject*) {
  TNxShellPropSheetExt* Extension = GetPropSheetExt();
  if (Extension == nullptr) return;
  const std::string FileName = Extension->GetFileName();
  if (FileName.empty()) return;
  Bevel->SetCaption(ExtractFileName(FileName));
  edtFolder->SetText(ExtractFileDir(FileName));
  edtCount->SetText(IntToStr(Extension->Files()->Count()));
}

void TTestInfoPage::FormResize(TObject*) {
  if (Bevel == nullptr) return;
  Bevel->SetBounds(5, Bevel->Top(), ClientWidth() - 10, ClientHeight() - 5 - Bevel->Top());
  for (TEdit* Edit : {edtFolder, edtCount})
    Edit->SetBounds(Edit->Left(), Edit->Top(), Bevel->Width() - Edit->Left() - 15, Edit->Height());
}

VD_DEFINE_CLASS(TTestOptionsPage) {
  using T = TTestOptionsPage;
  C.Field("edtFirst", &T::edtFirst);
  C.Field("chkSecond", &T::chkSecond);
  C.Field("edtThird", &T::edtThird);
  C.Field("edtEvents", &T::edtEvents);
}

void TTestOptionsPage::Record(const std::string& Event) {
  inherited::Record(Event);
  if (edtEvents == nullptr) return;
  const std::string Text = edtEvents->Text();
  edtEvents->SetText(Text.empty() ? Event : Text + " " + Event);
}

// ---- Units -------------------------------------------------------------------------------------------------

namespace {
// The project's data-module unit and its page-form unit.
void RegisterPropSheetModule() {
  RegisterClass(ClassOf<TTestExtraProvider>());
  RegisterNxDataModule(ComServer(), TNxModuleClass::Of<TTestPropSheetModule>());
}
void RegisterPageForms() {
  RegisterPropSheetForm(TFormClass::Of<TTestInfoPage>());
  RegisterPropSheetForm(TFormClass::Of<TTestOptionsPage>());
}
const TUnitRegistration kModuleUnit(urProjectDataModules + 1, {"PropSheetTestModule", &RegisterPropSheetModule, nullptr});
const TUnitRegistration kFormsUnit(urProjectForms, {"PropSheetTestForms", &RegisterPageForms, nullptr});
}  // namespace
