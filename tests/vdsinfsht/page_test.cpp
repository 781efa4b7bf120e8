// The "Script Info" page as the shell meets it: VDSInfSht.dll loaded into this program, its page
// built through IShellExtInit and IShellPropSheetExt and shown in a modeless property sheet, with
// the stand-in compiler installed below a private product folder (App Paths: prefix_global).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/vdsinfsht/PageHarness.h"
#include "tests/vdsinfsht/VdsTestSupport.h"
#include "tests/vdsinfsht/Watchdog.h"

namespace {

const std::vector<std::string> kHello = {"Ann Author", "1.2.3", "Says hello", "Hello World", "Prints a greeting"};
const std::vector<std::string> kEmpty(5);

std::string Lines(const std::vector<std::string>& T, const std::string& Knobs = std::string()) {
  return ScriptLines(T[0], T[1], T[2], T[3], T[4], Knobs);
}

bool CompilerLoaded() { return GetModuleHandleA("VDSCmplr.dll") != nullptr; }

class ScriptInfoPage : public ::testing::Test {
protected:
  void SetUp() override {
    AppPathsGuard::Set(product_.ExePath());
    ASSERT_TRUE(server_.Loaded());
  }
  void TearDown() override {
    ScriptSheet::Pump();
    EXPECT_EQ(server_.CanUnloadNow(), S_OK) << "objects or locks left once every sheet is gone";
  }

  PageView Show(const std::vector<std::string>& Files) {
    ScriptSheet sheet(server_, Files);
    EXPECT_EQ(sheet.PageCount(), 1);
    EXPECT_NE(sheet.Form(), nullptr) << "no page form inside the page";
    EXPECT_FALSE(CompilerLoaded()) << "the compiler library outlives the page's creation";
    return sheet.Read();
  }

  Watchdog watchdog_{60000, "script info page test"};
  ApartmentThread com_;
  AppPathsGuard appPaths_;
  ProductFolder product_{VDSCMPLR_DLL};
  ScriptInfoServer server_{WindowsPathOfUnix(VDSINFSHT_DLL)};
};

TEST_F(ScriptInfoPage, ShowsTheFileNameAndTheFiveTextsInReadOnlyFieldsWithoutTabStops) {
  std::string script = product_.Script("hello.vds", Lines(kHello));
  PageView view = Show({script});
  EXPECT_EQ(view.Tab, "Script Info");
  EXPECT_LT(view.TabImage, 0) << "the tab has no icon";
  EXPECT_EQ(view.Group, "hello.vds");
  EXPECT_EQ(view.Fields, kHello);
  ASSERT_EQ(view.FieldStyles.size(), 5u);
  for (LONG style : view.FieldStyles) {
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_FALSE(style & WS_TABSTOP);
  }
}

TEST_F(ScriptInfoPage, GroupBoxFillsThePageAndTheFieldsFollowItsWidth) {
  std::string script = product_.Script("hello.vds", Lines(kHello));
  ScriptSheet sheet(server_, {script});
  HWND page = sheet.Page();
  ASSERT_NE(page, nullptr);
  auto check = [&](const char* when) {
    PageView view = sheet.Read();
    SCOPED_TRACE(when);
    const RECT& g = view.GroupRect;
    EXPECT_EQ(view.FormClient.right, [&] { RECT r; GetClientRect(page, &r); return r.right; }())
        << "the form fills the page";
    EXPECT_EQ(g.left, 5);
    EXPECT_EQ(g.right - g.left, view.FormClient.right - 10);
    EXPECT_EQ(g.bottom, view.FormClient.bottom - 5);
    ASSERT_EQ(view.FieldRects.size(), 5u);
    for (const RECT& f : view.FieldRects) EXPECT_EQ(f.right - f.left, (g.right - g.left) - f.left - 15);
    // The fields keep their left edge and their order.
    for (size_t i = 1; i < view.FieldRects.size(); ++i) {
      EXPECT_EQ(view.FieldRects[i].left, view.FieldRects[0].left);
      EXPECT_GT(view.FieldRects[i].top, view.FieldRects[i - 1].top);
    }
  };
  check("as the sheet made the page");
  RECT r;
  GetWindowRect(page, &r);
  SetWindowPos(page, nullptr, 0, 0, (r.right - r.left) + 60, (r.bottom - r.top) + 40, SWP_NOMOVE | SWP_NOZORDER);
  ScriptSheet::Pump();
  check("page made wider and taller");
  SetWindowPos(page, nullptr, 0, 0, 40, 30, SWP_NOMOVE | SWP_NOZORDER);
  ScriptSheet::Pump();
  PageView tiny = sheet.Read();
  EXPECT_GE(tiny.GroupRect.right - tiny.GroupRect.left, 0);
  for (const RECT& f : tiny.FieldRects) EXPECT_GE(f.right - f.left, 0) << "a tiny page gives no negative widths";
}

TEST_F(ScriptInfoPage, AFolderFirstLeavesThePageBlankUnderBevel) {
  std::string script = product_.Script("hello.vds", Lines(kHello));
  PageView view = Show({product_.Folder("Scripts"), script});
  EXPECT_EQ(view.Group, "Bevel");
  EXPECT_EQ(view.Fields, kEmpty);
}

TEST_F(ScriptInfoPage, MissingCompilerExportOrInstallLeavesTheFieldsEmpty) {
  std::string script = product_.Script("hello.vds", Lines(kHello));
  {
    SCOPED_TRACE("library without VDGetScriptInfo");
    ASSERT_TRUE(CopyFileA(WindowsPathOfUnix(NO_EXPORT_DLL).c_str(), product_.CompilerPath().c_str(), FALSE));
    PageView view = Show({script});
    EXPECT_EQ(view.Group, "hello.vds");
    EXPECT_EQ(view.Fields, kEmpty);
  }
  {
    SCOPED_TRACE("no compiler library");
    ASSERT_TRUE(DeleteFileA(product_.CompilerPath().c_str()));
    PageView view = Show({script});
    EXPECT_EQ(view.Group, "hello.vds");
    EXPECT_EQ(view.Fields, kEmpty);
  }
  {
    SCOPED_TRACE("product not installed");
    ASSERT_TRUE(CopyFileA(WindowsPathOfUnix(VDSCMPLR_DLL).c_str(), product_.CompilerPath().c_str(), FALSE));
    AppPathsGuard::Remove();
    PageView view = Show({script});
    EXPECT_EQ(view.Group, "hello.vds");
    EXPECT_EQ(view.Fields, kEmpty);
  }
}

TEST_F(ScriptInfoPage, EachPageShowsWhatItsOwnCallDelivered) {
  // The first compiler call delivers texts; the second answers True without any code-24 report.
  std::string first = product_.Script("first.vds", Lines(kHello));
  std::string second = product_.Script("second.vds", Lines(kHello, "@Codes=7\r\n"));
  std::string third = product_.Script("third.vds", Lines(kHello, "@Result=0\r\n"));
  EXPECT_EQ(Show({first}).Fields, kHello);
  EXPECT_EQ(Show({second}).Fields, kEmpty);
  EXPECT_EQ(Show({third}).Fields, kEmpty);
}

TEST_F(ScriptInfoPage, TwoSheetsOnTwoThreadsAtOnceEachShowTheirOwnFile) {
  const std::vector<std::string> other = {"Bo Writer", "9", "Other", "Other Script", "Something else"};
  std::string first = product_.Script("first.vds", Lines(kHello, "@SleepMs=200\r\n"));
  std::string second = product_.Script("second.vds", Lines(other, "@SleepMs=200\r\n"));
  PageView a, b;
  auto show = [this](const std::string& File, PageView& View) {
    ApartmentThread com;
    ScriptSheet sheet(server_, {File});
    View = sheet.Read();
  };
  std::thread ta(show, first, std::ref(a));
  std::thread tb(show, second, std::ref(b));
  ta.join();
  tb.join();
  EXPECT_EQ(a.Group, "first.vds");
  EXPECT_EQ(a.Fields, kHello);
  EXPECT_EQ(b.Group, "second.vds");
  EXPECT_EQ(b.Fields, other);
  EXPECT_FALSE(CompilerLoaded());
}

}  // namespace
