// The repository wizards in this process, against the stand-in IDE and the core-package fixture:
// the units they write in the Pascal and the C++ IDE (byte for byte), their experts, the templates'
// bytes, the shell-view version flag, and the header requests.
#include <windows.h>

#include <gtest/gtest.h>

#include "classlib/Streams.h"
#include "tests/wizard/WizardTestSupport.h"
#include "wizard/Nx_Expert_NxAboutModule_NP.h"
#include "wizard/Nx_Expert_NxDataModule_NP.h"
#include "wizard/Nx_Expert_NxPermanentModule_NP.h"
#include "wizard/Nx_Expert_NxPropSheetForm_NP.h"
#include "wizard/Nx_Expert_NxShellViewForm_NP.h"
#include "wizard/Nx_IsBuilder.h"

namespace {

using THolder = TObjectPtr<TNxWizardExpertModule>;

THolder MakeHolder(const std::string& Ancestor, const TBuildProfile& Build = kBuildD7) {
  if (Ancestor == "NxModule") return THolder(TNxDataModuleExpertModule::Create());
  if (Ancestor == "NxPermanentModule") return THolder(TNxPermanentModuleExpertModule::Create());
  if (Ancestor == "NxShellViewForm") return THolder(TNxShellViewFormExpertModule::Create(Build));
  return THolder(TNxPropSheetFormExpertModule::Create());
}

void UseHost(bool CppIde) {
  SetHostProgramPath(CppIde ? "C:\\IDE\\bcb.exe" : "");
  UpdateUnitExtension();
}

std::string Replaced(std::string Text, const std::string& From, const std::string& To) {
  for (size_t At = Text.find(From); At != std::string::npos; At = Text.find(From, At + To.size()))
    Text.replace(At, From.size(), To);
  return Text;
}

class Holders : public ::testing::Test {
protected:
  static void SetUpTestSuite() { Services = LoadCorePackage(CORE_IDE70_BPL); }
  void SetUp() override {
    ASSERT_NE(Services, nullptr);
    UseHost(false);
  }
  void TearDown() override { UseHost(false); }
  static inline TExpertServices* Services = nullptr;
};

// A project folder that holds Unit1.<ext> and Unit2.dfm, open in the stand-in IDE of that language.
struct TProject {
  TempTree Folder;
  ScopedStandInIde Ide;
  explicit TProject(bool CppIde) {
    Folder.File(CppIde ? "Unit1.cpp" : "Unit1.pas");
    Folder.File("Unit2.dfm");
    Ide.SetCppIde(CppIde);
    Ide.OpenProject(Folder.Path(CppIde ? "Project1.bpr" : "Project1.dpr"));
    UseHost(CppIde);
  }
};

TEST_F(Holders, EachWizardWritesItsUnitsByteForByteInBothIdes) {
  for (const TWizardCase& Case : kWizardCases) {
    for (bool CppIde : {false, true}) {
      SCOPED_TRACE(std::string(Case.Ancestor) + (CppIde ? " in the C++ IDE" : " in the Pascal IDE"));
      TProject Project(CppIde);
      THolder Holder = MakeHolder(Case.Ancestor);
      Holder->Expert->Execute();
      EXPECT_EQ(LastIdeException(), "");
      const std::vector<std::string> Expected =
          CppIde ? std::vector<std::string>{Project.Folder.Path("Unit3.cpp"), Project.Folder.Path("Unit3.h")}
                 : std::vector<std::string>{Project.Folder.Path("Unit3.pas")};
      ASSERT_EQ(Project.Ide.Written(), Expected);
      for (const std::string& File : Expected)
        EXPECT_EQ(ReadBytes(File), Golden(Case.Ancestor, ExtractFileExt(File))) << File;
      EXPECT_EQ(Holder->UnitIdent, "Unit3");
      EXPECT_EQ(Holder->FormIdent, std::string(Case.Ancestor) + "1");
    }
  }
}

TEST_F(Holders, EachWizardRegistersItsExpertWithItsTextsAndIcon) {
  const struct {
    const char* Ancestor;
    const char* Comment;
    size_t IconBytes;
    uint16_t IconBits;
  } Cases[] = {{"NxModule", "Creates new ShellExtension Data Module ", 766, 4},
               {"NxPermanentModule", "Creates new ShellExtension Permanent Module ", 2238, 8},
               {"NxShellViewForm", "Creates new ShellView Form", 766, 4},
               {"NxShellPropSheetForm", "Creates new PropetySheet Form ", 766, 4}};
  for (size_t I = 0; I < std::size(Cases); ++I) {
    SCOPED_TRACE(Cases[I].Ancestor);
    THolder Holder = MakeHolder(Cases[I].Ancestor);
    ASSERT_EQ(Services->ExpertCount(), 1);
    TIExpert* Expert = Services->Expert(0);
    EXPECT_STREQ(Expert->GetIDString(), kWizardCases[I].ExpertName);
    EXPECT_STREQ(Expert->GetName(), kWizardCases[I].ExpertName);
    EXPECT_STREQ(Expert->GetAuthor(), "Corvel & Brannoch");
    EXPECT_STREQ(Expert->GetComment(), Cases[I].Comment);
    EXPECT_STREQ(Expert->GetPage(), "Shell Extensions");
    EXPECT_EQ(Expert->GetStyle(), esRepository);
    EXPECT_EQ(Expert->GetState(), 0);
    EXPECT_EQ(Holder->Creator->CreateFlags, 447);
    EXPECT_EQ(Holder->Creator->AncestorName, Cases[I].Ancestor);
    // The icon file as decoded: one 32 x 32 image behind the 22-byte directory.
    TStringStream File;
    Holder->Expert->Glyph->SaveToStream(File);
    const std::string& Ico = File.DataString();
    ASSERT_EQ(Ico.size(), Cases[I].IconBytes);
    auto Word = [&](size_t At) { return static_cast<uint16_t>(uint8_t(Ico[At]) | uint8_t(Ico[At + 1]) << 8); };
    EXPECT_EQ(Word(0), 0);
    EXPECT_EQ(Word(2), 1);
    EXPECT_EQ(Word(4), 1);
    EXPECT_EQ(uint8_t(Ico[6]), 32);
    EXPECT_EQ(Word(12), Cases[I].IconBits);
    EXPECT_EQ(Word(18), 22);
    HICON Glyph = Expert->GetGlyph();
    ASSERT_NE(Glyph, nullptr);
    DestroyIcon(Glyph);
    Holder.reset();
    EXPECT_EQ(Services->ExpertCount(), 0) << "freeing the holder takes its expert out of the IDE";
  }
}

TEST_F(Holders, TheAboutEntryIsAnEnabledMenuExpertThatDoesNothing) {
  TObjectPtr<TNxAboutModuleExpertModule> About(TNxAboutModuleExpertModule::Create());
  ASSERT_EQ(Services->ExpertCount(), 1);
  TIExpert* Expert = Services->Expert(0);
  EXPECT_STREQ(Expert->GetIDString(), "NxAboutExpert");
  EXPECT_STREQ(Expert->GetMenuText(), "About &Nacre+");
  EXPECT_STREQ(Expert->GetPage(), "New");
  EXPECT_EQ(Expert->GetStyle(), esMenu);
  EXPECT_EQ(Expert->GetState(), esEnabled);
  EXPECT_EQ(Expert->GetGlyph(), nullptr);
  ScopedStandInIde Ide;
  Expert->Execute();
  EXPECT_TRUE(Ide.Written().empty());
  EXPECT_EQ(IdeLastException(), nullptr);
  About.reset();
  EXPECT_EQ(Services->ExpertCount(), 0);
}

TEST_F(Holders, TheTemplatesKeepTheirBytesAndNameTwoParameters) {
  // Lines and bytes of the Pascal, C++ and header templates.
  const struct {
    const char* Ancestor;
    int Lines[3];
    size_t Bytes[3];
  } Sizes[] = {{"NxModule", {45, 32, 35}, {470, 686, 894}},
               {"NxPermanentModule", {41, 32, 32}, {464, 632, 801}},
               {"NxShellViewForm", {42, 32, 33}, {597, 627, 802}},
               {"NxShellPropSheetForm", {42, 35, 29}, {448, 736, 828}}};
  for (const auto& Size : Sizes) {
    THolder Holder = MakeHolder(Size.Ancestor);
    TCBMacroText* Templates[] = {Holder->PascalTemplate, Holder->CppTemplate, Holder->HeaderTemplate};
    for (int T = 0; T < 3; ++T) {
      SCOPED_TRACE(std::string(Size.Ancestor) + " template " + std::to_string(T));
      EXPECT_EQ(Templates[T]->Source()->Count(), Size.Lines[T]);
      EXPECT_EQ(Templates[T]->Source()->Text().size(), Size.Bytes[T]);
      ASSERT_EQ(Templates[T]->Params()->Count(), 2);
      EXPECT_EQ(Templates[T]->Params()->Items(0)->Name(), "UnitName");
      EXPECT_EQ(Templates[T]->Params()->Items(1)->Name(), "FormName");
    }
  }
}

TEST_F(Holders, TheShellViewUnitNamesVariantsOnceWithEitherVersionFlag) {
  THolder Holder = MakeHolder("NxShellViewForm");
  TCBMacroText* Pascal = Holder->PascalTemplate;
  auto VariantsLines = [&](std::initializer_list<const char*> Flags) {
    TStringList List;
    for (const char* Flag : Flags) List.Add(Flag);
    Pascal->SetFlags(List);
    int Count = 0;
    TStringList* Out = Pascal->Expand();
    for (int I = 0; I < Out->Count(); ++I) Count += Out->Strings(I) == "    Variants,";
    return std::make_pair(Count, Out->Text());
  };
  EXPECT_EQ(VariantsLines({}).first, 2);
  EXPECT_EQ(VariantsLines({"SkipIfNotDelphi6", "SkipIfNotDelphi7"}).first, 0);
  const auto Seven = VariantsLines({"SkipIfNotDelphi6"});
  EXPECT_EQ(Seven.first, 1);
  EXPECT_EQ(VariantsLines({"SkipIfNotDelphi7"}), Seven);
}

TEST_F(Holders, TheShellViewWizardAddsItsBuildsFlagAtEachGeneration) {
  for (const TBuildProfile* Build : {&kBuildD7, &kBuildD6}) {
    SCOPED_TRACE(Build->Name);
    TProject Project(false);
    THolder Holder = MakeHolder("NxShellViewForm", *Build);
    Holder->Expert->Execute();
    Holder->Expert->Execute();
    EXPECT_EQ(Holder->ExtraFlags->Text(), std::string(Build->ShellViewVersionFlag) + "\r\n" +
                                              Build->ShellViewVersionFlag + "\r\n");
    const std::string Expected = Golden("NxShellViewForm", ".pas");
    EXPECT_EQ(ReadBytes(Project.Folder.Path("Unit3.pas")), Expected);
    EXPECT_EQ(ReadBytes(Project.Folder.Path("Unit4.pas")), Replaced(Expected, "Unit3", "Unit4"));
  }
}

TEST_F(Holders, TheHeaderIsNamedAfterTheUnitAndUsesTheLastSourceRequestsNames) {
  THolder Holder = MakeHolder("NxModule");
  Holder->Creator->FileName = "C:\\Work.d\\Unit3.cpp";
  std::string Name = "x", Source = "x";
  Holder->DoGetIntfName(Name);
  Holder->DoNewIntfSource("Unit3", "NxModule1", "NxModule", Source);
  EXPECT_EQ(Name, "") << "the Pascal IDE asks for no header";
  EXPECT_EQ(Source, "");

  UseHost(true);
  Holder->DoGetIntfName(Name);
  EXPECT_EQ(Name, "Unit3.h");
  Holder->DoNewModuleSource("Unit7", "NxModule7", "NxModule", Source);
  Holder->DoNewIntfSource("Other", "Other1", "NxModule", Source);
  EXPECT_EQ(Source, Replaced(Replaced(Golden("NxModule", ".h"), "Unit3", "Unit7"), "NxModule1", "NxModule7"));
}

}  // namespace
