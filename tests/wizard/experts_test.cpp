// Experts (slots, registration, glyphs), HexToBin, and the binding of the IDE's core package.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "tests/wizard/WizardTestSupport.h"
#include "wizard/CB_Experts_NP.h"
#include "wizard/CB_LibIntf.h"

namespace {

std::string RaisedBy(void (*Action)()) {
  try {
    Action();
  } catch (const Exception& E) {
    return E.Message();
  }
  return "(nothing raised)";
}

TEST(HexToBin, DecodesPairsIgnoresAnOddTailAndStopsAtABadDigit) {
  EXPECT_EQ(HexToBin("0A1f"), std::string("\x0A\x1F", 2));
  EXPECT_EQ(HexToBin("0A1"), "\x0A");
  EXPECT_EQ(HexToBin("0AZ"), "\x0A");
  EXPECT_EQ(HexToBin(""), "");
  EXPECT_EQ(RaisedBy([] { HexToBin("0Z"); }), "\"Z\" not a hex digit");
  EXPECT_EQ(RaisedBy([] { HexToBin("00GZ"); }), "\"G\" not a hex digit");
}

// Experts against the real core-package fixture of the build tree.
class Experts : public ::testing::Test {
protected:
  static void SetUpTestSuite() { Services = LoadCorePackage(CORE_IDE70_BPL); }
  void SetUp() override {
    ASSERT_NE(Services, nullptr);
    IdeClearException();
  }
  static inline TExpertServices* Services = nullptr;
};

TEST_F(Experts, ABlankPageIsNewAndExecuteWithoutAHandlerDoesNothing) {
  auto* Expert = new TCBISimpleExpert;
  Expert->Page = "   ";
  EXPECT_STREQ(Expert->GetPage(), "New");
  Expert->Page = " x ";
  EXPECT_STREQ(Expert->GetPage(), " x ");
  EXPECT_EQ(Expert->GetGlyph(), nullptr);
  Expert->Execute();
  EXPECT_EQ(IdeLastException(), nullptr);
  Expert->Release();
}

TEST_F(Experts, ExecuteCallsTheHandlerAndReportsWhatItRaises) {
  struct TOwner {
    TCBIExpert* Sender = nullptr;
    void Run(TCBIExpert* S) {
      Sender = S;
      throw Exception("no project");
    }
  } Owner;
  auto* Expert = new TCBIAdvancedExpert;
  Expert->OnExecute = MakeEvent<&TOwner::Run>(&Owner);
  Expert->Execute();
  EXPECT_EQ(Owner.Sender, Expert);
  EXPECT_EQ(LastIdeException(), "no project");
  Expert->Release();
}

TEST_F(Experts, RegisterChecksTheNameAndAMenuExpertsMenuText) {
  auto* Unnamed = new TCBIAdvancedExpert;
  Unnamed->ExpertName = "  ";
  try {
    Unnamed->Register();
    ADD_FAILURE() << "registered without a name";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Expert \"TCBIAdvancedExpert\" : Invalid value of \"ExpertName\" property");
  }
  Unnamed->Release();

  auto* NoMenu = new TCBISimpleExpert;
  NoMenu->ExpertName = "Menu";
  try {
    NoMenu->Register();
    ADD_FAILURE() << "a menu expert registered without menu text";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Expert \"Menu\" : Invalid value of \"MenuText\" property");
  }
  NoMenu->Release();
  EXPECT_EQ(Services->ExpertCount(), 0);
}

TEST_F(Experts, RegisteredUntilTheLastRelease) {
  auto* Expert = new TCBIAdvancedExpert;  // a repository expert needs no menu text
  Expert->ExpertName = "Wizard";
  Expert->Register();
  ASSERT_EQ(Services->ExpertCount(), 1);
  EXPECT_EQ(Services->Expert(0), Expert) << "the IDE gets the expert itself, uncounted";
  EXPECT_STREQ(Services->Expert(0)->GetIDString(), "Wizard");
  Expert->AddRef();
  Expert->Release();
  EXPECT_EQ(Services->ExpertCount(), 1);
  Expert->Release();
  EXPECT_EQ(Services->ExpertCount(), 0);
}

TEST_F(Experts, EveryGlyphIsANewIconOfItsOwn) {
  auto* Expert = new TCBIAdvancedExpert;
  EXPECT_EQ(Expert->GetGlyph(), nullptr) << "an empty icon";
  Expert->Glyph->SetHandle(CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512) /*IDI_APPLICATION*/)));
  HICON First = Expert->GetGlyph();
  HICON Second = Expert->GetGlyph();
  ASSERT_NE(First, nullptr);
  ASSERT_NE(Second, nullptr);
  EXPECT_NE(First, Second);
  EXPECT_TRUE(DestroyIcon(First));
  ICONINFO Info{};
  ASSERT_TRUE(GetIconInfo(Second, &Info)) << "the second survives the first";
  BITMAP Mask{};
  GetObjectA(Info.hbmMask, sizeof Mask, &Mask);
  EXPECT_EQ(Mask.bmWidth, 32);
  DeleteObject(Info.hbmMask);
  if (Info.hbmColor) DeleteObject(Info.hbmColor);
  DestroyIcon(Second);
  Expert->Release();
}

// ---- The binding, through a loader the test plays --------------------------------------------

struct TFakeCore {
  static inline int Loads = 0;
  static inline bool HasLibrary = true, HasVariable = true;
  static inline TExpertServices* VariableValue = nullptr;
  static inline std::vector<TIExpert*> Added, Removed;
  static inline int Object = 0;

  static void Reset(bool Library, bool Variable, bool VariableHoldsObject) {
    Loads = 0;
    HasLibrary = Library;
    HasVariable = Variable;
    VariableValue = VariableHoldsObject ? reinterpret_cast<TExpertServices*>(&Object) : nullptr;
    Added.clear();
    Removed.clear();
  }
  static HMODULE WINAPI Load(LPCSTR) {
    ++Loads;
    return HasLibrary ? GetModuleHandleA(nullptr) : nullptr;
  }
  static FARPROC WINAPI Resolve(HMODULE, LPCSTR Name) {
    if (std::strcmp(Name, kCoreIdeExpertServices) == 0)
      return HasVariable ? reinterpret_cast<FARPROC>(&VariableValue) : nullptr;
    if (std::strcmp(Name, kCoreIdeAddExpert) == 0) return reinterpret_cast<FARPROC>(&Add);
    if (std::strcmp(Name, kCoreIdeRemoveExpert) == 0) return reinterpret_cast<FARPROC>(&Remove);
    return nullptr;
  }
  static void IDE_REGISTER Add(TExpertServices* Self, TIExpert* Expert) {
    if (Self == VariableValue) Added.push_back(Expert);
  }
  static void IDE_REGISTER Remove(TExpertServices* Self, TIExpert* Expert) {
    if (Self == VariableValue) Removed.push_back(Expert);
  }
};

TIExpert* SomeExpert(int N) { return reinterpret_cast<TIExpert*>(static_cast<uintptr_t>(0x1000 + N)); }

TEST(ExpertServicesBinding, TenExpertsBindOnceAndRemovalNeverBinds) {
  TFakeCore::Reset(true, true, true);
  TExpertServicesBinding Binding("CoreIde70.bpl", &TFakeCore::Load, &TFakeCore::Resolve);
  Binding.RemoveExpert(SomeExpert(0));
  EXPECT_FALSE(Binding.Bound());
  EXPECT_EQ(TFakeCore::Loads, 0);
  for (int N = 1; N <= 10; ++N) Binding.AddExpert(SomeExpert(N));
  EXPECT_EQ(TFakeCore::Loads, 1);
  EXPECT_EQ(TFakeCore::Added.size(), 10u);
  Binding.RemoveExpert(SomeExpert(3));
  EXPECT_EQ(TFakeCore::Removed, std::vector<TIExpert*>{SomeExpert(3)});
}

TEST(ExpertServicesBinding, WithoutTheLibraryItsVariableOrAnObjectNothingReachesTheIde) {
  const bool Setups[][3] = {{false, true, true}, {true, false, true}, {true, true, false}};
  for (const auto& Setup : Setups) {
    TFakeCore::Reset(Setup[0], Setup[1], Setup[2]);
    TExpertServicesBinding Binding("CoreIde70.bpl", &TFakeCore::Load, &TFakeCore::Resolve);
    Binding.AddExpert(SomeExpert(1));
    Binding.AddExpert(SomeExpert(2));
    Binding.RemoveExpert(SomeExpert(1));
    EXPECT_TRUE(Binding.Bound());
    EXPECT_EQ(TFakeCore::Loads, 1) << "the binding is made once, also when it failed";
    EXPECT_EQ(Binding.Services(), nullptr);
    EXPECT_TRUE(TFakeCore::Added.empty());
    EXPECT_TRUE(TFakeCore::Removed.empty());
  }
}

}  // namespace
