// The icon-list component editor behind the IDE's slots: its verb, the dialog driven through the
// scripted services (lines, preview, swatch, add, remove, clear, colour; OK writes once, Cancel
// nothing), the working copy that never reaches the component's tray icon, a handler's assertion
// shown while the dialog stays open, and one run of the real modal loop.
#include <gtest/gtest.h>

#include "tests/nx/iconlist_test_support.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/TempTree.h"
#include "tests/wizard/EditorTestSupport.h"
#include "wizard/Nx_IconListEditor.h"

using namespace testsupport;
using namespace iconsupport;
using TIconList21 = nx21::TNxIconList;

namespace {

using TScript = std::function<void(TIconListEditorWindow&)>;

class IconListEditor : public ::testing::Test {
protected:
  void SetUp() override {
    IdeClearException();
    List.reset(TIconList21::Create(nullptr));
    List->SetBkColor(clRed);
    for (unsigned I = 0; I < 3; ++I) {
      HICON Icon = MakeIcon(16, 20 + I, ikMasked);
      List->AddIcon(Icon);
      DestroyIcon(Icon);
    }
  }
  // The verb on List with Script as the dialog's user; true when the slot succeeded.
  bool RunVerb(TScript Script) {
    Fake.OnModal<TIconListEditorWindow>(std::move(Script));
    auto Editor = MakeComponentEditor("TNxIconList", &Designer, List.get());
    return Editor && Editor->ExecuteVerb(0);
  }
  std::vector<std::vector<uint32_t>> Icons() {
    std::vector<std::vector<uint32_t>> All;
    for (int I = 0; I < List->GetIconCount(); ++I) All.push_back(ListIconBits(List->GetImageList(), I));
    return All;
  }

  TFakeUIServices Fake;
  TCountingDesigner Designer;
  TObjectPtr<TIconList21> List;
  TempTree Dir;
};

// Chooses line Index as the user does (the list box tells its parent of the new selection).
void ChooseLine(TListBox* Box, int Index) {
  Box->SetItemIndex(Index);
  HWND H = Box->Handle();
  SendMessageA(GetParent(H), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(H), LBN_SELCHANGE), reinterpret_cast<LPARAM>(H));
}

void ChooseFilter(TComboBox* Box, int Index) {
  Box->SetItemIndex(Index);
  HWND H = Box->Handle();
  SendMessageA(GetParent(H), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(H), CBN_SELCHANGE), reinterpret_cast<LPARAM>(H));
}

std::vector<std::string> Lines(TListBox* Box) {
  std::vector<std::string> All;
  for (int I = 0; I < Box->Items()->Count(); ++I) All.push_back(Box->Items()->Strings(I));
  return All;
}

TColor PreviewCentre(TIconListEditorWindow& F) { return F.imgIcon->Canvas()->Pixels(24, 24); }

TEST_F(IconListEditor, TheVerbFollowsTheBaseVerbsAndRefusesOtherComponents) {
  auto Editor = MakeComponentEditor("TNxIconList", &Designer, List.get());
  ASSERT_TRUE(Editor);
  EXPECT_EQ(Editor->GetVerbCount(), 1);
  EXPECT_STREQ(Editor->GetVerb(0), "IconList Editor...");
  EXPECT_STREQ(Editor->GetVerb(1), "");
  TObjectPtr<TComponent> Other(TComponent::Create(nullptr));
  EXPECT_THROW(EditIconList(Other.get()), Exception);
  auto OnOther = MakeComponentEditor("TNxIconList", &Designer, Other.get());
  EXPECT_FALSE(OnOther->ExecuteVerb(0));
  EXPECT_EQ(LastIdeException(), "Not a TNxIconList component");
  EXPECT_TRUE(Fake.ModalForms.empty());
}

TEST_F(IconListEditor, OpensOnTheLinesWithNothingSelectedAndCancelWritesNothing) {
  const auto Before = Icons();
  ASSERT_TRUE(RunVerb([&](TIconListEditorWindow& F) {
    EXPECT_EQ(F.Caption(), "Nacre+ Icon List Editor");
    EXPECT_EQ(F.ClientWidth(), 380);
    EXPECT_EQ(F.ClientHeight(), 239);
    EXPECT_EQ(Lines(F.lbImages), (std::vector<std::string>{"Icon #0", "Icon #1", "Icon #2"}));
    EXPECT_EQ(F.lbImages->ItemIndex(), -1);
    EXPECT_EQ(F.cbDrawFilter->ItemIndex(), 6) << "Normal";
    EXPECT_EQ(PreviewCentre(F), clWhite) << "an empty preview";
    EXPECT_EQ(F.pBkColor->Color(), clRed);
    // Changes to the copy only.
    ChooseLine(F.lbImages, 1);
    EXPECT_NE(PreviewCentre(F), clWhite);
    ClickButton(F.btnRemove);
    ClickButton(F.btnClear);
    EXPECT_TRUE(Lines(F.lbImages).empty());
    ClickButton(F.btnCancel);
  }));
  EXPECT_EQ(Designer.Count, 0);
  EXPECT_EQ(Icons(), Before);
  EXPECT_TRUE(Fake.Unfinished.empty());
}

TEST_F(IconListEditor, AddingSelectsAndPreviewsTheIconAndOkWritesTheCopyBackOnce) {
  Fake.AnswerOpenDialog(Dir.File("blue.ico", IcoFile(32, 0x2040C0)));
  Fake.AnswerColorDialog(clBlue);
  ASSERT_TRUE(RunVerb([&](TIconListEditorWindow& F) {
    ClickButton(F.btnAdd);
    EXPECT_EQ(Lines(F.lbImages).back(), "Icon #3");
    EXPECT_EQ(F.lbImages->ItemIndex(), 3);
    EXPECT_EQ(PreviewCentre(F), static_cast<TColor>(RGB(0x20, 0x40, 0xC0))) << "centred";
    ClickButton(F.btnChangeColor);
    EXPECT_EQ(F.pBkColor->Color(), clBlue);
    ClickButton(F.btnOK);
  }));
  ASSERT_EQ(Fake.OpenDialogs.size(), 1u);
  const auto& Open = Fake.OpenDialogs[0];
  EXPECT_EQ(Open.Title, "Add Icon to List");
  EXPECT_EQ(Open.Filter, "All Files|*.*|Icon Files|*.ico");
  EXPECT_EQ(Open.FilterIndex, 2);
  EXPECT_EQ(Open.DefaultExt, "ico");
  EXPECT_EQ(Open.FileName, "*.ico");
  EXPECT_EQ(Fake.ColorDialogs, std::vector<TColor>{clRed}) << "starts on the list's colour";
  EXPECT_EQ(Designer.Count, 1);
  EXPECT_EQ(List->GetIconCount(), 4);
  EXPECT_EQ(List->BkColor(), clBlue);
}

TEST_F(IconListEditor, TheCopyNeverAnimatesNorTouchesTheTrayIconWhichTheComponentKeeps) {
  TObjectPtr<TNxTrayIcon> Tray(TNxTrayIcon::Create(nullptr));
  List->SetDesigning(true);  // as in the form designer
  List->SetTrayIcon(Tray.get());
  List->SetInterval(300);
  List->SetAnimated(true);
  const HICON Shown = Tray->Icon()->Handle();
  ASSERT_TRUE(RunVerb([&](TIconListEditorWindow& F) {
    EXPECT_EQ(F.WorkingCopy()->TrayIcon(), nullptr);
    EXPECT_EQ(F.WorkingCopy()->AnimationTimer(), nullptr);
    ChooseLine(F.lbImages, 0);
    ClickButton(F.btnRemove);  // the copy changes
    ClickButton(F.btnOK);
  }));
  EXPECT_EQ(Tray->Icon()->Handle(), Shown);
  EXPECT_EQ(List->GetIconCount(), 2);
  EXPECT_EQ(List->TrayIcon(), Tray.get());
  EXPECT_EQ(List->Interval(), 300);
  EXPECT_TRUE(List->Animated());
}

TEST_F(IconListEditor, RemoveWithoutSelectionAndAFileThatIsNoIconAreReportedWhileTheDialogStaysOpen) {
  List->SetBkColor(clNone);
  Fake.AnswerOpenDialog(Dir.File("notes.ico", "plain text"));
  ASSERT_TRUE(RunVerb([&](TIconListEditorWindow& F) {
    EXPECT_EQ(F.pBkColor->Caption(), "X") << "no background colour";
    ClickButton(F.btnRemove);
    ClickButton(F.btnAdd);
    EXPECT_EQ(F.lbImages->Items()->Count(), 3);
    ClickButton(F.btnOK);
  }));
  ASSERT_EQ(Fake.MessageBoxes.size(), 1u);
  EXPECT_EQ(Fake.MessageBoxes[0].Text, "Please choose an icon to delete.");
  EXPECT_EQ(Fake.MessageBoxes[0].Flags, static_cast<UINT>(MB_ICONERROR | MB_OK));
  ASSERT_EQ(Fake.Exceptions.size(), 1u);
  EXPECT_EQ(Fake.Exceptions[0].ClassName, "EAssertionFailed");
  EXPECT_EQ(Fake.Exceptions[0].Message.rfind("Icon cannot be loaded (NxIconList, line ", 0), 0u);
  EXPECT_EQ(Designer.Count, 1) << "OK still works";
  EXPECT_EQ(List->GetIconCount(), 3);
}

TEST_F(IconListEditor, EachDrawFilterPreviewsInItsOwnStyle) {
  ASSERT_TRUE(RunVerb([&](TIconListEditorWindow& F) {
    ChooseLine(F.lbImages, 0);
    ChooseFilter(F.cbDrawFilter, 5);  // Mask: the icon's shape in black
    EXPECT_EQ(PreviewCentre(F), clBlack);
    ChooseFilter(F.cbDrawFilter, 6);  // Normal: its colours
    const TColor Normal = PreviewCentre(F);
    EXPECT_NE(Normal, clBlack);
    EXPECT_NE(Normal, clWhite);
    ClickButton(F.btnCancel);
  }));
}

TEST_F(IconListEditor, TheRealModalLoopEndsWithOk) {
  TObjectPtr<TIconListEditorWindow> Window(TIconListEditorWindow::Create(Application, List.get()));
  bool WatchdogFired = false;
  const TModalResult Result = RunRealModal(
      *Window,
      [](TCustomForm& F) { PostMessageA(static_cast<TIconListEditorWindow&>(F).btnOK->Handle(), BM_CLICK, 0, 0); },
      WatchdogFired);
  EXPECT_FALSE(WatchdogFired);
  EXPECT_EQ(Result, mrOk);
}

}  // namespace
