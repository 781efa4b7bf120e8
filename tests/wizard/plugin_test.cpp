// The three plug-in libraries as the IDE loads them (this program plays the IDE, with both core
// packages loaded): the one export, nothing at load, the five experts of InitExperts, and their
// removal when the library is freed.
#include <windows.h>

#include <gtest/gtest.h>

#include "classlib/SysUtils.h"
#include "tests/wizard/WizardTestSupport.h"

namespace {

// The names the library exports (read from its export directory).
std::vector<std::string> ExportNames(HMODULE Module) {
  auto* Base = reinterpret_cast<const uint8_t*>(Module);
  auto* Dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(Base);
  auto* Nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(Base + Dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& Dir = Nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::vector<std::string> Names;
  if (!Dir.VirtualAddress) return Names;
  auto* Exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(Base + Dir.VirtualAddress);
  auto* NameRvas = reinterpret_cast<const DWORD*>(Base + Exports->AddressOfNames);
  for (DWORD I = 0; I < Exports->NumberOfNames; ++I) Names.push_back(reinterpret_cast<const char*>(Base + NameRvas[I]));
  EXPECT_EQ(Exports->NumberOfFunctions, Exports->NumberOfNames) << "nothing exported by ordinal only";
  return Names;
}

DWORD WINAPI ReturnSeven(LPVOID) { return 7; }

struct TBuildCase {
  const char* Path;
  TExpertServices** Core;  // the core package the build binds
};

class Plugin : public ::testing::TestWithParam<int> {
protected:
  static void SetUpTestSuite() {
    Core70 = LoadCorePackage(CORE_IDE70_BPL);
    Core60 = LoadCorePackage(CORE_IDE60_BPL);
  }
  static inline TExpertServices* Core70 = nullptr;
  static inline TExpertServices* Core60 = nullptr;
  static const TBuildCase& Build(int Index) {
    static const TBuildCase Builds[] = {{PLUGIN_D7, &Core70}, {PLUGIN_D6, &Core60}, {PLUGIN_C6, &Core60}};
    return Builds[Index];
  }
};

TEST_P(Plugin, InitExpertsGivesTheFiveExpertsOnceAndUnloadingTakesThemBack) {
  const TBuildCase& Case = Build(GetParam());
  ASSERT_NE(Core70, nullptr);
  ASSERT_NE(Core60, nullptr);
  TExpertServices* Core = *Case.Core;
  TExpertServices* Other = Core == Core70 ? Core60 : Core70;
  IdeClearException();

  HMODULE Library = LoadLibraryA(WindowsPathOfUnix(Case.Path).c_str());
  ASSERT_NE(Library, nullptr) << Case.Path;
  EXPECT_EQ(ExportNames(Library), std::vector<std::string>{"InitExperts"});
  EXPECT_EQ(Core->ExpertCount(), 0) << "loading registers nothing";
  EXPECT_EQ(IdeEditorRegistrationCount(), 0);

  using TInitExperts = void(WINAPI*)();
  auto InitExperts = reinterpret_cast<TInitExperts>(GetProcAddress(Library, "InitExperts"));
  ASSERT_NE(InitExperts, nullptr);
  InitExperts();
  const int32_t Rows = IdeEditorRegistrationCount();
  EXPECT_GT(Rows, 0);
  InitExperts();  // a second call registers nothing twice
  EXPECT_EQ(IdeEditorRegistrationCount(), Rows);
  EXPECT_EQ(IdeLastException(), nullptr);
  EXPECT_EQ(ExpertNames(Core), kWizardExpertNames);
  EXPECT_EQ(Other->ExpertCount(), 0) << "only the build's own core package is bound";

  // A thread that comes and goes while the library is loaded.
  HANDLE Thread = CreateThread(nullptr, 0, &ReturnSeven, nullptr, 0, nullptr);
  ASSERT_NE(Thread, nullptr);
  WaitForSingleObject(Thread, INFINITE);
  DWORD Code = 0;
  GetExitCodeThread(Thread, &Code);
  CloseHandle(Thread);
  EXPECT_EQ(Code, 7u);

  EXPECT_TRUE(IdeUnloadLibrary(Library));
  EXPECT_EQ(GetModuleHandleA(ExtractFileName(WindowsPathOfUnix(Case.Path)).c_str()), nullptr) << "freed";
  EXPECT_EQ(Core->ExpertCount(), 0) << "the unload takes every expert back";
  EXPECT_EQ(IdeEditorRegistrationCount(), 0) << "no row may point into the freed library";
  EXPECT_EQ(IdeLastException(), nullptr);
}

std::string BuildName(const ::testing::TestParamInfo<int>& Info) {
  static const char* const Names[] = {"D7", "D6", "C6"};
  return Names[Info.param];
}
INSTANTIATE_TEST_SUITE_P(Builds, Plugin, ::testing::Values(0, 1, 2), BuildName);

}  // namespace
