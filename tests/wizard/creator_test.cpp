// The module creator against the stand-in IDE (free unit names, slots, the module it gets back),
// host detection, and the form classes of the active project.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/DialogTestSupport.h"
#include "tests/wizard/WizardTestSupport.h"
#include "wizard/CB_Creators_NP.h"
#include "wizard/Nx_IsBuilder.h"
#include "wizard/Nx_Tool_Project.h"

namespace {

// A creator the test owns, with a source callback that answers "source of <unit>".
struct TCreatorOwner {
  TCBIModuleCreator* Creator = new TCBIModuleCreator;
  TIModuleInterface* CreatedModule = nullptr;
  int Created = 0;
  bool ThrowOnCreated = false;

  TCreatorOwner() {
    Creator->CreateFlags = 447;
    Creator->AncestorName = "NxModule";
    Creator->OnNewModuleSource = MakeEvent<&TCreatorOwner::NewSource>(this);
    Creator->OnCreated = MakeEvent<&TCreatorOwner::ModuleCreated>(this);
  }
  ~TCreatorOwner() { Creator->Free(); }
  void NewSource(const std::string& Unit, const std::string&, const std::string&, std::string& Source) {
    Source = "source of " + Unit;
  }
  // A header as the C++ IDE asks for one.
  void WithHeader(const std::string& Name) {
    IntfName = Name;
    Creator->OnGetIntfName = MakeEvent<&TCreatorOwner::GetIntfName>(this);
    Creator->OnNewIntfSource = MakeEvent<&TCreatorOwner::NewSource>(this);
  }
  void GetIntfName(std::string& Name) { Name = IntfName; }
  std::string IntfName;
  void ModuleCreated(TCBIModuleCreator*, TIModuleInterface* Module) {
    ++Created;
    CreatedModule = Module;
    if (ThrowOnCreated) throw Exception("refused");
  }
};

class ModuleCreator : public ::testing::Test {
protected:
  void SetUp() override {
    SetHostProgramPath("");
    UpdateUnitExtension();  // the test program: the Pascal IDE
    Ide.OpenProject(Folder.Path("Project1.dpr"));
  }
  TempTree Folder;
  ScopedStandInIde Ide;
  TCreatorOwner Owner;
};

TEST_F(ModuleCreator, PicksTheFirstUnitNameWhoseFilesAreFreeAndNotOpen) {
  Folder.File("Unit1.pas");
  Folder.File("Unit2.dfm");
  Folder.File("Unit4.cpp");  // another language's unit does not count
  Owner.Creator->Execute();
  EXPECT_EQ(Owner.Creator->FileName, Folder.Path("Unit3.pas"));
  EXPECT_EQ(ReadBytes(Folder.Path("Unit3.pas")), "source of Unit3");
  Ide.MarkOpen(Folder.Path("UNIT5.PAS"));
  Owner.Creator->Execute();  // Unit3.pas exists now; Unit4 is free
  Owner.Creator->Execute();  // Unit5.pas is open in the IDE
  EXPECT_EQ(Ide.Written(), (std::vector<std::string>{Folder.Path("Unit3.pas"), Folder.Path("Unit4.pas"),
                                                      Folder.Path("Unit6.pas")}));
}

TEST_F(ModuleCreator, InTheCppIdeAUnitNameWhoseHeaderExistsIsTaken) {
  SetHostProgramPath("C:\\IDE\\bcb.exe");
  UpdateUnitExtension();
  Folder.File("Unit1.h", "the user's own");
  Owner.Creator->Execute();
  EXPECT_EQ(Owner.Creator->FileName, Folder.Path("Unit2.cpp"));
  EXPECT_EQ(ReadBytes(Folder.Path("Unit1.h")), "the user's own");
}

TEST_F(ModuleCreator, WithoutTheNewUnitFlagTheFileNameIsLeftAlone) {
  Owner.Creator->CreateFlags = TCBIModuleCreator::kDefaultCreateFlags;
  EXPECT_EQ(Owner.Creator->CreateFlags, 143);
  Owner.Creator->FileName = Folder.Path("Chosen.pas");
  Owner.Creator->Execute();
  EXPECT_EQ(Owner.Creator->FileName, Folder.Path("Chosen.pas"));
  EXPECT_EQ(Ide.Written(), std::vector<std::string>{Folder.Path("Chosen.pas")});
}

TEST_F(ModuleCreator, TheIdeNeverReplacesAFileAndLeavesNoPartOfAUnitBehind) {
  Ide.SetCppIde(true);
  Owner.Creator->CreateFlags = TCBIModuleCreator::kDefaultCreateFlags;  // the name is the test's
  Owner.Creator->FileName = Folder.Path("Unit1.cpp");
  Owner.WithHeader("Unit1.h");
  Folder.File("Unit1.h", "the user's own");
  Owner.Creator->Execute();
  EXPECT_EQ(LastIdeException(), "Cannot write " + Folder.Path("Unit1.h") + ": the file already exists");
  EXPECT_EQ(ReadBytes(Folder.Path("Unit1.h")), "the user's own");
  EXPECT_FALSE(FileExists(Folder.Path("Unit1.cpp"))) << "checked before anything is written";

  IdeClearException();
  Owner.WithHeader("missing\\Unit1.h");
  Owner.Creator->Execute();
  EXPECT_EQ(LastIdeException(), "Cannot write " + Folder.Path("missing\\Unit1.h") + ": the path was not found");
  EXPECT_FALSE(FileExists(Folder.Path("Unit1.cpp"))) << "the source goes with the header that failed";
  EXPECT_TRUE(Ide.Written().empty());
}

TEST_F(ModuleCreator, TheModuleGoesToOnCreatedAndIsReleasedOnEveryWayOut) {
  Owner.Creator->Execute();
  EXPECT_EQ(Owner.Created, 1);
  EXPECT_NE(Owner.CreatedModule, nullptr);
  EXPECT_EQ(Ide.LiveModules(), 0);

  Owner.ThrowOnCreated = true;
  EXPECT_THROW(Owner.Creator->Execute(), Exception);
  EXPECT_EQ(Owner.Created, 2);
  EXPECT_EQ(Ide.LiveModules(), 0);

  // The IDE creates nothing when the source fails: OnCreated gets no module, and none is released.
  Owner.ThrowOnCreated = false;
  Owner.Creator->OnNewModuleSource = nullptr;
  Owner.Creator->Execute();
  EXPECT_EQ(Owner.Created, 3);
  EXPECT_EQ(Owner.CreatedModule, nullptr);
  EXPECT_EQ(LastIdeException(), "Unable to generate module source");
}

TEST_F(ModuleCreator, SlotsWithoutCallbacks) {
  auto* Creator = new TCBIModuleCreator;
  EXPECT_FALSE(Creator->Existing());
  EXPECT_STREQ(Creator->GetIntfName(), "");
  EXPECT_STREQ(Creator->NewIntfSource("Unit3", "NxModule1", "NxModule"), "");
  EXPECT_EQ(IdeLastException(), nullptr);
  EXPECT_EQ(Creator->NewModuleSource("Unit3", "NxModule1", "NxModule"), nullptr);
  EXPECT_EQ(LastIdeException(), "Unable to generate module source");
  EXPECT_STREQ(Creator->GetFormName(), "NxModule1") << "the form identifier is kept all the same";
  Creator->FormCreated(nullptr);
  Creator->Free();
}

// An IDE that reports every file open.
class TAllOpenTools final : public TIToolServices {
public:
  const char* IDE_SLOT GetProjectName() override { return "C:\\Nowhere\\Project1.dpr"; }
  bool IDE_SLOT IsFileOpen(const char*) override { return true; }
  TIModuleInterface* IDE_SLOT ModuleCreate(TIModuleCreatorEx*, uint16_t) override { return nullptr; }
};

TEST_F(ModuleCreator, GivesUpWhenEveryNameIsTaken) {
  TAllOpenTools Tools;
  IdeSetToolServices(&Tools);
  try {
    Owner.Creator->Execute();
    ADD_FAILURE() << "found a free name";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "No free unit name in \"C:\\Nowhere\\\": Unit1 to Unit10000 are all taken");
  }
  IdeSetToolServices(nullptr);
  EXPECT_THROW(Owner.Creator->Execute(), Exception) << "no tool services";
}

TEST(HostDetection, TheCppIdeIsAProgramNamedBcbExe) {
  EXPECT_TRUE(IsBuilderName("C:\\Program Files\\IDE\\Bin\\bcb.exe"));
  EXPECT_TRUE(IsBuilderName("BCB.EXE"));
  for (const char* Other : {"C:\\bcb\\delphi32.exe", "mybcb.exe", "bcb.exe.bak", "bcb", ""})
    EXPECT_FALSE(IsBuilderName(Other)) << Other;
  SetHostProgramPath("D:\\IDE\\Bcb.Exe");
  EXPECT_TRUE(IsBuilder());
  UpdateUnitExtension();
  EXPECT_EQ(UnitExtension, ".cpp");
  SetHostProgramPath("");
  EXPECT_FALSE(IsBuilder()) << "the test program";
  UpdateUnitExtension();
  EXPECT_EQ(UnitExtension, ".pas");
}

// ---- The active project's form classes -------------------------------------------------------

class ProjectFormClasses : public ::testing::Test {
protected:
  testsupport::TFakeUIServices Fake;  // records the message box
  static std::vector<std::string> Classes() {
    TObjectPtr<TStringList> List(GetProjectFormClasses());
    std::vector<std::string> Lines;
    for (int I = 0; I < List->Count(); ++I) Lines.push_back(List->Strings(I));
    return Lines;
  }
  static TStandInModule* Project(TStandInIde& Ide, const std::string& Name, std::vector<std::string> Forms) {
    TStandInModule* P = Ide.OpenProject(Name + ".dpr");
    for (const std::string& Form : Forms) TStandInIde::AddToProject(P, Name + Form + ".pas", Form);
    return P;
  }
};

TEST_F(ProjectFormClasses, OneClassPerModuleWithAFormInTheProjectsOrder) {
  ScopedStandInIde Ide;
  Ide.OpenUnit("Loose.pas");
  Project(Ide, "P", {"Form1", "", "DataModule1"});
  EXPECT_EQ(Classes(), (std::vector<std::string>{"TForm1", "TDataModule1"}));
  EXPECT_TRUE(Fake.MessageBoxes.empty());
}

TEST_F(ProjectFormClasses, TheGroupsActiveProjectOrElseTheLastProject) {
  ScopedStandInIde Ide;
  TStandInModule* First = Project(Ide, "A", {"FormA"});
  Project(Ide, "B", {"FormB"});
  EXPECT_EQ(Classes(), std::vector<std::string>{"TFormB"});
  Ide.OpenProjectGroup("Group.bpg", First);
  Project(Ide, "C", {"FormC"});
  EXPECT_EQ(Classes(), std::vector<std::string>{"TFormA"}) << "the group decides and ends the walk";
}

TEST_F(ProjectFormClasses, WithoutAProjectAMessageSaysSoAndTheListIsEmpty) {
  {
    ScopedStandInIde Ide;
    Ide.OpenUnit("Loose.pas");
    EXPECT_TRUE(Classes().empty());
  }
  EXPECT_TRUE(Classes().empty()) << "no IDE services at all";
  ASSERT_EQ(Fake.MessageBoxes.size(), 2u);
  EXPECT_EQ(Fake.MessageBoxes[0].Text, "Active project could not found");
  EXPECT_EQ(Fake.MessageBoxes[0].Caption, "Error");
  EXPECT_EQ(Fake.MessageBoxes[0].Flags, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(ProjectFormClasses, TheNoProjectMessageBelongsToTheIdesMainWindow) {
  TObjectPtr<TForm> MainWindow(TForm::Create(nullptr));
  ScopedStandInIde Ide;
  Ide.SetMainWindow(MainWindow->Handle());
  Classes();
  ASSERT_EQ(Fake.MessageBoxes.size(), 1u);
  EXPECT_EQ(Fake.MessageBoxes[0].Owner, MainWindow->Handle());
}

}  // namespace
