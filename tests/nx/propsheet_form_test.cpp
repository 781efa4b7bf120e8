// Page forms on their own: the class list, the uxtheme binding and the manifest context, when a
// form draws the themed background, what the themed painting does (with stand-in theme routines
// where the real ones can't be observed), and the subclassed children: Tab kept inside the page,
// themed static colours, restoring, and foreign subclasses on top.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/UnitInit.h"
#include "nx/NxThemes.h"
#include "tests/controls/ControlsTestSupport.h"
#include "tests/nx/propsheet_module.h"

using namespace testsupport;

namespace othercase {
// Another class whose name differs from TTestInfoPage's only in case.
class TTESTINFOPAGE : public TNxShellPropSheetForm {
  VD_CLASS(TTESTINFOPAGE, TNxShellPropSheetForm);

public:
  using TNxShellPropSheetForm::TNxShellPropSheetForm;
};
VD_DEFINE_CLASS(TTESTINFOPAGE) {}
}  // namespace othercase

namespace {

// Theme routines that record what the form asks of them.
struct TThemeCalls {
  static inline std::vector<std::string> Log;
  static HANDLE WINAPI Open(HWND, LPCWSTR) { return reinterpret_cast<HANDLE>(0x1234); }
  static HRESULT WINAPI Close(HANDLE) { return S_OK; }
  static HRESULT WINAPI Background(HANDLE, HDC, int Part, int State, const RECT* R, const RECT* Clip) {
    Log.push_back("background " + std::to_string(Part) + " " + std::to_string(State) + " " + std::to_string(R->left) +
                  "," + std::to_string(R->top) + "," + std::to_string(R->right) + "," + std::to_string(R->bottom) +
                  (Clip ? " clip" : ""));
    return S_OK;
  }
  static BOOL WINAPI Active() { return TRUE; }
  static BOOL WINAPI AppThemed() { return TRUE; }
  static HRESULT WINAPI ParentBackground(HWND, HDC, RECT* R) {
    Log.push_back(R ? "parent rect" : "parent");
    return S_OK;
  }
};

// Stand-in routines for a scope.
class TFakeTheme {
public:
  TFakeTheme() {
    TThemeCalls::Log.clear();
    FApi.OpenThemeData = &TThemeCalls::Open;
    FApi.CloseThemeData = &TThemeCalls::Close;
    FApi.DrawThemeBackground = &TThemeCalls::Background;
    FApi.IsThemeActive = &TThemeCalls::Active;
    FApi.IsAppThemed = &TThemeCalls::AppThemed;
    FApi.DrawThemeParentBackground = &TThemeCalls::ParentBackground;
    nx_detail::SetUxThemeApiOverride(&FApi);
  }
  ~TFakeTheme() { nx_detail::SetUxThemeApiOverride(nullptr); }
  TFakeTheme(const TFakeTheme&) = delete;
  TFakeTheme& operator=(const TFakeTheme&) = delete;

private:
  TNxUxThemeApi FApi;
};

// A system version for a scope.
struct TVersion {
  TVersion(DWORD Major, DWORD Minor) { nx_detail::SetWindowsVersionOverride(Major, Minor); }
  ~TVersion() { nx_detail::SetWindowsVersionOverride(0, 0); }
};

// Shift held down (or not) for GetKeyState on this thread.
void SetShift(bool Down) {
  BYTE Keys[256];
  GetKeyboardState(Keys);
  Keys[VK_SHIFT] = Down ? 0x80 : 0;
  SetKeyboardState(Keys);
}

// A tab key pressed in the focused control; returns the control's answer.
LRESULT PressTab(TWinControl* Control, bool Shift) {
  SetShift(Shift);
  LRESULT Result = SendMessageA(Control->Handle(), WM_KEYDOWN, VK_TAB, 0);
  SetShift(false);
  return Result;
}

LRESULT CALLBACK ForeignProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto Previous = reinterpret_cast<WNDPROC>(GetPropA(Wnd, "NxTest_Previous"));
  return CallWindowProcA(Previous, Wnd, Msg, WParam, LParam);
}

class NxPageForm : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureUnitsStarted();
    TPropSheetTrace::Reset();
    Extension = TNxShellPropSheetExt::Create(nullptr);
  }
  void TearDown() override {
    FreeAndNil(Extension);  // frees the forms it owns
    EXPECT_EQ(TPropSheetTrace::InfoPagesAlive + TPropSheetTrace::OptionsPagesAlive, 0);
  }
  TNxShellPropSheetExt* Extension = nullptr;
};

}  // namespace

TEST(NxPageForms, ClassesAreFoundByNameWithoutRegardToCaseFirstRegisteredFirst) {
  EnsureUnitsStarted();
  EXPECT_EQ(FindPropSheetFormClass("ttestinfopage").Class(), ClassOf<TTestInfoPage>());
  EXPECT_EQ(FindPropSheetFormClass("TTESTOPTIONSPAGE").Class(), ClassOf<TTestOptionsPage>());
  EXPECT_FALSE(FindPropSheetFormClass("TTestUnregisteredPage"));
  EXPECT_FALSE(FindPropSheetFormClass(""));

  const size_t Before = RegisteredPropSheetForms().size();
  EXPECT_TRUE(RegisterPropSheetForm(TFormClass::Of<othercase::TTESTINFOPAGE>()));
  EXPECT_TRUE(RegisterPropSheetForm(TFormClass::Of<TTestInfoPage>()));
  EXPECT_EQ(RegisteredPropSheetForms().size(), Before + 2) << "a class registered twice stands twice";
  EXPECT_EQ(FindPropSheetFormClass("TTESTINFOPAGE").Class(), ClassOf<TTestInfoPage>()) << "the first one wins";
}

TEST(NxThemes, UxThemeIsCountedAndTheContextActivatesTheManifest) {
  EnsureUnitsStarted();
  const int Held = nx_detail::UxThemeRefCount();
  EXPECT_GE(Held, 1) << "the unit holds one reference";
  EXPECT_TRUE(LoadUxTheme());
  EXPECT_EQ(nx_detail::UxThemeRefCount(), Held + 1);
  EXPECT_NE(NxUxTheme().OpenThemeData, nullptr);
  EXPECT_NE(NxUxTheme().DrawThemeParentBackground, nullptr);
  UnloadUxTheme();
  EXPECT_EQ(nx_detail::UxThemeRefCount(), Held);
  EXPECT_NE(NxUxTheme().IsThemeActive, nullptr) << "still bound for the unit";

  EXPECT_FALSE(IsWindowsXPOrLater(5, 0));
  EXPECT_TRUE(IsWindowsXPOrLater(5, 1));
  EXPECT_TRUE(IsWindowsXPOrLater(6, 0));
  EXPECT_FALSE(IsWindowsXPOrLater(4, 90));

  EXPECT_NE(FindResourceA(ModuleInstance(), MAKEINTRESOURCEA(NxManifestResourceID), MAKEINTRESOURCEA(24)), nullptr);
  HANDLE Before = nullptr, Inside = nullptr, After = nullptr;
  GetCurrentActCtx(&Before);
  {
    TNxContext Context;
    EXPECT_TRUE(Context.Active());
    GetCurrentActCtx(&Inside);
    EXPECT_NE(Inside, Before);
    EXPECT_EQ(Inside, Context.Context());
  }
  GetCurrentActCtx(&After);
  EXPECT_EQ(After, Before);
  for (HANDLE H : {Before, Inside, After})
    if (H) ReleaseActCtx(H);
  TVersion Windows2000(5, 0);
  TNxContext Nothing;
  EXPECT_FALSE(Nothing.Active()) << "no manifest context before Windows 5.1";
}

TEST_F(NxPageForm, DrawXPBackgroundNeedsTheSwitchAnExtensionWithThemesAndWindowsXP) {
  auto* Form = TTestInfoPage::Create(Extension);
  EXPECT_TRUE(Form->StoredDrawXPBackground());
  EXPECT_TRUE(Form->DrawXPBackground());
  EXPECT_NE(Form->Theme(), nullptr) << "Wine's themes are active";
  EXPECT_EQ(Form->BorderStyle(), bsDialog) << "until a page embeds it";
  EXPECT_FALSE(Form->CloseQuery());
  Extension->SetActivateXPThemes(false);
  EXPECT_FALSE(Form->DrawXPBackground());
  Extension->SetActivateXPThemes(true);
  {
    TVersion Windows2000(5, 0);
    EXPECT_FALSE(Form->DrawXPBackground());
    auto* Old = TTestInfoPage::Create(Extension);
    EXPECT_EQ(Old->Theme(), nullptr) << "no theme is opened before Windows 5.1";
  }
  Form->SetDrawXPBackground(false);
  EXPECT_FALSE(Form->DrawXPBackground());

  TObjectPtr<TComponent> Plain(TComponent::Create(nullptr));
  auto* Stray = TTestInfoPage::Create(Plain.get());
  EXPECT_EQ(Stray->GetPropSheetExt(), nullptr);
  EXPECT_FALSE(Stray->DrawXPBackground()) << "no extension owns it";
  Stray->SetDesigning(true);
  EXPECT_TRUE(Stray->DrawXPBackground()) << "while designed: the stored flag";
  Stray->SetDesigning(false);
  Plain.reset();
}

TEST_F(NxPageForm, TheThemedFormPaintsTheTabBodyOtherwiseTheClassLibraryDoes) {
  auto* Form = TTestInfoPage::Create(Extension);  // with the real theme handle
  Form->SetBounds(0, 0, 300, 200);
  TFakeTheme Theme;
  TPixelDC Pixels(400, 300);
  EXPECT_EQ(SendMessageA(Form->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(Pixels.DC()), 0), 1);
  EXPECT_EQ(SendMessageA(Form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Pixels.DC()), PRF_CLIENT), 1);
  EXPECT_EQ(TThemeCalls::Log, (std::vector<std::string>{"background 10 0 0,0,300,200", "background 10 0 0,0,300,200"}))
      << "the tab body over the form's bounds, no clip rectangle";

  TThemeCalls::Log.clear();
  Extension->SetActivateXPThemes(false);
  const RECT All{0, 0, 400, 300};
  FillRect(Pixels.DC(), &All, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(SendMessageA(Form->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(Pixels.DC()), 0), 1);
  EXPECT_TRUE(TThemeCalls::Log.empty());
  EXPECT_EQ(Pixels.Pixel(10, 10), ColorToRGB(clBtnFace)) << "the class library filled it";
}

TEST_F(NxPageForm, SubclassedChildrenKeepTabAndPaintThemedStaticsUntilRestored) {
  auto* Info = TTestInfoPage::Create(Extension);
  auto* Options = TTestOptionsPage::Create(Extension);
  HWND Folder = Info->edtFolder->Handle();
  HWND First = Options->edtFirst->Handle();
  const LONG_PTR Original = GetWindowLongPtrA(First, GWLP_WNDPROC);
  const LRESULT Code = SendMessageA(First, WM_GETDLGCODE, 0, 0);
  const HBRUSH PlainBrush = reinterpret_cast<HBRUSH>(SendMessageA(Folder, CN_CTLCOLORSTATIC, 0, 0));

  SubclassChildControls(Info);
  SubclassChildControls(Options);
  SubclassChildControls(Options);  // twice does no harm
  EXPECT_EQ(GetWindowLongPtrA(First, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ChildControlWndProc));
  EXPECT_EQ(GetPropA(First, NxLastWndProcProp), reinterpret_cast<HANDLE>(Original));
  EXPECT_EQ(GetPropA(First, NxOwnerFormProp), static_cast<HANDLE>(static_cast<TCustomForm*>(Options)));
  EXPECT_FALSE(Info->Bevel->ControlStyle().Contains(csOpaque));
  for (int I = 0; I < Info->ComponentCount(); ++I) {
    if (auto* Control = dynamic_cast<TControl*>(Info->Components(I))) {
      EXPECT_FALSE(Control->ControlStyle().Contains(csOpaque)) << Control->Name();
    }
  }

  EXPECT_EQ(SendMessageA(First, WM_GETDLGCODE, 0, 0), Code | DLGC_WANTTAB);
  SendMessageA(First, WM_CHAR, '\t', 0);
  EXPECT_EQ(Options->edtFirst->Text(), "first") << "Tab typed is swallowed";
  SendMessageA(First, EM_SETSEL, 5, 5);
  SendMessageA(First, WM_CHAR, 'x', 0);
  EXPECT_EQ(Options->edtFirst->Text(), "firstx") << "other characters pass";

  EXPECT_EQ(SendMessageA(Folder, CN_CTLCOLORSTATIC, 0, 0), reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)))
      << "themed form, themes active";
  {
    TFakeTheme Theme;
    TPixelDC Pixels(10, 10);
    SendMessageA(Folder, CN_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(Pixels.DC()), reinterpret_cast<LPARAM>(Folder));
    EXPECT_EQ(TThemeCalls::Log, (std::vector<std::string>{"parent"})) << "the parent's background, no rectangle";
  }
  EXPECT_NE(SendMessageA(Options->edtEvents->Handle(), CN_CTLCOLORSTATIC, 0, 0),
            reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)))
      << "a form without DrawXPBackground leaves the colours to the control";
  Extension->SetActivateXPThemes(false);
  EXPECT_EQ(SendMessageA(Folder, CN_CTLCOLORSTATIC, 0, 0), reinterpret_cast<LRESULT>(PlainBrush));
  Extension->SetActivateXPThemes(true);

  // Someone subclassed after us: restoring leaves the chain (and our properties) alone.
  SetPropA(First, "NxTest_Previous",
           reinterpret_cast<HANDLE>(SetWindowLongPtrA(First, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc))));
  RestoreChildControls(Options);
  EXPECT_EQ(GetWindowLongPtrA(First, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ForeignProc));
  EXPECT_NE(GetPropA(First, NxLastWndProcProp), nullptr);
  EXPECT_EQ(SendMessageA(First, WM_GETDLGCODE, 0, 0), Code | DLGC_WANTTAB) << "the chain still works";
  SetWindowLongPtrA(First, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RemovePropA(First, "NxTest_Previous")));

  // A child that lost its property still answers, by default handling.
  HANDLE Saved = RemovePropA(Folder, NxLastWndProcProp);
  EXPECT_EQ(SendMessageA(Folder, WM_GETTEXTLENGTH, 0, 0), DefWindowProcA(Folder, WM_GETTEXTLENGTH, 0, 0));
  SetPropA(Folder, NxLastWndProcProp, Saved);

  RestoreChildControls(Options);
  RestoreChildControls(Info);
  EXPECT_EQ(GetWindowLongPtrA(First, GWLP_WNDPROC), Original);
  EXPECT_EQ(GetPropA(First, NxLastWndProcProp), nullptr);
  EXPECT_EQ(GetPropA(First, NxOwnerFormProp), nullptr);
  EXPECT_EQ(SendMessageA(First, WM_GETDLGCODE, 0, 0), Code);
}

TEST_F(NxPageForm, TabMovesAmongTheFormsOwnTabStopsAndStopsAtTheEnds) {
  auto* Options = TTestOptionsPage::Create(Extension);
  Options->SetBorderStyle(bsNone);
  Options->Show();
  SetForegroundWindow(Options->Handle());
  SubclassChildControls(Options);
  auto Active = [Options] { return Options->ActiveControl(); };

  Options->edtFirst->SetFocus();
  ASSERT_EQ(Active(), Options->edtFirst);
  EXPECT_EQ(PressTab(Options->edtFirst, false), 0);
  EXPECT_EQ(Active(), Options->chkSecond);
  PressTab(Options->chkSecond, false);
  EXPECT_EQ(Active(), Options->edtThird);
  PressTab(Options->edtThird, false);
  EXPECT_EQ(Active(), Options->edtThird) << "Tab on the last tab stop stays (edtEvents is none)";
  PressTab(Options->edtThird, true);
  EXPECT_EQ(Active(), Options->chkSecond);
  PressTab(Options->chkSecond, true);
  EXPECT_EQ(Active(), Options->edtFirst);
  PressTab(Options->edtFirst, true);
  EXPECT_EQ(Active(), Options->edtFirst) << "Shift+Tab on the first stays";
  RestoreChildControls(Options);

  // The script page's layout: edits that are no tab stops, inside a group box.
  auto* Info = TTestInfoPage::Create(Extension);
  Info->SetBorderStyle(bsNone);
  Info->Show();
  SetForegroundWindow(Info->Handle());
  SubclassChildControls(Info);
  Info->edtFolder->SetFocus();
  ASSERT_EQ(Info->ActiveControl(), Info->edtFolder);
  const std::string Text = Info->edtFolder->Text();
  EXPECT_EQ(PressTab(Info->edtFolder, false), 0);
  EXPECT_EQ(PressTab(Info->edtFolder, true), 0);
  EXPECT_EQ(Info->ActiveControl(), Info->edtFolder) << "nothing to move to: the key is swallowed";
  RestoreChildControls(Info);
}
