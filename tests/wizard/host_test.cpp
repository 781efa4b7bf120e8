// ide-host.exe with the three plug-in builds, each run a process of its own: the expert list, an IDE
// without the core package or with ones it cannot load (all or one of them), the four wizards in the
// Pascal IDE and in the C++ IDE (the host copied as bcb.exe), and the command line's failures.
#include <windows.h>

#include <gtest/gtest.h>

#include "classlib/SysUtils.h"
#include "tests/support/RunProgram.h"
#include "tests/wizard/WizardTestSupport.h"

namespace {

// A folder with the host under a name of the test's choice, ide-design.dll and (or not) the core
// packages: an installed IDE.
class THostFolder {
public:
  explicit THostFolder(const std::string& ExeName, bool WithCorePackages = true) : FExe(FTree.Path(ExeName)) {
    Copy(IDE_HOST_EXE, FExe);
    Copy(IDE_DESIGN_DLL, FTree.Path("ide-design.dll"));
    if (WithCorePackages) {
      Copy(CORE_IDE70_BPL, FTree.Path("CoreIde70.bpl"));
      Copy(CORE_IDE60_BPL, FTree.Path("CoreIde60.bpl"));
    }
  }
  // Puts a library into the folder under the name given.
  void Add(const std::string& UnixPath, const std::string& Name) const { Copy(UnixPath, FTree.Path(Name)); }
  // Runs the host in its own folder.
  TProgramRun Run(const std::string& Arguments) const {
    return RunProgram("\"" + FExe + "\" " + Arguments, FTree.Root());
  }

private:
  static void Copy(const std::string& UnixPath, const std::string& To) {
    ASSERT_TRUE(CopyFileA(WindowsPathOfUnix(UnixPath).c_str(), To.c_str(), FALSE)) << UnixPath;
  }
  TempTree FTree;
  std::string FExe;
};

std::string Plugin(const char* UnixPath) { return "--plugin \"" + WindowsPathOfUnix(UnixPath) + "\""; }

const std::vector<std::string> kExpertLines{
    "expert\tNxAboutExpert\tstyle=0\tstate=1\tpage=New\tmenu=About &Nacre+",
    "expert\tShellExtension Module\tstyle=1\tstate=0\tpage=Shell Extensions\tmenu=",
    "expert\tShellExtension Permanent Module\tstyle=1\tstate=0\tpage=Shell Extensions\tmenu=",
    "expert\tShellExtension ShellView Form\tstyle=1\tstate=0\tpage=Shell Extensions\tmenu=",
    "expert\tPropetySheet Form \tstyle=1\tstate=0\tpage=Shell Extensions\tmenu=",
    "property\tTStrings\tTNxShellPropSheetExt\tPropertySheets\tTNxSPSFormsClassesProperty",
    "property\tstring\tTNxBaseShellObject\tCLSID\tTClsIdPropertyEditor",
    "component\tTNxIconList\tTNxIconListEditor",
    "property\tstring\tTNxCustomShellFolder\tDefaultIcon\tTNxShellFolderDefaultIconProperty",
    "property\tstring\tTNxOverlayIcon\tIconFile\tTNxShellFolderDefaultIconProperty",
    "property\tstring\tTNxCustomShellCommandsEditor\tAnotherCommands\tTNxShellCommandsPropertyEditor",
    "component\tTNxSimpleTreeProvider\tTNxSimpleTreeProviderEditor",
    "property\tstring\tTNxFormShellView\tShellViewFormClass\tTNxShellViewFormPropEdit",
    "property\tTStrings\tTNxFileFolder\tActivationVerbs\tTNxActivationVerbsProperty",
    "property\tinteger\tTNxNamespaceDetails\tDefSortingColumn\tTNxNamespaceColumnsList",
    "property\tinteger\tTNxNamespaceDetails\tDefDisplayColumn\tTNxNamespaceColumnsList",
    "property\tinteger\tTNxNamespaceCommonColumns\tColumnName\tTNxNamespaceCommonColumnsList",
    "property\tinteger\tTNxNamespaceCommonColumns\tColumnSize\tTNxNamespaceCommonColumnsList",
    "property\tinteger\tTNxNamespaceCommonColumns\tColumnType\tTNxNamespaceCommonColumnsList",
    "property\tinteger\tTNxNamespaceCommonColumns\tColumnModified\tTNxNamespaceCommonColumnsList",
    "property\tinteger\tTNxNamespaceCommonColumns\tColumnAttributes\tTNxNamespaceCommonColumnsList",
    "unloaded\texperts=0"};

TEST(IdeHost, ListsTheFiveExpertsAndTheEditorsOfEachBuildAndTakesThemBackAtUnload) {
  THostFolder Host("ide-host.exe");
  for (const char* Dll : {PLUGIN_D7, PLUGIN_D6, PLUGIN_C6}) {
    const TProgramRun Run = Host.Run(Plugin(Dll) + " --list");
    EXPECT_EQ(Run.ExitCode, 0u) << Dll;
    EXPECT_EQ(Run.Lines, kExpertLines) << Dll;
  }
}

TEST(IdeHost, AnIdeWithoutTheCorePackageListsNoExpertsButTheEditors) {
  THostFolder Host("ide-host.exe", false);
  const TProgramRun Run = Host.Run(Plugin(PLUGIN_D7) + " --list");
  EXPECT_EQ(Run.ExitCode, 0u);
  std::vector<std::string> Expected;
  for (const std::string& Line : kExpertLines)
    if (Line.rfind("expert\t", 0) != 0) Expected.push_back(Line);
  EXPECT_EQ(Run.Lines, Expected);
}

// A project folder that holds Project1.dpr, Unit1.<ext> and Unit2.dfm.
struct TProjectFolder {
  TempTree Tree;
  explicit TProjectFolder(const char* UnitExtension) {
    Tree.File("Project1.dpr");
    Tree.File(std::string("Unit1") + UnitExtension);
    Tree.File("Unit2.dfm");
  }
  std::string RunWizard(const THostFolder& Host, const char* Dll, const std::string& Expert, TProgramRun& Run) const {
    Run = Host.Run(Plugin(Dll) + " --project \"" + Tree.Path("Project1.dpr") + "\" --run \"" + Expert + "\"");
    return Run.Text();
  }
};

TEST(IdeHost, EachWizardWritesUnit3InThePascalAndInTheCppIde) {
  const struct {
    const char* Host;
    const char* Dll;
    const char* UnitExtension;
    std::vector<const char*> Written;
  } Ides[] = {{"ide-host.exe", PLUGIN_D7, ".pas", {".pas"}}, {"bcb.exe", PLUGIN_C6, ".cpp", {".cpp", ".h"}}};
  for (const auto& Ide : Ides) {
    THostFolder Host(Ide.Host);
    for (const TWizardCase& Case : kWizardCases) {
      TProjectFolder Project(Ide.UnitExtension);
      TProgramRun Run;
      SCOPED_TRACE(std::string(Ide.Host) + ": " + Project.RunWizard(Host, Ide.Dll, Case.ExpertName, Run));
      EXPECT_EQ(Run.ExitCode, 0u);
      std::vector<std::string> Lines;
      for (const char* Extension : Ide.Written) {
        const std::string File = Project.Tree.Path(std::string("Unit3") + Extension);
        Lines.push_back("wrote\t" + File);
        EXPECT_EQ(ReadBytes(File), Golden(Case.Ancestor, Extension)) << File;
      }
      EXPECT_EQ(Run.Lines, Lines);
    }
  }
  THostFolder Host("ide-host.exe");
  TProjectFolder Project(".pas");
  TProgramRun Run;
  Project.RunWizard(Host, PLUGIN_D6, "ShellExtension ShellView Form", Run);
  EXPECT_EQ(ReadBytes(Project.Tree.Path("Unit3.pas")), Golden("NxShellViewForm", ".pas"))
      << "the version-6 build's shell-view unit is the version-7 build's";
}

TEST(IdeHost, TheHostsFileNameDecidesTheLanguage) {
  for (const auto& [ExeName, Written] : {std::pair{"BCB.EXE", "Unit1.cpp"}, std::pair{"xbcb.exe", "Unit1.pas"}}) {
    THostFolder Host(ExeName);
    TempTree Project;
    TProgramRun Run = Host.Run(Plugin(PLUGIN_D7) + " --project \"" + Project.File("P.dpr") +
                               "\" --run \"ShellExtension Module\"");
    EXPECT_EQ(Run.ExitCode, 0u) << ExeName;
    EXPECT_EQ(Run.Lines.at(0), "wrote\t" + Project.Path(Written)) << ExeName;
  }
}

TEST(IdeHost, TheAboutEntryWritesNothingAndFailuresEndInExitCodes) {
  THostFolder Host("ide-host.exe");
  TempTree Project;
  Project.File("P.dpr");
  TProgramRun About = Host.Run(Plugin(PLUGIN_D7) + " --project \"" + Project.Path("P.dpr") + "\" --run NxAboutExpert");
  EXPECT_EQ(About.ExitCode, 0u);
  EXPECT_TRUE(About.Lines.empty()) << About.Text();

  Project.Dir("Unit1.pas");  // a folder holds the name
  TProgramRun Unwritable =
      Host.Run(Plugin(PLUGIN_D7) + " --project \"" + Project.Path("P.dpr") + "\" --run \"ShellExtension Module\"");
  EXPECT_EQ(Unwritable.ExitCode, 1u);
  EXPECT_EQ(Unwritable.Lines, std::vector<std::string>{"error\tCannot write " + Project.Path("Unit1.pas") +
                                                           ": the file already exists"});

  TProgramRun Unknown = Host.Run(Plugin(PLUGIN_D7) + " --project \"" + Project.Path("P.dpr") + "\" --run Nobody");
  EXPECT_EQ(Unknown.ExitCode, 1u);
  EXPECT_EQ(Unknown.Lines, std::vector<std::string>{"error\tno expert named \"Nobody\""});

  EXPECT_EQ(Host.Run("--list").ExitCode, 2u) << "no plug-in";
}

TEST(IdeHost, APluginThatCannotBeLoadedOrHasNoInitExpertsEndsInOneErrorInWords) {
  THostFolder Host("ide-host.exe");
  TempTree Folder;
  const std::pair<std::string, std::string> Cases[] = {
      {Folder.Path("missing.dll"), "the file does not exist"},
      {Folder.File("notes.dll", "no library"), "it is not a DLL for this 64-bit (x86_64) ide-host.exe"},
      {WindowsPathOfUnix(OTHER_ARCH_LIBRARY), "it is a 32-bit (i686) library and this ide-host.exe is the 64-bit "
                                              "(x86_64) build: load the plug-in's 64-bit (x86_64) build"}};
  for (const auto& [Dll, Why] : Cases) {
    const TProgramRun Run = Host.Run("--plugin \"" + Dll + "\" --list");
    EXPECT_EQ(Run.ExitCode, 1u) << Dll;
    EXPECT_EQ(Run.Lines, std::vector<std::string>{"error\tcannot load " + Dll + ": " + Why});
  }
  const std::string NoPlugin = WindowsPathOfUnix(TEST_ICONS_DLL);
  const TProgramRun Run = Host.Run("--plugin \"" + NoPlugin + "\" --project \"" + Folder.File("P.dpr") +
                                   "\" --run \"ShellExtension Module\"");
  EXPECT_EQ(Run.ExitCode, 1u);
  EXPECT_EQ(Run.Lines, std::vector<std::string>{"error\t" + NoPlugin + " has no InitExperts: it is no plug-in of this IDE"});
}

TEST(IdeHost, AWrongCommandLineOrProjectSaysWhatWasWrongAndHelpIsNoError) {
  THostFolder Host("bcb.exe");
  const std::vector<std::string> Usage{
      "usage: bcb.exe --plugin <dll> --list",
      "       bcb.exe --plugin <dll> --project <project file> --run \"<expert name>\"", "       bcb.exe --help"};
  const TProgramRun Help = Host.Run("--help");
  EXPECT_EQ(Help.ExitCode, 0u);
  EXPECT_EQ(Help.Lines, Usage);

  TempTree Project;
  Project.Dir("Sources");
  const std::string Folder = Project.Path("Sources");
  const std::pair<std::string, std::string> Cases[] = {
      {"--list --verbose", "unknown option \"--verbose\""},
      {"--list --plugin", "--plugin needs a value"},
      {Plugin(PLUGIN_C6) + " --list --run NxAboutExpert", "--list and --run cannot go together"},
      {Plugin(PLUGIN_C6) + " --run NxAboutExpert", "--run needs --project <project file>"},
      {Plugin(PLUGIN_C6) + " --project \"" + Project.Path("P.bpr") + "\" --run \"\"", "--run needs a value"},
      {Plugin(PLUGIN_C6) + " --list --project \"" + Folder + "\"",
       "the project \"" + Folder + "\" is a folder, not a project file"},
      {Plugin(PLUGIN_C6) + " --project \"" + Project.Path("P.bpr") + "\" --run \"ShellExtension Module\"",
       "the project file \"" + Project.Path("P.bpr") + "\" does not exist"}};
  for (const auto& [Arguments, Wrong] : Cases) {
    const TProgramRun Run = Host.Run(Arguments);
    EXPECT_EQ(Run.ExitCode, 2u) << Arguments;
    ASSERT_FALSE(Run.Lines.empty()) << Arguments;
    EXPECT_EQ(Run.Lines[0], "bcb.exe: " + Wrong);
    const std::vector<std::string> After(Run.Lines.begin() + 1, Run.Lines.end());
    EXPECT_EQ(After, Wrong.rfind("the project", 0) == 0 ? std::vector<std::string>{} : Usage) << Arguments;
  }
  EXPECT_FALSE(FileExists(Project.Path("Unit1.cpp"))) << "nothing written without a project";
}

TEST(IdeHost, RunInAnIdeWithoutTheCorePackageSaysItIsMissing) {
  THostFolder Host("ide-host.exe", false);
  TempTree Project;
  const TProgramRun Run = Host.Run(Plugin(PLUGIN_D7) + " --project \"" + Project.File("P.dpr") +
                                   "\" --run \"ShellExtension Module\"");
  EXPECT_EQ(Run.ExitCode, 1u);
  EXPECT_EQ(Run.Lines, std::vector<std::string>{"error\tthe IDE's core package is missing (CoreIde70.bpl or "
                                                "CoreIde60.bpl beside ide-host.exe), so no expert can run"});
}

TEST(IdeHost, RunWithCorePackagesThatCannotBeLoadedSaysWhy) {
  THostFolder Host("ide-host.exe", false);
  Host.Add(OTHER_ARCH_LIBRARY, "CoreIde70.bpl");
  Host.Add(TEST_ICONS_DLL, "CoreIde60.bpl");
  TempTree Project;
  const TProgramRun Run = Host.Run(Plugin(PLUGIN_D7) + " --project \"" + Project.File("P.dpr") +
                                   "\" --run \"ShellExtension Module\"");
  EXPECT_EQ(Run.ExitCode, 1u);
  EXPECT_EQ(Run.Lines, std::vector<std::string>{
                           "error\tthe IDE's core package cannot be loaded (CoreIde70.bpl beside ide-host.exe: it is "
                           "a 32-bit (i686) library and this ide-host.exe is the 64-bit (x86_64) build: install the "
                           "core package's 64-bit (x86_64) build; CoreIde60.bpl beside ide-host.exe: it has no expert "
                           "services: it is no core package of this IDE), so no expert can run"});
}

// CoreIde70.bpl, which the version-7 plug-in binds, is the other build's; CoreIde60.bpl is sound.
class THostWithoutItsCorePackage : public THostFolder {
public:
  THostWithoutItsCorePackage() : THostFolder("ide-host.exe", false) {
    Add(OTHER_ARCH_LIBRARY, "CoreIde70.bpl");
    Add(CORE_IDE60_BPL, "CoreIde60.bpl");
  }
  static constexpr const char* kWhy =
      "the IDE's core package cannot be loaded (CoreIde70.bpl beside ide-host.exe: it is a 32-bit (i686) library "
      "and this ide-host.exe is the 64-bit (x86_64) build: install the core package's 64-bit (x86_64) build)";
};

TEST(IdeHost, RunOfAnExpertWhoseCorePackageCannotBeLoadedWhileTheOtherLoadsSaysWhy) {
  THostWithoutItsCorePackage Host;
  TempTree Project;
  const TProgramRun Run = Host.Run(Plugin(PLUGIN_D7) + " --project \"" + Project.File("P.dpr") +
                                   "\" --run \"ShellExtension Module\"");
  EXPECT_EQ(Run.ExitCode, 1u);
  EXPECT_EQ(Run.Lines, std::vector<std::string>{"error\tno expert named \"ShellExtension Module\": " +
                                                std::string(THostWithoutItsCorePackage::kWhy)});
}

TEST(IdeHost, ListWithACorePackageThatCannotBeLoadedListsTheRestAndFails) {
  THostWithoutItsCorePackage Host;
  const TProgramRun Run = Host.Run(Plugin(PLUGIN_D7) + " --list");
  EXPECT_EQ(Run.ExitCode, 1u);
  std::vector<std::string> Expected{"error\t" + std::string(THostWithoutItsCorePackage::kWhy)};  // on stderr
  for (const std::string& Line : kExpertLines)
    if (Line.rfind("expert\t", 0) != 0) Expected.push_back(Line);
  EXPECT_EQ(Run.Lines, Expected);
}

}  // namespace
