// The property-sheet extension in this process, through the class library's COM server: the
// PropertySheets line rules, the pages AddPages and ReplacePage hand out (order, captions, icons,
// vetoes, refused and unregistered lines, extra pages), modeless sheets driven by messages (the
// embedded form, the page notifications with their exact results, real Apply/Cancel/selection
// flows), the release of everything once the sheet is gone, and the registry keys.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "classlib/ComServ.h"
#include "classlib/UnitInit.h"
#include "tests/controls/ControlsTestSupport.h"
#include "tests/nx/propsheet_module.h"
#include "tests/nx/test_data_object.h"
#include "tests/support/RedirectedRegistry.h"

using namespace nxtest;
using namespace testsupport;

namespace {

// A page form without a resource: its construction fails, so its page stays blank.
class TTestBrokenPage : public TNxShellPropSheetForm {
  VD_CLASS(TTestBrokenPage, TNxShellPropSheetForm);

public:
  using TNxShellPropSheetForm::TNxShellPropSheetForm;
};
VD_DEFINE_CLASS(TTestBrokenPage) {}

// Collects pages as the shell's add-page callback does; refuses the page numbered RefuseAt.
struct TPageSink {
  std::vector<HPROPSHEETPAGE> Pages;
  int RefuseAt = -1;
  static BOOL CALLBACK Add(HPROPSHEETPAGE Page, LPARAM LParam) {
    auto* Sink = reinterpret_cast<TPageSink*>(LParam);
    if (static_cast<int>(Sink->Pages.size()) == Sink->RefuseAt) return FALSE;
    Sink->Pages.push_back(Page);
    return TRUE;
  }
  // Pages the sheet never took are the caller's to destroy.
  void DestroyAll() {
    for (HPROPSHEETPAGE Page : Pages) DestroyPropertySheetPage(Page);
    Pages.clear();
  }
};

// A modeless sheet over the given pages, driven by messages from the test. It is never mapped
// (Wine waits for a window manager that isn't there each time a shown top-level window goes).
class TSheet {
public:
  explicit TSheet(std::vector<HPROPSHEETPAGE>& Pages) {
    PROPSHEETHEADERA Header{};
    Header.dwSize = sizeof Header;
    Header.dwFlags = PSH_MODELESS | PSH_PROPTITLE | PSH_USECALLBACK;
    Header.pfnCallback = &Hidden;
    Header.pszCaption = "one.vdtps";
    Header.nPages = static_cast<UINT>(Pages.size());
    Header.phpage = Pages.data();
    FWnd = reinterpret_cast<HWND>(PropertySheetA(&Header));
    Pages.clear();  // the sheet has them now
    PumpFor(50);
  }
  ~TSheet() { Destroy(); }
  TSheet(const TSheet&) = delete;
  TSheet& operator=(const TSheet&) = delete;

  HWND Wnd() const { return FWnd; }
  void Destroy() {
    if (FWnd && IsWindow(FWnd)) DestroyWindow(FWnd);
    FWnd = nullptr;
    PumpFor(20);
  }
  std::vector<std::string> Tabs() const {
    std::vector<std::string> Result;
    HWND Tab = PropSheet_GetTabControl(FWnd);
    for (int I = 0; I < TabCtrl_GetItemCount(Tab); ++I) {
      char Text[128] = "";
      TCITEMA Item{};
      Item.mask = TCIF_TEXT;
      Item.pszText = Text;
      Item.cchTextMax = sizeof Text;
      SendMessageA(Tab, TCM_GETITEMA, I, reinterpret_cast<LPARAM>(&Item));
      Result.push_back(Text);
    }
    return Result;
  }
  int TabImage(int Index) const {
    TCITEMA Item{};
    Item.mask = TCIF_IMAGE;
    SendMessageA(PropSheet_GetTabControl(FWnd), TCM_GETITEMA, Index, reinterpret_cast<LPARAM>(&Item));
    return Item.iImage;
  }
  bool Select(int Index) {
    bool Done = PropSheet_SetCurSel(FWnd, nullptr, Index) != FALSE;
    PumpFor(20);
    return Done;
  }
  HWND Page(int Index) const { return PropSheet_IndexToHwnd(FWnd, Index); }
  HWND Current() const { return PropSheet_GetCurrentPageHwnd(FWnd); }
  void Press(int Button) {
    PropSheet_PressButton(FWnd, Button);
    PumpFor(50);
  }

private:
  static int CALLBACK Hidden(HWND, UINT Msg, LPARAM LParam) {
    if (Msg == PSCB_PRECREATE) reinterpret_cast<DLGTEMPLATE*>(LParam)->style &= ~WS_VISIBLE;
    return 0;
  }
  HWND FWnd = nullptr;
};

constexpr LONG_PTR kUntouched = 0x55;

// A notification as the sheet sends it, handed to the page's dialog procedure itself (the dialog
// manager would hide whether it answered TRUE); returns that answer and the DWLP_MSGRESULT left.
std::pair<INT_PTR, LONG_PTR> Notify(HWND Sheet, HWND Page, UINT Code) {
  SetWindowLongPtrA(Page, DWLP_MSGRESULT, kUntouched);
  NMHDR Header{Sheet, 0, Code};
  INT_PTR Answer = PropSheetPageDlgProc(Page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&Header));
  return {Answer, GetWindowLongPtrA(Page, DWLP_MSGRESULT)};
}

// OnReplacePropSheet that accepts the lines of one class.
struct TReplaceSink {
  std::string Accept;
  std::vector<std::string> Calls;
  void Replace(TNxShellPropSheetExt*, int Index, TFormClass Class, bool& AllowInsert) {
    Calls.push_back(std::to_string(Index) + " " + Class->ClassName() + (AllowInsert ? " 1" : " 0"));
    AllowInsert = Class->ClassName() == Accept;
  }
};

class NxPropSheet : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureUnitsStarted();
    TPropSheetTrace::Reset();
    ASSERT_EQ(ComServer()->CanUnloadNow(), S_OK) << "a test before this one left something behind";
    Folder = std::make_unique<TTempFolder>("nx-propsheet", std::vector<std::string>{"one.vdtps", "two.vdtps"});
    Extension = NewExtension();
    ASSERT_TRUE(Extension);
    TComPtr<INxShellObject> Shell;
    ASSERT_EQ(Extension->QueryInterface(IID_INxShellObject, Shell.ReceiveVoid()), S_OK);
    Component = dynamic_cast<TNxShellPropSheetExt*>(Shell->GetComponent());
    ASSERT_NE(Component, nullptr);
    SavedLines = Component->PropertySheets()->Text();
  }
  void TearDown() override {
    Sink.DestroyAll();
    Sheet.reset();
    if (Component) {
      // The module stays with this thread: what a test changed on its component goes back.
      Component->PropertySheets()->SetText(SavedLines);
      Component->SetImageList(nullptr);
      Component->OnReplacePropSheet = nullptr;
      Component->SetActivateXPThemes(true);
    }
    Extension.Reset();
    EXPECT_EQ(nx_detail::LivePageRecords(), 0);
    EXPECT_EQ(TPropSheetTrace::InfoPagesAlive + TPropSheetTrace::OptionsPagesAlive, 0);
    EXPECT_EQ(ComServer()->CanUnloadNow(), S_OK);
  }

  TComPtr<IShellPropSheetExt> NewExtension() {
    TComPtr<IClassFactory> Factory;
    EXPECT_EQ(ComServerDllGetClassObject(kClsidPropSheet, IID_IClassFactory, Factory.ReceiveVoid()), S_OK);
    TComPtr<IShellExtInit> Init;
    if (!Factory || FAILED(Factory->CreateInstance(nullptr, IID_IShellExtInit, Init.ReceiveVoid()))) return nullptr;
    TTestDataObject Data;
    Data.Offer(CF_HDROP, MakeDropList({Folder->File(0), Folder->File(1)}));
    EXPECT_EQ(Init->Initialize(nullptr, &Data, nullptr), S_OK);
    TComPtr<IShellPropSheetExt> Result;
    EXPECT_EQ(Init->QueryInterface(IID_IShellPropSheetExt, Result.ReceiveVoid()), S_OK);
    return Result;
  }
  HRESULT AddPages() { return Extension->AddPages(&TPageSink::Add, reinterpret_cast<LPARAM>(&Sink)); }
  TSheet& ShowSheet() {
    Sheet = std::make_unique<TSheet>(Sink.Pages);
    return *Sheet;
  }
  void SetLines(std::initializer_list<const char*> Lines) {
    Component->PropertySheets()->Clear();
    for (const char* Line : Lines) Component->PropertySheets()->Add(Line);
  }

  std::unique_ptr<TTempFolder> Folder;
  TComPtr<IShellPropSheetExt> Extension;
  TNxShellPropSheetExt* Component = nullptr;
  std::string SavedLines;
  TPageSink Sink;
  std::unique_ptr<TSheet> Sheet;
};

}  // namespace

// ---- Lines ------------------------------------------------------------------------------------------------

TEST(NxPropSheetLines, NameCaptionAndIconAreCutAtTheFirstBracketAndComma) {
  EXPECT_EQ(GetPropSheetClassName("TNxShellPropSheetForm1[0]"), "TNxShellPropSheetForm1");
  EXPECT_EQ(GetPropSheetClassName("TForm2"), "TForm2");
  EXPECT_EQ(GetPropSheetClassName("TForm2[1][2]"), "TForm2");
  EXPECT_EQ(GetPropSheetName("Script Info,0"), "Script Info");
  EXPECT_EQ(GetPropSheetName("Script Info"), "Script Info");
  EXPECT_EQ(GetPropSheetName("A,B,3"), "A");
  EXPECT_EQ(GetPropSheetIcon("Script Info,0"), 0);
  EXPECT_EQ(GetPropSheetIcon("X,12"), 12);
  EXPECT_EQ(GetPropSheetIcon("Script Info"), -1) << "no comma";
  EXPECT_EQ(GetPropSheetIcon("X,abc"), -1) << "no number";
  EXPECT_EQ(GetPropSheetIcon("A,B,3"), -1) << "everything after the first comma counts";
  EXPECT_EQ(GetPropSheetIcon("X,"), -1);
}

TEST(NxPropSheetLines, TheComposedValueReadsBackThroughBothParsers) {
  EXPECT_EQ(GetComposedName("Script Info", 0), "Script Info,0");
  for (int Icon : {-1, 0, 17}) {
    const std::string Value = GetComposedName("Page = one", Icon);
    EXPECT_EQ(GetPropSheetName(Value), "Page = one");
    EXPECT_EQ(GetPropSheetIcon(Value), Icon);
  }
}

// ---- AddPages and ReplacePage -------------------------------------------------------------------------------

TEST_F(NxPropSheet, OnePagePerUsableLineInOrderThenTheExtraPages) {
  ASSERT_EQ(AddPages(), S_OK);
  ASSERT_EQ(Sink.Pages.size(), 3u) << "the unregistered class and the line without '=' make none";
  EXPECT_EQ(nx_detail::LivePageRecords(), 2) << "the extra page is the provider's own";
  EXPECT_EQ(TPropSheetTrace::ProviderLocks, 1);
  EXPECT_EQ(TPropSheetTrace::ProviderUnlocks, 1);
  TSheet& S = ShowSheet();
  EXPECT_EQ(S.Tabs(), (std::vector<std::string>{"Info", "Options", "Extra"}));
  EXPECT_EQ(S.TabImage(0), -1) << "no image list: no tab icon although the line names icon 0";
}

TEST_F(NxPropSheet, TheLineEventsVetoPagesAndChangeCaptions) {
  TPropSheetTrace::RefusedClasses = {"TTestInfoPage"};
  TPropSheetTrace::CaptionSuffix = " *";
  ASSERT_EQ(AddPages(), S_OK);
  EXPECT_EQ(nx_detail::LivePageRecords(), 1) << "a vetoed line takes no record and no reference";
  EXPECT_EQ(ShowSheet().Tabs(), (std::vector<std::string>{"Options *", "Extra"}));
}

TEST_F(NxPropSheet, LinesOfOneNameShareTheFirstValueAndClassNamesIgnoreCase) {
  SetLines({"ttestinfopage[0]=First,0", "TTestOptionsPage[1]=Second", "ttestinfopage[0]=Ignored,5"});
  TTestExtraProvider::PagesToMake = 2;
  ASSERT_EQ(AddPages(), S_OK);
  EXPECT_EQ(ShowSheet().Tabs(), (std::vector<std::string>{"First", "Second", "First", "Extra", "Extra 2"}));
}

TEST_F(NxPropSheet, ARefusedPageIsGivenBackAtOnceAndTheRestStaysWithTheCaller) {
  Sink.RefuseAt = 1;
  EXPECT_EQ(AddPages(), E_FAIL);
  ASSERT_EQ(Sink.Pages.size(), 1u);
  EXPECT_EQ(nx_detail::LivePageRecords(), 1) << "the refused page's record went with it";
  EXPECT_EQ(TPropSheetTrace::ProviderLocks, 0) << "no extra pages after a failure";
  Extension.Reset();
  EXPECT_EQ(ComServer()->CanUnloadNow(), S_FALSE) << "the accepted page still holds the object";
  Sink.DestroyAll();
  EXPECT_EQ(nx_detail::LivePageRecords(), 0);
  EXPECT_EQ(ComServer()->CanUnloadNow(), S_OK);
}

TEST_F(NxPropSheet, PagesNeverShownAreReleasedWithTheSheet) {
  ASSERT_EQ(AddPages(), S_OK);
  TSheet& S = ShowSheet();
  EXPECT_EQ(TPropSheetTrace::InfoPagesAlive, 1);
  EXPECT_EQ(TPropSheetTrace::OptionsPagesAlive, 0) << "only the first page is made";
  Extension.Reset();
  EXPECT_EQ(ComServer()->CanUnloadNow(), S_FALSE) << "the pages hold the object";
  S.Destroy();
  EXPECT_EQ(TPropSheetTrace::InfoPagesAlive, 0);
  EXPECT_EQ(nx_detail::LivePageRecords(), 0);
  EXPECT_EQ(ComServer()->CanUnloadNow(), S_OK);
}

TEST_F(NxPropSheet, ReplacePageTakesEveryLineWithoutHandlerAndTheAcceptedOnesWithIt) {
  TPageSink Replaced;
  EXPECT_EQ(Extension->ReplacePage(EXPPS_FILETYPES, &TPageSink::Add, reinterpret_cast<LPARAM>(&Replaced)), S_OK);
  EXPECT_EQ(Replaced.Pages.size(), 2u) << "no extra pages";
  EXPECT_EQ(TPropSheetTrace::ProviderLocks, 0);
  Replaced.DestroyAll();

  TReplaceSink Handler{"TTestOptionsPage", {}};
  Component->OnReplacePropSheet = TReplacePropSheetEvent::Bind<&TReplaceSink::Replace>(&Handler);
  EXPECT_EQ(Extension->ReplacePage(EXPPS_FILETYPES, &TPageSink::Add, reinterpret_cast<LPARAM>(&Replaced)), S_OK);
  EXPECT_EQ(Handler.Calls, (std::vector<std::string>{"1 TTestInfoPage 0", "1 TTestOptionsPage 0"}))
      << "the flag starts False";
  ASSERT_EQ(Replaced.Pages.size(), 1u);
  Sink.Pages = Replaced.Pages;
  EXPECT_EQ(ShowSheet().Tabs(), (std::vector<std::string>{"Options"}));
}

TEST_F(NxPropSheet, TabIconsComeFromTheImageList) {
  TObjectPtr<TImageList> Icons(TImageList::Create(nullptr));
  TObjectPtr<TIcon> Icon(TIcon::Create());
  Icon->SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
  Icons->AddIcon(Icon.get());
  Component->SetImageList(Icons.get());
  SetLines({"TTestInfoPage[0]=Info,0", "TTestOptionsPage[1]=Options,5"});
  ASSERT_EQ(AddPages(), S_OK) << "an icon index past the list gives no icon, not a failure";
  TSheet& S = ShowSheet();
  EXPECT_GE(S.TabImage(0), 0);
  EXPECT_EQ(S.TabImage(1), -1);
  Icons.reset();
  EXPECT_EQ(Component->ImageList(), nullptr) << "a freed image list is forgotten";
}

// ---- The page and its form ------------------------------------------------------------------------------------

TEST_F(NxPropSheet, TheFormIsABorderlessChildThatFillsThePageAndShowsTheSelection) {
  ASSERT_EQ(AddPages(), S_OK);
  TSheet& S = ShowSheet();
  HWND Page = S.Page(0);
  auto* Form = dynamic_cast<TTestInfoPage*>(nx_detail::PageFormOf(Page));
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->Owner(), Component);
  EXPECT_EQ(GetParent(Form->Handle()), Page);
  const LONG_PTR Style = GetWindowLongPtrA(Form->Handle(), GWL_STYLE);
  EXPECT_TRUE(Style & WS_CHILD);
  EXPECT_FALSE(Style & (WS_CAPTION | WS_THICKFRAME | WS_POPUP));
  EXPECT_EQ(Form->BorderStyle(), bsNone);
  RECT PageClient, FormRect;
  GetClientRect(Page, &PageClient);
  GetWindowRect(Form->Handle(), &FormRect);
  MapWindowPoints(nullptr, Page, reinterpret_cast<POINT*>(&FormRect), 2);
  EXPECT_EQ(FormRect.left, 0);
  EXPECT_EQ(FormRect.top, 0);
  EXPECT_EQ(FormRect.right, PageClient.right);
  EXPECT_EQ(FormRect.bottom, PageClient.bottom);
  EXPECT_EQ(Form->Bevel->Caption(), "one.vdtps");
  EXPECT_EQ(Form->edtFolder->Text(), Folder->Path);
  EXPECT_EQ(Form->edtCount->Text(), "2");
  EXPECT_TRUE(Form->DrawXPBackground());
  EXPECT_EQ(GetPropA(Form->edtFolder->Handle(), NxOwnerFormProp), static_cast<HANDLE>(Form)) << "children subclassed";

  SendMessageA(Page, WM_SIZE, 0, MAKELPARAM(200, 150));
  EXPECT_EQ(Form->Width(), 200);
  EXPECT_EQ(Form->Height(), 150);
  EXPECT_EQ(Form->Bevel->Width(), 190) << "the form's OnResize ran";
}

TEST_F(NxPropSheet, NotificationsReachTheFormThenTheExtensionWithTheirExactResults) {
  ASSERT_EQ(AddPages(), S_OK);
  TSheet& S = ShowSheet();
  HWND Page = S.Page(0);
  auto& Log = TPropSheetTrace::Log;
  struct TCase {
    UINT Code;
    bool* Veto;
    const char* Form;
    const char* Ext;
    LONG_PTR Allowed, Vetoed;
  } Cases[] = {
      {static_cast<UINT>(PSN_APPLY), &TPropSheetTrace::VetoApply, "Info apply", "ext apply Info", PSNRET_NOERROR,
       PSNRET_INVALID},
      {static_cast<UINT>(PSN_KILLACTIVE), &TPropSheetTrace::VetoKillActive, "Info killactive", "ext killactive Info",
       FALSE, TRUE},
      {static_cast<UINT>(PSN_QUERYCANCEL), &TPropSheetTrace::VetoCancel, "Info querycancel", "ext querycancel Info",
       FALSE, TRUE},
  };
  for (const TCase& C : Cases) {
    for (bool Veto : {false, true}) {
      SCOPED_TRACE(std::string(C.Form) + (Veto ? " vetoed" : ""));
      *C.Veto = Veto;
      Log.clear();
      auto [Answer, Result] = Notify(S.Wnd(), Page, C.Code);
      EXPECT_EQ(Answer, TRUE);
      EXPECT_EQ(Result, Veto ? C.Vetoed : C.Allowed);
      EXPECT_EQ(Log, (std::vector<std::string>{C.Form, std::string(C.Ext) + (Veto ? " 0" : " 1")}))
          << "the form first, then the extension with the form's answer";
      *C.Veto = false;
    }
  }
  Log.clear();
  auto [Answer, Result] = Notify(S.Wnd(), Page, static_cast<UINT>(PSN_SETACTIVE));
  EXPECT_EQ(Answer, TRUE);
  EXPECT_EQ(Result, 0);
  EXPECT_EQ(Log, (std::vector<std::string>{"Info setactive", "ext setactive Info"}));

  Log.clear();
  EXPECT_EQ(Notify(S.Wnd(), Page, static_cast<UINT>(PSN_HELP)), std::make_pair(INT_PTR{FALSE}, kUntouched))
      << "left to the dialog manager";
  EXPECT_EQ(PropSheetPageDlgProc(Page, WM_CLOSE, 0, 0), FALSE) << "no default handling inside the procedure";
  EXPECT_TRUE(IsWindow(Page));
  EXPECT_TRUE(Log.empty());
}

TEST_F(NxPropSheet, SelectionApplyAndCancelRunThroughTheSheet) {
  ASSERT_EQ(AddPages(), S_OK);
  TSheet& S = ShowSheet();
  SetForegroundWindow(S.Wnd());
  auto& Log = TPropSheetTrace::Log;
  auto Has = [&Log](const std::string& Line) { return std::find(Log.begin(), Log.end(), Line) != Log.end(); };

  TPropSheetTrace::VetoKillActive = true;
  Log.clear();
  EXPECT_FALSE(S.Select(1));
  EXPECT_EQ(S.Current(), S.Page(0)) << "a kill-active veto keeps the page";
  EXPECT_TRUE(Has("Info killactive"));
  TPropSheetTrace::VetoKillActive = false;

  Log.clear();
  EXPECT_TRUE(S.Select(1));
  EXPECT_EQ(Log, (std::vector<std::string>{"Info killactive", "ext killactive Info 1", "Options setactive",
                                           "ext setactive Options"}));

  Log.clear();
  S.Press(PSBTN_APPLYNOW);
  EXPECT_TRUE(Has("Options killactive"));
  EXPECT_TRUE(Has("Info apply")) << "every page that was made gets PSN_APPLY";
  EXPECT_TRUE(Has("Options apply"));
  auto* Options = dynamic_cast<TTestOptionsPage*>(nx_detail::PageFormOf(S.Page(1)));
  ASSERT_NE(Options, nullptr);
  EXPECT_NE(Options->edtEvents->Text().find("apply"), std::string::npos);

  TPropSheetTrace::VetoApply = true;
  S.Press(PSBTN_OK);
  EXPECT_EQ(S.Current(), S.Page(0)) << "an apply veto keeps the sheet open on OK, on the page that said no";
  TPropSheetTrace::VetoApply = false;

  TPropSheetTrace::VetoCancel = true;
  S.Press(PSBTN_CANCEL);
  EXPECT_NE(S.Current(), nullptr) << "a query-cancel veto keeps the sheet";
  TPropSheetTrace::VetoCancel = false;
  Log.clear();
  S.Press(PSBTN_CANCEL);
  EXPECT_TRUE(Has("Info querycancel"));
  EXPECT_EQ(S.Current(), nullptr) << "the modeless sheet is done";
}

TEST_F(NxPropSheet, APageWhoseFormCannotBeMadeStaysBlankAndStillAnswers) {
  static const bool Registered = RegisterPropSheetForm(TFormClass::Of<TTestBrokenPage>());
  ASSERT_TRUE(Registered);
  SetLines({"TTestBrokenPage[0]=Broken", "TTestInfoPage[1]=Info"});
  TExceptionCollector Reports;
  ASSERT_EQ(AddPages(), S_OK);
  TSheet& S = ShowSheet();
  EXPECT_EQ(S.Tabs(), (std::vector<std::string>{"Broken", "Info", "Extra"}));
  EXPECT_EQ(nx_detail::PageFormOf(S.Page(0)), nullptr);
  ASSERT_EQ(Reports.Reports.size(), 1u);
  EXPECT_EQ(Reports.Reports[0].Message, "Resource TTestBrokenPage not found");
  TPropSheetTrace::Log.clear();
  EXPECT_EQ(Notify(S.Wnd(), S.Page(0), static_cast<UINT>(PSN_APPLY)), std::make_pair(INT_PTR{TRUE}, LONG_PTR{PSNRET_NOERROR}));
  EXPECT_EQ(TPropSheetTrace::Log, (std::vector<std::string>{"ext apply nil 1"}));
  EXPECT_TRUE(S.Select(1));
}

// ---- Registration -----------------------------------------------------------------------------------------------

namespace {

// Every value under Root as "key|name|type|data" (keys without values as "key/"), sorted.
void ListTree(HKEY Root, const std::string& Path, std::vector<std::string>& Out) {
  HKEY Key;
  if (RegOpenKeyExA(Root, Path.empty() ? nullptr : Path.c_str(), 0, KEY_READ, &Key) != ERROR_SUCCESS) return;
  char Name[256];
  BYTE Data[512];
  DWORD Values = 0;
  for (DWORD I = 0;; ++I, ++Values) {
    DWORD NameSize = sizeof Name, DataSize = sizeof Data, Type = 0;
    if (RegEnumValueA(Key, I, Name, &NameSize, nullptr, &Type, Data, &DataSize) != ERROR_SUCCESS) break;
    std::string Text = Type == REG_SZ ? std::string(reinterpret_cast<char*>(Data), DataSize) : "?";
    Out.push_back(Path + "|" + Name + "|" + std::to_string(Type) + "|" + Text);
  }
  std::vector<std::string> Subkeys;
  for (DWORD I = 0;; ++I) {
    DWORD NameSize = sizeof Name;
    if (RegEnumKeyExA(Key, I, Name, &NameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Subkeys.push_back(Path.empty() ? Name : Path + "\\" + Name);
  }
  RegCloseKey(Key);
  if (Values == 0 && Subkeys.empty()) Out.push_back(Path + "/");
  for (const std::string& Sub : Subkeys) ListTree(Root, Sub, Out);
  std::sort(Out.begin(), Out.end());
}

std::vector<std::string> Tree(HKEY Root) {
  std::vector<std::string> Out;
  ListTree(Root, "", Out);
  return Out;
}

std::string Sz(const std::string& Text) { return Text + std::string(1, '\0'); }

std::vector<std::string> Sorted(std::vector<std::string> List) {
  std::sort(List.begin(), List.end());
  return List;
}

constexpr const char* kApproved = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

}  // namespace

TEST(NxPropSheetRegistry, RegisteringWritesExactlyTheClassHandlerAndApprovedEntries) {
  EnsureUnitsStarted();
  TRedirectedRegistry Registry("nx-propsheet", {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE});
  const HKEY ClassesKey = Registry.Key(HKEY_CLASSES_ROOT), MachineKey = Registry.Key(HKEY_LOCAL_MACHINE);
  HKEY Approved;
  ASSERT_EQ(RegCreateKeyExA(MachineKey, kApproved, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Approved, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(Approved);
  char Self[MAX_PATH];
  GetModuleFileNameA(nullptr, Self, MAX_PATH);
  const std::string Clsid = GUIDToString(kClsidPropSheet);

  ComServer()->UpdateRegistry(true);
  EXPECT_EQ(Tree(ClassesKey),
            Sorted({
                "CLSID\\" + Clsid + "\\InprocServer32||1|" + Sz(Self),
                "CLSID\\" + Clsid + "\\InprocServer32|ThreadingModel|1|" + Sz("Apartment"),
                "CLSID\\" + Clsid + "||1|" + Sz("Veldrane test property sheet"),
                "vdtestpsfile\\shellex\\PropertySheetHandlers\\VdTestPropSheet||1|" + Sz(Clsid),
            }));
  EXPECT_EQ(Tree(MachineKey),
            (std::vector<std::string>{std::string(kApproved) + "|" + Clsid + "|1|" + Sz("VdTestPropSheet")}))
      << "the Approved value is a REG_SZ with its terminating zero";

  ComServer()->UpdateRegistry(false);
  EXPECT_EQ(Tree(ClassesKey), (std::vector<std::string>{"CLSID/"})) << "the file type went with its last key";
  EXPECT_EQ(Tree(MachineKey), (std::vector<std::string>{std::string(kApproved) + "/"}));
}

TEST(NxPropSheetRegistry, ControlPanelTypesGoUnderTheMachineKeyAndOtherHandlersStay) {
  EnsureUnitsStarted();
  TRedirectedRegistry Registry("nx-propsheet", {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE});
  const HKEY ClassesKey = Registry.Key(HKEY_CLASSES_ROOT), MachineKey = Registry.Key(HKEY_LOCAL_MACHINE);
  TObjectPtr<TNxShellPropSheetExt> Applet(TNxShellPropSheetExt::Create(nullptr));
  Applet->SetCLSID("{BC8484D9-F549-4D85-BA60-81E97138A785}");
  Applet->SetExtensionName("VdTestApplet");
  Applet->SetDescription("Applet pages");
  Applet->SetFileType("Controls Folder\\VdTestApplet");
  // (Named as the existing "SOFTWARE" key is; registry names ignore case.)
  const std::string Handler = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\VdTestApplet\\shellex\\"
                              "PropertySheetHandlers\\VdTestApplet";
  HKEY Approved;
  ASSERT_EQ(RegCreateKeyExA(MachineKey, kApproved, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Approved, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(Approved);
  Applet->UpdateRegistry(true);
  EXPECT_EQ(Tree(MachineKey),
            Sorted({Handler + "||1|" + Sz("{BC8484D9-F549-4D85-BA60-81E97138A785}"),
                    std::string(kApproved) + "|{BC8484D9-F549-4D85-BA60-81E97138A785}|1|" + Sz("VdTestApplet")}))
      << "approved as well";
  EXPECT_EQ(Tree(ClassesKey),
            (std::vector<std::string>{"CLSID\\{BC8484D9-F549-4D85-BA60-81E97138A785}||1|" + Sz("Applet pages")}));
  Applet->UpdateRegistry(false);
  HKEY Probe;
  EXPECT_NE(RegOpenKeyExA(MachineKey, Handler.c_str(), 0, KEY_READ, &Probe), ERROR_SUCCESS);
  const std::vector<std::string> Machine = Tree(MachineKey);
  EXPECT_NE(std::find(Machine.begin(), Machine.end(), std::string(kApproved) + "/"), Machine.end())
      << "the Approved value went";

  // A file type whose shellex key holds another handler keeps it.
  HKEY Other;
  ASSERT_EQ(RegCreateKeyExA(ClassesKey, "vdtestpsfile\\shellex\\ContextMenuHandlers\\Other", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &Other, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(Other);
  TObjectPtr<TNxShellPropSheetExt> Pages(TNxShellPropSheetExt::Create(nullptr));
  Pages->SetCLSID("{48957DC8-A62D-4A9E-8A85-781AD02B8ED4}");
  Pages->SetExtensionName("VdTestPages");
  Pages->RegisterFileType("vdtestpsfile", true);
  const std::vector<std::string> Written = Tree(ClassesKey);
  EXPECT_NE(std::find(Written.begin(), Written.end(),
                      "vdtestpsfile\\shellex\\PropertySheetHandlers\\VdTestPages||1|" +
                          Sz("{48957DC8-A62D-4A9E-8A85-781AD02B8ED4}")),
            Written.end());
  Pages->RegisterFileType("vdtestpsfile", false);
  std::vector<std::string> Left;
  for (const std::string& Entry : Tree(ClassesKey))
    if (Entry.rfind("vdtestpsfile", 0) == 0) Left.push_back(Entry);
  EXPECT_EQ(Left, (std::vector<std::string>{"vdtestpsfile\\shellex\\ContextMenuHandlers\\Other/"}))
      << "only the emptied PropertySheetHandlers key goes";
}

// ---- Copying and the extra-page items ---------------------------------------------------------------------------

TEST(NxPropSheetComponent, AssignCopiesThePageSetupButNotTheIdentity) {
  EnsureUnitsStarted();
  TObjectPtr<TComponent> Owner(TComponent::Create(nullptr));
  auto* Source = TNxShellPropSheetExt::Create(Owner.get());
  auto* Target = TNxShellPropSheetExt::Create(Owner.get());
  auto* Provider = TTestExtraProvider::Create(Owner.get());
  Provider->SetName("Provider1");
  auto* Icons = TImageList::Create(Owner.get());
  TReplaceSink Handler;
  Source->SetCLSID("{152E4CEA-B315-45BA-A928-B3829BD4BBBA}");
  Source->SetFileType("vdtestpsfile");
  Source->SetImageList(Icons);
  Source->PropertySheets()->Add("TTestInfoPage[0]=Info,0");
  Source->SetActivateXPThemes(false);
  Source->OnReplacePropSheet = TReplacePropSheetEvent::Bind<&TReplaceSink::Replace>(&Handler);
  TnxExtraPageItem* Item = Source->ExtraPages()->AddItem();
  EXPECT_EQ(Item->GetDisplayName(), "TnxExtraPageItem") << "no title: the inherited name";
  Item->SetPageTitle("Extra");
  EXPECT_EQ(Item->GetDisplayName(), "Extra - Not Assigned");
  Item->SetExtraPage(Provider);
  EXPECT_EQ(Item->GetDisplayName(), "Extra - Provider1");

  Target->Assign(Source);
  EXPECT_EQ(Target->PropertySheets()->Text(), Source->PropertySheets()->Text());
  EXPECT_EQ(Target->ImageList(), Icons);
  EXPECT_FALSE(Target->ActivateXPThemes());
  EXPECT_TRUE(Target->OnReplacePropSheet == Source->OnReplacePropSheet);
  ASSERT_EQ(Target->ExtraPages()->Count(), 1);
  EXPECT_EQ(Target->ExtraPages()->GetItem(0)->ExtraPage(), Provider);
  EXPECT_EQ(Target->ExtraPages()->GetItem(0)->PageTitle(), "Extra");
  EXPECT_EQ(Target->GetCLSID(), "{00000000-0000-0000-0000-000000000000}") << "not the identity";
  EXPECT_EQ(Target->FileType(), "");
  EXPECT_THROW(Target->Assign(Provider), Exception);

  Provider->Free();
  EXPECT_EQ(Source->ExtraPages()->GetItem(0)->ExtraPage(), nullptr) << "a freed provider is forgotten";
  EXPECT_EQ(Target->ExtraPages()->GetItem(0)->ExtraPage(), nullptr);
  bool Allow = true;
  Source->TryToReleaseModule(Allow);
  EXPECT_FALSE(Allow) << "the module of a page's extension stays";
}
