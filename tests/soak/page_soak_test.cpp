// The "Script Info" page opened and closed 1,000 times in one process, as the shell does it:
// object, Initialize with the file, AddPages, a property sheet, the five fields read, sheet
// destroyed, object released. After a warm-up nothing may grow: heap blocks (beyond the system's
// slack), handles of any type, threads. Measured both ways: the page loading and freeing the
// script compiler for every page (the product's road), and with the compiler held loaded.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ProcessResources.h"
#include "tests/vdsinfsht/PageHarness.h"
#include "tests/vdsinfsht/VdsTestSupport.h"
#include "tests/vdsinfsht/Watchdog.h"

namespace {

constexpr int kWarmUp = 10;
constexpr size_t kHeapSlack = 24;

class PageSoak : public ::testing::Test {
protected:
  void SetUp() override {
    AppPathsGuard::Set(product_.ExePath());
    ASSERT_TRUE(server_.Loaded());
    script_ = product_.Script("soak.vds", ScriptLines("Ann", "1.0", "Soak", "Soak Test", "Pages again and again"));
  }

  void Cycle() {
    ScriptSheet Sheet(server_, {script_}, 0);
    ASSERT_EQ(Sheet.PageCount(), 1);
    const PageView View = Sheet.Read();
    ASSERT_EQ(View.Fields.size(), 5u);
    ASSERT_EQ(View.Fields[0], "Ann");
  }

  // The growth over Cycles page cycles after the warm-up; empty when nothing grew.
  std::string Growth(int Cycles) {
    for (int I = 0; I < kWarmUp; ++I) Cycle();
    ScriptSheet::Pump(0);
    const TProcessResources Before = TProcessResources::Now();
    for (int I = 0; I < Cycles && !HasFatalFailure(); ++I) Cycle();
    ScriptSheet::Pump(0);
    EXPECT_EQ(server_.CanUnloadNow(), S_OK);
    return TProcessResources::Growth(Before, TProcessResources::Now(), kHeapSlack);
  }

  Watchdog watchdog_{300000, "page soak test"};
  ApartmentThread com_;
  AppPathsGuard appPaths_;
  ProductFolder product_{VDSCMPLR_DLL};
  ScriptInfoServer server_{WindowsPathOfUnix(VDSINFSHT_DLL)};
  std::string script_;
};

TEST_F(PageSoak, AThousandPagesEachLoadingTheCompilerLeaveNothingBehind) {
  EXPECT_EQ(Growth(1000), "");
  EXPECT_EQ(GetModuleHandleA("VDSCmplr.dll"), nullptr);
}

TEST_F(PageSoak, PagesWithTheCompilerHeldLoadedLeaveNothingBehind) {
  HMODULE Compiler = LoadLibraryA(product_.CompilerPath().c_str());
  ASSERT_NE(Compiler, nullptr);
  EXPECT_EQ(Growth(100), "");
  FreeLibrary(Compiler);
}

}  // namespace
