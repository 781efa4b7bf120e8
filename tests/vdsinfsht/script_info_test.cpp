// The call into the script compiler, against the stand-in compiler.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/vdsinfsht/VdsTestSupport.h"
#include "vdsinfsht/ScriptInfo.h"

namespace {

const TScriptInfo kHello = {"Ann Author", "1.2.3", "Says hello", "Hello World", "Prints a greeting"};

std::string HelloLines(const std::string& Knobs = std::string()) {
  return ScriptLines(kHello.Author, kHello.Version, kHello.Comments, kHello.DisplayName, kHello.Description, Knobs);
}

bool CompilerLoaded() { return GetModuleHandleA("VDSCmplr.dll") != nullptr; }

class ScriptInfoTest : public ::testing::Test {
protected:
  TScriptInfo Ask(const std::string& Script, bool Expected = true) {
    TScriptInfo info;
    info.Author = "untouched";
    EXPECT_EQ(GetScriptInfo(product_.CompilerPath(), Script, info), Expected);
    EXPECT_FALSE(CompilerLoaded()) << "the compiler library stays loaded after the call";
    return info;
  }
  ProductFolder product_{VDSCMPLR_DLL};
};

TEST_F(ScriptInfoTest, TheFiveTextsOfTheScriptInTheirOrder) {
  EXPECT_EQ(Ask(product_.Script("hello.vds", HelloLines())), kHello);
}

TEST_F(ScriptInfoTest, OnlyCodeTwentyFourReportsAndTheLastOneWins) {
  // Other codes carry decoy texts, earlier code-24 reports carry " (early)".
  EXPECT_EQ(Ask(product_.Script("a.vds", HelloLines("@Codes=24,7,24\r\n"))), kHello);
  EXPECT_EQ(Ask(product_.Script("b.vds", HelloLines("@Codes=7,24,3\r\n"))), kHello);
  // True without any code-24 report: empty fields, not the texts of the call before.
  EXPECT_EQ(Ask(product_.Script("c.vds", HelloLines("@Codes=7\r\n"))), TScriptInfo{});
  EXPECT_EQ(Ask(product_.Script("d.vds", HelloLines("@Codes=\r\n"))), TScriptInfo{});
}

TEST_F(ScriptInfoTest, NilTextsBecomeEmptyFields) {
  TScriptInfo info = Ask(product_.Script("n.vds", HelloLines("@Null=Author,Comments,Description\r\n")));
  EXPECT_EQ(info, (TScriptInfo{"", kHello.Version, "", kHello.DisplayName, ""}));
}

TEST_F(ScriptInfoTest, FalseAnswersLeaveTheInfoAlone) {
  // The stand-in leaves garbage in the upper bytes of its answer: only the low byte counts.
  EXPECT_EQ(Ask(product_.Script("f.vds", HelloLines("@Result=0\r\n")), false).Author, "untouched");
  // A file the compiler cannot read.
  EXPECT_EQ(Ask(product_.InstallDir() + "Scripts\\missing.vds", false).Author, "untouched");
}

TEST_F(ScriptInfoTest, MissingLibraryOrExportLoadsNothingAndAnswersFalse) {
  TScriptInfo info;
  std::string script = product_.Script("hello.vds", HelloLines());
  EXPECT_FALSE(GetScriptInfo("", script, info));
  EXPECT_FALSE(GetScriptInfo(product_.InstallDir() + "Data\\Lib\\Nothing.dll", script, info));
  std::string other = WindowsPathOfUnix(NO_EXPORT_DLL);
  EXPECT_FALSE(GetScriptInfo(other, script, info));
  EXPECT_EQ(GetModuleHandleA(other.c_str()), nullptr) << "a library without the export stays loaded";
  EXPECT_EQ(info, TScriptInfo{});
}

TEST_F(ScriptInfoTest, ConcurrentCallersEachGetTheirOwnTexts) {
  // The compiler sleeps inside the call, after its report: unguarded, the second call's report
  // would overwrite the first one's before it is read.
  const TScriptInfo other = {"Bo Writer", "9", "Other", "Other Script", "Something else"};
  std::string first = product_.Script("first.vds", HelloLines("@SleepMs=200\r\n"));
  std::string second = product_.Script(
      "second.vds",
      ScriptLines(other.Author, other.Version, other.Comments, other.DisplayName, other.Description, "@SleepMs=200\r\n"));
  TScriptInfo a, b;
  bool okA = false, okB = false;
  std::thread ta([&] { okA = GetScriptInfo(product_.CompilerPath(), first, a); });
  std::thread tb([&] { okB = GetScriptInfo(product_.CompilerPath(), second, b); });
  ta.join();
  tb.join();
  EXPECT_TRUE(okA && okB);
  EXPECT_EQ(a, kHello);
  EXPECT_EQ(b, other);
  EXPECT_FALSE(CompilerLoaded());
}

TEST(CompilerLibPath, FoundBelowTheInstallDirectoryOnly) {
  ProductFolder product(VDSCMPLR_DLL);
  EXPECT_EQ(CompilerLibPathIn(product.InstallDir()), product.CompilerPath());
  std::string withoutBackslash = product.InstallDir().substr(0, product.InstallDir().size() - 1);
  EXPECT_EQ(CompilerLibPathIn(withoutBackslash), product.CompilerPath());
  DeleteFileA(product.CompilerPath().c_str());
  EXPECT_EQ(CompilerLibPathIn(product.InstallDir()), "");
}

// Touches the App Paths entry and C:\Data: the test program holds the prefix_global lock.
TEST(CompilerLibPath, FollowsTheAppPathsEntryAndNeverTheDriveRoot) {
  AppPathsGuard guard;
  ProductFolder product(VDSCMPLR_DLL);
  AppPathsGuard::Set(product.ExePath());
  EXPECT_EQ(GetCompilerLibPath(), product.CompilerPath());

  // A compiler planted at the current drive's root must not be taken for the product's.
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  std::string planted = std::string(cwd, 2) + "\\Data\\Lib\\VDSCmplr.dll";
  bool weCreate = GetFileAttributesA(planted.c_str()) == INVALID_FILE_ATTRIBUTES;
  if (weCreate) {
    CreateDirectoryA((std::string(cwd, 2) + "\\Data").c_str(), nullptr);
    CreateDirectoryA((std::string(cwd, 2) + "\\Data\\Lib").c_str(), nullptr);
    CopyFileA(product.CompilerPath().c_str(), planted.c_str(), FALSE);
  }
  ASSERT_NE(GetFileAttributesA(planted.c_str()), INVALID_FILE_ATTRIBUTES);
  AppPathsGuard::Remove();
  EXPECT_EQ(GetCompilerLibPath(), "") << "not installed";
  AppPathsGuard::Set("");
  EXPECT_EQ(GetCompilerLibPath(), "") << "empty App Paths value";
  if (weCreate) {
    DeleteFileA(planted.c_str());
    RemoveDirectoryA((std::string(cwd, 2) + "\\Data\\Lib").c_str());
    RemoveDirectoryA((std::string(cwd, 2) + "\\Data").c_str());
  }
}

}  // namespace
