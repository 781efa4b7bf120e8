// ide-host.exe with a project folder named in Latin-1 letters: the Pascal IDE writes its new unit
// there and names it in the ANSI code page (1252), as the folder is named on the Windows side.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/RunProgram.h"
#include "tests/wizard/WizardTestSupport.h"

TEST(IdeHostPaths, TheNewUnitGoesIntoAFolderNamedInLatin1Letters) {
  ASSERT_EQ(GetACP(), 1252u);
  TempTree Tree;
  const std::string Folder = Tree.Dir("Projekt \xDCn\xEF" "c\xF6" "d\xE9");
  Tree.File("Projekt \xDCn\xEF" "c\xF6" "d\xE9\\Project1.dpr");
  const TProgramRun Run = RunProgram("\"" + WindowsPathOfUnix(IDE_HOST_EXE) + "\" --plugin \"" +
                                     WindowsPathOfUnix(PLUGIN_D7) + "\" --project \"" + Folder +
                                     "Project1.dpr\" --run \"ShellExtension Module\"");
  EXPECT_EQ(Run.ExitCode, 0u);
  EXPECT_EQ(Run.Lines, std::vector<std::string>{"wrote\t" + Folder + "Unit1.pas"});
  EXPECT_EQ(ReadBytes(Folder + "Unit1.pas").rfind("unit Unit1;", 0), 0u);
}
