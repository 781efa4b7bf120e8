// The property-sheet test module, shared by the in-process tests and the test server library: a data
// module with one property-sheet extension (lines "Info", "Options", one of an unregistered class and
// one without "="; an extra-page provider adding "Extra"), and the two registered page forms:
//   TTestInfoPage     a group box with read-only edits that are no tab stops (the shape of the script
//                     page), themed background; shows the selection.
//   TTestOptionsPage  three tab stops directly on the form, plain background; its read-only edit
//                     edtEvents shows the page events the form received, so a host sees them too.
// Every page event (form and extension) is recorded in TPropSheetTrace; the veto flags there decide
// the answers.
#pragma once

#include <string>
#include <vector>

#include "classlib/StdCtrls.h"
#include "nx/NxComObj.h"
#include "nx/NxPropertySheetExt.h"

inline constexpr GUID kClsidPropSheet = {0x152E4CEA, 0xB315, 0x45BA, {0xA9, 0x28, 0xB3, 0x82, 0x9B, 0xD4, 0xBB, 0xBA}};
inline constexpr const char* kPropSheetFileType = "vdtestpsfile";
inline constexpr const char* kPropSheetExtensionName = "VdTestPropSheet";

// What the page events did, and what they answer.
struct TPropSheetTrace {
  static inline std::vector<std::string> Log;  // "Info apply", "ext apply Info", ...
  static inline bool VetoApply = false;
  static inline bool VetoKillActive = false;
  static inline bool VetoCancel = false;
  static inline std::vector<std::string> RefusedClasses;  // OnAddPropSheet says no to these
  static inline std::string CaptionSuffix;                // OnGetPropSheetName appends it
  static inline int ProviderLocks = 0;
  static inline int ProviderUnlocks = 0;
  static inline int InfoPagesAlive = 0;
  static inline int OptionsPagesAlive = 0;
  static void Reset();
};

class TTestExtraProvider : public TnxCustomExtraPropPage {
  VD_CLASS(TTestExtraProvider, TnxCustomExtraPropPage);

public:
  using TnxCustomExtraPropPage::TnxCustomExtraPropPage;
  static inline int PagesToMake = 1;
  HPROPSHEETPAGE CreatePage(TNxShellPropSheetExt* Extension, const std::string& PageTitle, int Index) override;

protected:
  void AfterLock() override { ++TPropSheetTrace::ProviderLocks; }
  void BeforeUnlock() override { ++TPropSheetTrace::ProviderUnlocks; }
};

class TTestPropSheetModule : public TNxModule {
  VD_CLASS(TTestPropSheetModule, TNxModule);

public:
  using TNxModule::TNxModule;
  TNxShellPropSheetExt* PropSheetExt = nullptr;

  void AddPropSheet(TNxShellPropSheetExt* Sender, TFormClass PropSheetClass, bool& AllowInsert);
  void GetPropSheetName(TNxShellPropSheetExt* Sender, TFormClass PropSheetClass, std::string& Caption);
  void ApplyEx(TNxShellPropSheetExt* Sender, TCustomForm* PropSheet, bool& ApplyChanges);
  void KillActiveEx(TNxShellPropSheetExt* Sender, TCustomForm* PropSheet, bool& KillActive);
  void QueryCancelEx(TNxShellPropSheetExt* Sender, TCustomForm* PropSheet, bool& Cancel);
  void SetActiveEx(TNxShellPropSheetExt* Sender, TCustomForm* PropSheet);
};

// The page events of both forms: recorded, and answered from the veto flags.
class TTestPageBase : public TNxShellPropSheetForm {
  VD_CLASS(TTestPageBase, TNxShellPropSheetForm);

public:
  using TNxShellPropSheetForm::TNxShellPropSheetForm;
  void PageApply(TNxShellPropSheetForm* Sender, bool& ApplyChanges);
  void PageKillActive(TNxShellPropSheetForm* Sender, bool& KillActive);
  void PageQueryCancel(TNxShellPropSheetForm* Sender, bool& Cancel);
  void PageSetActive(TNxShellPropSheetForm* Sender);

protected:
  virtual void Record(const std::string& Event);
};

class TTestInfoPage : public TTestPageBase {
  VD_CLASS(TTestInfoPage, TTestPageBase);

public:
  explicit TTestInfoPage(TComponent* AOwner) : TTestPageBase(AOwner) { ++TPropSheetTrace::InfoPagesAlive; }
  TGroupBox* Bevel = nullptr;
  TEdit* edtFolder = nullptr;
  TEdit* edtCount = nullptr;
  void FormCreate(TObject* Sender);
  void FormResize(TObject* Sender);

protected:
  ~TTestInfoPage() override { --TPropSheetTrace::InfoPagesAlive; }
};

class TTestOptionsPage : public TTestPageBase {
  VD_CLASS(TTestOptionsPage, TTestPageBase);

public:
  explicit TTestOptionsPage(TComponent* AOwner) : TTestPageBase(AOwner) { ++TPropSheetTrace::OptionsPagesAlive; }
  TEdit* edtFirst = nullptr;
  TCheckBox* chkSecond = nullptr;
  TEdit* edtThird = nullptr;
  TEdit* edtEvents = nullptr;

protected:
  ~TTestOptionsPage() override { --TPropSheetTrace::OptionsPagesAlive; }
  void Record(const std::string& Event) override;
};
