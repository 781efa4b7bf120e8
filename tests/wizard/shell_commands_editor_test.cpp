// The shell-commands editor: the names as the value, the verbs through the list dialog and the
// single-verb dialog (Edit replaces its row, a name that would make a broken key cannot be
// confirmed), the three lists written back parallel on OK only, and the columns scaled to the
// list view's width.
#include <gtest/gtest.h>

#include "nx/NxFileClasses.h"
#include "tests/wizard/EditorTestSupport.h"
#include "wizard/Nx_ShellCommandEditor.h"

using namespace testsupport;

namespace {

using TRows = std::vector<TShellCommand>;

TEST(ColumnScaling, KeepsTheProportionsAndFillsTheWidthLessScrollBarAndThreePixelsEach) {
  EXPECT_EQ(ScaleColumnWidths({80, 150, 200}, 860 + 17 + 9, 17), (std::vector<int>{160, 300, 400}));
  EXPECT_EQ(ScaleColumnWidths({1, 2}, 10 + 6, 0), (std::vector<int>{3, 7})) << "rounded to the nearest";
  EXPECT_EQ(ScaleColumnWidths({0, 0, 0}, 500, 17), (std::vector<int>{0, 0, 0})) << "nothing to scale";
}

class ShellCommandsEditor : public ::testing::Test {
protected:
  void SetUp() override {
    for (const TShellCommand& C : kVerbs) {
      Commands->ExtendedCommandNames().Add(C.Name);
      Commands->ExtendedCommandDescriptions().Add(C.VisibleName);
      Commands->ExtendedCommandStrings().Add(C.CommandString);
    }
  }
  TRows Verbs() const {
    TRows Rows;
    for (int I = 0; I < Commands->ExtendedCommandNames().Count(); ++I)
      Rows.push_back({Commands->ExtendedCommandNames().Strings(I), Commands->ExtendedCommandDescriptions().Strings(I),
                      Commands->ExtendedCommandStrings().Strings(I)});
    EXPECT_EQ(Commands->ExtendedCommandStrings().Count(), static_cast<int>(Rows.size()));
    return Rows;
  }
  // One run of the list dialog: add Debug, edit Run, add one and cancel it, remove Compile, then
  // Close.
  void AddEditAndRemove(TButton* TShellCommandEditorWindow::*Close) {
    Fake.OnModal<TSingleShellCommandEditor>([](TSingleShellCommandEditor& F) {
      Type(F.eCommandName, "Debug");
      Type(F.eCommandString, "dbg.exe \"%1\"");
      ClickButton(F.btnOK);
    });
    Fake.OnModal<TSingleShellCommandEditor>([](TSingleShellCommandEditor& F) {
      EXPECT_EQ(F.Command(), kVerbs[1]) << "filled from the row";
      Type(F.eCommandString, "run.exe /fast \"%1\"");
      ClickButton(F.btnOK);
    });
    Fake.OnModal<TSingleShellCommandEditor>([](TSingleShellCommandEditor& F) {
      Type(F.eCommandName, "Ignored");
      ClickButton(F.btnCancel);
    });
    Fake.OnModal<TShellCommandEditorWindow>([Close](TShellCommandEditorWindow& F) {
      ClickButton(F.btnAdd);
      SelectRow(F.lvShellCommands, 1);
      ClickButton(F.btnEdit);
      ClickButton(F.btnAdd);
      SelectRow(F.lvShellCommands, 0);
      ClickButton(F.btnRemove);
      ClickButton(F.*Close);
    });
    EXPECT_TRUE(Editor->Edit());
  }

  static inline const TRows kVerbs{{"Compile", "&Compile", "cc.exe \"%1\""}, {"Run", "&Run", "run.exe \"%1\""}};
  TObjectPtr<TNxFileClassShellCommands> Commands{TNxFileClassShellCommands::Create()};
  TCountingDesigner Designer;
  TFakeUIServices Fake;
  TIdePropertyEditorPtr Editor{
      MakePropertyEditor("TNxCustomShellCommandsEditor", "AnotherCommands", &Designer, Commands.get())};
};

TEST_F(ShellCommandsEditor, AddEditAndRemoveReachTheListsOnOkOnlyAndEditReplacesItsRow) {
  EXPECT_STREQ(Editor->GetValue(), "Compile, Run");
  AddEditAndRemove(&TShellCommandEditorWindow::btnCancel);
  EXPECT_EQ(Verbs(), kVerbs);
  EXPECT_EQ(Designer.Count, 0);
  AddEditAndRemove(&TShellCommandEditorWindow::btnOK);
  EXPECT_EQ(Verbs(), (TRows{{"Run", "&Run", "run.exe /fast \"%1\""}, {"Debug", "", "dbg.exe \"%1\""}}));
  EXPECT_EQ(Designer.Count, 1);
  EXPECT_STREQ(Editor->GetValue(), "Run, Debug");
  EXPECT_TRUE(Fake.Unscripted.empty());
  EXPECT_TRUE(Fake.Unfinished.empty());
}

TEST_F(ShellCommandsEditor, WithoutASelectionEditAndRemoveDoNothingAndABrokenNameCannotBeConfirmed) {
  Fake.OnModal<TSingleShellCommandEditor>([](TSingleShellCommandEditor& F) {
    EXPECT_FALSE(F.btnOK->Enabled()) << "empty";
    Type(F.eCommandName, "Open\\Now");
    EXPECT_FALSE(F.btnOK->Enabled());
    F.eCommandName->SetFocus();
    PostMessageA(F.eCommandName->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    PumpFor(100);
    EXPECT_EQ(F.ModalResult(), mrNone) << "Enter does not press a disabled OK";
    Type(F.eCommandName, "Open");
    ClickButton(F.btnOK);
  });
  Fake.OnModal<TShellCommandEditorWindow>([](TShellCommandEditorWindow& F) {
    ClickButton(F.btnEdit);
    ClickButton(F.btnRemove);
    ClickButton(F.btnAdd);
    ClickButton(F.btnOK);
  });
  EXPECT_TRUE(Editor->Edit());
  EXPECT_EQ(Verbs(), (TRows{kVerbs[0], kVerbs[1], {"Open", "", ""}}));
  EXPECT_EQ(Fake.ModalForms, (std::vector<std::string>{"TShellCommandEditorWindow", "TSingleShellCommandEditor"}));
}

TEST(ShellCommandEditorWindow, ResizingScalesTheColumnsAndMovesTheButtonsWithTheBottom) {
  TObjectPtr<TShellCommandEditorWindow> Form(TShellCommandEditorWindow::Create(Application));
  EXPECT_EQ(Form->Width(), 468);
  EXPECT_EQ(Form->Constraints()->MinHeight(), 215);
  Form->Show();
  HWND List = Form->lvShellCommands->Handle();
  std::vector<int> Before;
  for (int I = 0; I < 3; ++I) Before.push_back(static_cast<int>(SendMessageA(List, LVM_GETCOLUMNWIDTH, I, 0)));
  const int AddTop = Form->btnAdd->Top(), OKLeft = Form->btnOK->Left(), ListWidth = Form->lvShellCommands->Width();
  SetWindowPos(Form->Handle(), nullptr, 0, 0, Form->Width() + 200, Form->Height() + 40, SWP_NOMOVE | SWP_NOZORDER);
  PumpFor(50);
  ASSERT_EQ(Form->lvShellCommands->Width(), ListWidth + 200);
  const std::vector<int> Expected = ScaleColumnWidths(Before, ListWidth + 200, GetSystemMetrics(SM_CXVSCROLL));
  for (int I = 0; I < 3; ++I) EXPECT_EQ(SendMessageA(List, LVM_GETCOLUMNWIDTH, I, 0), Expected[I]) << I;
  EXPECT_EQ(Form->btnAdd->Top(), AddTop + 40);
  EXPECT_EQ(Form->btnOK->Left(), OKLeft + 200);
}

TEST(ShellCommandEditorWindow, BothDialogsRunModallyAndClose) {
  TObjectPtr<TShellCommandEditorWindow> Form(TShellCommandEditorWindow::Create(Application));
  bool WatchdogFired = false;
  TModalResult Result = RunRealModal(
      *Form,
      [](TCustomForm& F) { PostMessageA(static_cast<TShellCommandEditorWindow&>(F).btnOK->Handle(), BM_CLICK, 0, 0); },
      WatchdogFired);
  EXPECT_FALSE(WatchdogFired);
  EXPECT_EQ(Result, mrOk);

  TObjectPtr<TSingleShellCommandEditor> Single(TSingleShellCommandEditor::Create(Form.get()));
  Result = RunRealModal(
      *Single,
      [](TCustomForm& F) {
        auto& Dialog = static_cast<TSingleShellCommandEditor&>(F);
        Type(Dialog.eCommandName, "Compile");
        PostMessageA(Dialog.btnOK->Handle(), BM_CLICK, 0, 0);
      },
      WatchdogFired);
  EXPECT_FALSE(WatchdogFired);
  EXPECT_EQ(Result, mrOk);
}

}  // namespace
