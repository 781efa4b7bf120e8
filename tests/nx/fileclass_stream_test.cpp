// A TNxFileClasses read from a form description and written back: collection items, the
// shell commands' published strings and extended lists, and the registration event by name.
#include <gtest/gtest.h>

#include <string>

#include "classlib/FormStream.h"
#include "classlib/UnitInit.h"
#include "nx/NxFileClasses.h"

namespace {

class TFileClassHost : public TComponent {
  VD_CLASS(TFileClassHost, TComponent);

public:
  using TComponent::TComponent;
  TNxFileClasses* FileClasses1 = nullptr;
  int Calls = 0;
  void FileClassRegistering(bool Register, TNxFileClassItem* Item) { ++Calls; }
};
VD_DEFINE_CLASS(TFileClassHost) {
  C.Field("FileClasses1", &TFileClassHost::FileClasses1);
  C.Method<&TFileClassHost::FileClassRegistering>("FileClassRegistering");
}

const char* const kDescription = R"(object Host: TFileClassHost
  object FileClasses1: TNxFileClasses
    FileClasses = <
      item
        FileClassName = 'Vd.Script'
        ExtensionName = '*.vds'
        Description = 'Veldrane script'
        DefaultIcon = 'C:\vd\vd.exe,1'
        ShellCommands.Open = '"C:\vd\vd.exe" "%1"'
        ShellCommands.ExtendedCommandNames = ('Compile' 'Check')
        ShellCommands.ExtendedCommandDescriptions = ('&Compile' 'C&heck')
        ShellCommands.ExtendedCommandStrings = ('vdc.exe "%1"' 'vdc.exe /c "%1"')
        OnRegisterFileClass = FileClassRegistering
      end
      item
        FileClassName = 'Vd.Log'
        ExtensionName = 'vdl'
        ShellCommands.Print = 'notepad /p "%1"'
      end>
    StrongRegistration = True
  end
end
)";

TEST(FileClassesStream, TwoItemsFromTextAndBack) {
  EnsureUnitsStarted();  // registers TNxFileClasses by name
  TObjectPtr<TFileClassHost> Host(TFileClassHost::Create(nullptr));
  ReadComponentFromText(kDescription, Host.get());
  ASSERT_NE(Host->FileClasses1, nullptr);
  TNxFileClasses& Classes = *Host->FileClasses1;
  EXPECT_TRUE(Classes.StrongRegistration());
  ASSERT_EQ(Classes.Count(), 2);

  TNxFileClassItem* Script = Classes.FileClasses()->GetItem(0);
  EXPECT_EQ(Script->FileClassName(), "Vd.Script");
  EXPECT_EQ(Script->ExtensionName(), "*.vds");
  EXPECT_EQ(Script->DisplayName(), "Veldrane script");
  EXPECT_EQ(Script->DefaultIcon(), "C:\\vd\\vd.exe,1");
  const TNxFileClassShellCommands& Cmds = *Script->ShellCommands();
  EXPECT_EQ(Cmds.Open(), "\"C:\\vd\\vd.exe\" \"%1\"");
  EXPECT_EQ(Cmds.ExtendedCommandNames().CommaText(), "Compile,Check");
  EXPECT_EQ(Cmds.ExtendedCommandDescriptions().CommaText(), "&Compile,C&heck");
  EXPECT_EQ(Cmds.ExtendedCommandStrings().Count(), 2);
  EXPECT_EQ(Cmds.ExtendedCommandStrings().Get(1), "vdc.exe /c \"%1\"");
  Script->OnRegisterFileClass(true, Script);
  EXPECT_EQ(Host->Calls, 1);

  TNxFileClassItem* Log = Classes.FileClasses()->GetItem(1);
  EXPECT_EQ(Log->ShellCommands()->Print(), "notepad /p \"%1\"");
  EXPECT_EQ(Log->ShellCommands()->ExtendedCommandNames().Count(), 0);

  // Written back: the same values, and no extended lists where they are empty.
  const std::string Text = WriteComponentToText(Host.get());
  EXPECT_NE(Text.find("StrongRegistration = True"), std::string::npos) << Text;
  EXPECT_NE(Text.find("OnRegisterFileClass = FileClassRegistering"), std::string::npos) << Text;
  EXPECT_EQ(Text.find("ExtendedCommandNames"), Text.rfind("ExtendedCommandNames")) << "once: only item 0 has them";
  TObjectPtr<TFileClassHost> Again(TFileClassHost::Create(nullptr));
  ReadComponentFromText(Text, Again.get());
  EXPECT_EQ(WriteComponentToText(Again.get()), Text);

  Classes.SetStrongRegistration(false);
  EXPECT_NE(WriteComponentToText(Host.get()).find("StrongRegistration = False"), std::string::npos)
      << "always written";
}

}  // namespace
