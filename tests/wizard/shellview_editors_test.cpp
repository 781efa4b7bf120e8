// The shell-view form, activation-verb and namespace-column editors behind the IDE's slots: the
// project's form classes as values, the activation-verb dialog (its tree from the stored class
// names, the three settings, the Choose button's popup, lines it does not show kept; OK writes
// once, Cancel nothing, the real modal loop), and the column names, values and typed numbers.
#include <gtest/gtest.h>

#include "tests/support/DialogTestSupport.h"
#include "tests/wizard/EditorTestSupport.h"
#include "tests/wizard/WizardTestSupport.h"
#include "wizard/Nx_ActivationVerbs.h"
#include "wizard/Nx_NamespaceColumnsPropEditor.h"
#include "wizard/Nx_ShellViewFormPropEdit.h"

using namespace testsupport;

namespace {

class ShellViewEditors : public ::testing::Test {
protected:
  void SetUp() override { IdeClearException(); }
  TFakeUIServices Fake;
  TCountingDesigner Designer;
};

std::vector<std::string> Values(IIdePropertyEditor* Editor) {
  TValueSink Sink;
  EXPECT_TRUE(Editor->GetValues(&Sink));
  return Sink.Lines;
}

std::vector<std::string> Lines(const TStrings* List) {
  std::vector<std::string> All;
  for (int I = 0; I < List->Count(); ++I) All.push_back(List->Strings(I));
  return All;
}

TEST_F(ShellViewEditors, TheShellViewFormClassOffersTheProjectsFormClasses) {
  ScopedStandInIde Ide;
  TStandInModule* Project = Ide.OpenProject("Project1.dpr");
  TStandInIde::AddToProject(Project, "Unit1.pas", "Form1");
  TStandInIde::AddToProject(Project, "Unit2.pas", "Form2");
  TObjectPtr<TNxFormShellView> View(TNxFormShellView::Create(nullptr));
  auto Editor = MakePropertyEditor("TNxFormShellView", "ShellViewFormClass", &Designer, View.get());
  ASSERT_TRUE(Editor);
  EXPECT_TRUE(Editor->GetAttributes() & paValueList);
  EXPECT_EQ(Values(Editor.get()), (std::vector<std::string>{"TForm1", "TForm2"}));
  EXPECT_TRUE(Editor->SetValue("TNotInTheProject"));
  EXPECT_EQ(View->ShellViewFormClass(), "TNotInTheProject");
}

// A folder with two file classes (the extension of the first has a class of its own in the
// registry, which the editor must not use) and lines for verbs shown and not shown.
class ActivationVerbs : public ShellViewEditors {
protected:
  void SetUp() override {
    ShellViewEditors::SetUp();
    Classes.reset(TNxFileClasses::Create(nullptr));
    TNxFileClassItem* Txt = static_cast<TNxFileClassItem*>(Classes->FileClasses()->Add());
    Txt->SetFileClassName("TxtFile");
    Txt->SetExtensionName("txt");
    Txt->ShellCommands()->ExtendedCommandNames().Add("Edit");
    TNxFileClassItem* Log = static_cast<TNxFileClassItem*>(Classes->FileClasses()->Add());
    Log->SetFileClassName("LogFile");
    Log->SetExtensionName(".log");
    Folder.reset(TNxFileFolder::Create(nullptr));
    Folder->SetFileClasses(Classes.get());
    Folder->ActivationVerbs()->SetText("TxtFile|Open=Open\nTxtFile|Edit=Explore\nTxtFile|Print=Maybe\nGone|Open=Open\n");
  }
  bool Edit(std::function<void(TActivationVerbsWindow&)> Script) {
    Fake.OnModal<TActivationVerbsWindow>(std::move(Script));
    auto Editor = MakePropertyEditor("TNxFileFolder", "ActivationVerbs", &Designer, Folder.get());
    return Editor && Editor->Edit();
  }
  TObjectPtr<TNxFileClasses> Classes;
  TObjectPtr<TNxFileFolder> Folder;
};

// "Text image" of every node, depth first.
std::vector<std::string> TreeOf(TActivationVerbsWindow& W) {
  std::vector<std::string> All;
  for (int I = 0; I < W.ActionVerbsTree->Items()->Count(); ++I) {
    TTreeNode* N = W.ActionVerbsTree->Items()->Item(I);
    All.push_back(std::string(N->Level() ? "  " : "") + N->Text() + " " + std::to_string(N->ImageIndex()) +
                  (N->SelectedIndex() == N->ImageIndex() ? "" : " selected " + std::to_string(N->SelectedIndex())));
  }
  return All;
}

TTreeNode* VerbNode(TActivationVerbsWindow& W, int ClassIndex, const std::string& Verb) {
  TTreeNode* Class = W.ActionVerbsTree->Items()->GetFirstNode();
  for (int I = 0; I < ClassIndex; ++I) Class = Class->GetNextSibling();
  for (TTreeNode* N = Class->GetFirstChild(); N; N = N->GetNextSibling())
    if (N->Text() == Verb) return N;
  return Class;
}

void Pick(TFakeUIServices& Fake, TActivationVerbsWindow& W, TTreeNode* Node, const std::string& Item) {
  W.ActionVerbsTree->SetSelected(Node);
  Fake.ChoosePopupItem({Item});
  ClickButton(W.btnChoose);
}

TEST_F(ActivationVerbs, TheDialogShowsTheStoredClassNamesAndOkWritesTheEditedLinesOnce) {
  auto Editor = MakePropertyEditor("TNxFileFolder", "ActivationVerbs", &Designer, Folder.get());
  EXPECT_EQ(Editor->GetAttributes(), static_cast<uint32_t>(paDialog));
  EXPECT_STREQ(Editor->GetValue(), "{ActivationVerbs}");

  ASSERT_TRUE(Edit([&](TActivationVerbsWindow& W) {
    EXPECT_EQ(W.Caption(), "Activation Verbs Editor");
    EXPECT_EQ(W.ClientWidth(), 453);
    EXPECT_EQ(TreeOf(W), (std::vector<std::string>{"TxtFile (txt) -1", "  Open 0", "  Print -1", "  Explore -1",
                                                   "  Find -1", "  OpenAs -1", "  Properties -1", "  Edit 1",
                                                   "LogFile (.log) -1", "  Open -1", "  Print -1", "  Explore -1",
                                                   "  Find -1", "  OpenAs -1", "  Properties -1"}));
    Pick(Fake, W, VerbNode(W, 0, "Find"), "Set to Explore");
    Pick(Fake, W, VerbNode(W, 0, "Open"), "Set to Nothing");
    Pick(Fake, W, VerbNode(W, 1, "Print"), "Set to Open");
    Pick(Fake, W, VerbNode(W, 1, "Nothing here"), "Set to Open");  // the class node itself: nothing
    EXPECT_EQ(VerbNode(W, 0, "Find")->ImageIndex(), 1);
    EXPECT_EQ(VerbNode(W, 0, "Open")->SelectedIndex(), -1);
    EXPECT_EQ(VerbNode(W, 1, "Print")->ImageIndex(), 0);
    ASSERT_FALSE(Fake.Popups.empty());
    const TPoint Corner = W.ClientToScreen(Point(W.btnChoose->Left(), W.btnChoose->Top() + W.btnChoose->Height()));
    EXPECT_EQ(Fake.Popups.back().X, Corner.x);
    EXPECT_EQ(Fake.Popups.back().Y, Corner.y);
    EXPECT_EQ(Fake.Popups.back().Captions,
              (std::vector<std::string>{"Set to Open", "Set to Explore", "-", "Set to Nothing"}));
    ClickButton(W.btnOK);
  }));
  EXPECT_EQ(Designer.Count, 1);
  EXPECT_EQ(Lines(Folder->ActivationVerbs()),
            (std::vector<std::string>{"TxtFile|Edit=Explore", "TxtFile|Print=Maybe", "Gone|Open=Open",
                                      "TxtFile|Find=Explore", "LogFile|Print=Open"}));
}

TEST_F(ActivationVerbs, CancelWritesNothingAndAFolderWithoutClassesShowsAnEmptyTree) {
  const auto Before = Lines(Folder->ActivationVerbs());
  ASSERT_TRUE(Edit([&](TActivationVerbsWindow& W) {
    Pick(Fake, W, VerbNode(W, 0, "Find"), "Set to Open");
    ClickButton(W.btnCancel);
  }));
  EXPECT_EQ(Designer.Count, 0);
  EXPECT_EQ(Lines(Folder->ActivationVerbs()), Before);

  Folder->SetFileClasses(nullptr);
  ASSERT_TRUE(Edit([&](TActivationVerbsWindow& W) {
    EXPECT_EQ(W.ActionVerbsTree->Items()->Count(), 0);
    ClickButton(W.btnOK);
  }));
  EXPECT_EQ(Designer.Count, 1);
  EXPECT_EQ(Lines(Folder->ActivationVerbs()), Before);

  TObjectPtr<TComponent> NoFolder(TComponent::Create(nullptr));
  auto Editor = MakePropertyEditor("TNxFileFolder", "ActivationVerbs", &Designer, NoFolder.get());
  EXPECT_TRUE(Editor->Edit());
  EXPECT_EQ(Fake.ModalForms.size(), 2u) << "no dialog for another component";
}

TEST_F(ActivationVerbs, TheRealModalLoopEndsWithOk) {
  TObjectPtr<TActivationVerbsWindow> Window(TActivationVerbsWindow::Create(Application));
  Window->LoadFrom(Folder.get());
  bool WatchdogFired = false;
  const TModalResult Result = RunRealModal(
      *Window,
      [](TCustomForm& F) { PostMessageA(static_cast<TActivationVerbsWindow&>(F).btnOK->Handle(), BM_CLICK, 0, 0); },
      WatchdogFired);
  EXPECT_FALSE(WatchdogFired);
  EXPECT_EQ(Result, mrOk);
}

TEST_F(ShellViewEditors, ColumnPropertiesShowColumnNamesAndTakeNumbersOnly) {
  TObjectPtr<TNxNamespaceDetails> Details(TNxNamespaceDetails::Create(nullptr));
  for (const char* Name : {"Name", "Size", "Type"}) Details->GetColumns()->Add()->SetName(Name);
  auto Sorting = MakePropertyEditor("TNxNamespaceDetails", "DefSortingColumn", &Designer, Details.get());
  ASSERT_TRUE(Sorting);
  EXPECT_TRUE(Sorting->GetAttributes() & paValueList);
  EXPECT_EQ(Values(Sorting.get()), (std::vector<std::string>{"0 - Name", "1 - Size", "2 - Type"}));
  for (const auto& [Stored, Shown] : {std::pair{1, "Size"}, std::pair{-1, ""}, std::pair{3, ""}}) {
    Details->DefSortingColumn = Stored;
    EXPECT_STREQ(Sorting->GetValue(), Shown) << Stored;
  }
  for (const auto& [Typed, Stored] : {std::pair{"2 - Type", 2}, std::pair{"", -1}, std::pair{" 1 ", 1}}) {
    EXPECT_TRUE(Sorting->SetValue(Typed)) << Typed;
    EXPECT_EQ(Details->DefSortingColumn, Stored) << Typed;
  }
  EXPECT_EQ(Designer.Count, 3);
  EXPECT_FALSE(Sorting->SetValue("12-x"));
  EXPECT_EQ(LastIdeException(), "'12-x' is not a valid integer value");
  EXPECT_EQ(Details->DefSortingColumn, 1);

  // The common columns offer their owner's columns; without an owner none.
  Details->CommonColumns()->ColumnType = 2;
  auto Type = MakePropertyEditor("TNxNamespaceCommonColumns", "ColumnType", &Designer, Details->CommonColumns());
  EXPECT_STREQ(Type->GetValue(), "Type");
  EXPECT_EQ(Values(Type.get()).size(), 3u);
  TObjectPtr<TNxNamespaceCommonColumns> Orphan(TNxNamespaceCommonColumns::Create(nullptr));
  Orphan->ColumnType = 0;
  auto OrphanType = MakePropertyEditor("TNxNamespaceCommonColumns", "ColumnType", &Designer, Orphan.get());
  EXPECT_STREQ(OrphanType->GetValue(), "");
  EXPECT_TRUE(Values(OrphanType.get()).empty());

  TObjectPtr<TComponent> NoDetails(TComponent::Create(nullptr));
  auto Wrong = MakePropertyEditor("TNxNamespaceDetails", "DefDisplayColumn", &Designer, NoDetails.get());
  TValueSink Sink;
  EXPECT_FALSE(Wrong->GetValues(&Sink));
  EXPECT_EQ(LastIdeException(), "Invalid class typecast");
}

}  // namespace
