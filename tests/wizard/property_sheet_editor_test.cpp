// The property-sheet list editor: lines read into rows and written back (a repeated form class
// keeps its own line), and the dialog driven as the user drives it - the class menu, moves with
// their icons, the image menu, renaming - with OK writing the lines once and Cancel nothing.
#include <gtest/gtest.h>

#include "nx/NxPropertySheetExt.h"
#include "tests/wizard/EditorTestSupport.h"
#include "tests/wizard/WizardTestSupport.h"
#include "wizard/Nx_PropertySheetEditor.h"

using namespace testsupport;

namespace {

using TLines = std::vector<std::string>;
using TRows = std::vector<TSheetRow>;

TLines LinesOf(const TStrings& List) {
  TLines Lines;
  for (int I = 0; I < List.Count(); ++I) Lines.push_back(List.Strings(I));
  return Lines;
}

TLines Written(const TRows& Rows) {
  TStringList List;
  WriteSheetRows(Rows, List);
  return LinesOf(List);
}

TRows Read(const TLines& Lines) {
  TStringList List;
  for (const std::string& Line : Lines) List.Add(Line);
  return ReadSheetRows(List);
}

TEST(SheetRows, LinesComeBackAsTheyWereAndOddOnesReadAsTheExtensionReadsThem) {
  const TLines Lines{"TNxShellPropSheetForm1[0]=Script Info,0", "TForm2[0]=Page = two,12", "TForm3=Third,-1"};
  EXPECT_EQ(Read(Lines)[0], (TSheetRow{"Script Info", "TNxShellPropSheetForm1[0]", 0}));
  EXPECT_EQ(Written(Read(Lines)), Lines);
  EXPECT_EQ(Read({"TForm2=Details", "TForm3=Notes,x", "TForm4"}),
            (TRows{{"Details", "TForm2", -1}, {"Notes", "TForm3", -1}, {"", "TForm4", -1}}));
}

TEST(SheetRows, ARepeatedNameGetsABracketIndexThatNoOtherRowUses) {
  EXPECT_EQ(Written({{"A", "TForm1", -1}, {"B", "tform1", 2}, {"C", "TForm1[1]", 0}, {"D", "TForm1", 3}}),
            (TLines{"TForm1=A,-1", "tform1[2]=B,2", "TForm1[1]=C,0", "TForm1[3]=D,3"}));
}

void RightClick(TListView* List) {
  const TPoint P = List->ClientToScreen(Point(20, 30));
  SendMessageA(List->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List->Handle()), MAKELPARAM(P.x, P.y));
}

void TypeIntoCaption(TListView* List, const char* Text) {
  HWND Edit = reinterpret_cast<HWND>(SendMessageA(List->Handle(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(Edit, nullptr);
  SetWindowTextA(Edit, Text);
  SendMessageA(Edit, WM_KEYDOWN, VK_RETURN, 0);
  PumpFor(50);
}

const TLines kLines{"TNxShellPropSheetForm1[0]=Script Info,0", "TNxShellPropSheetForm2[0]=Details,-1"};

class PropertySheetEditor : public ::testing::Test {
protected:
  void SetUp() override {
    TStandInModule* Project = Ide.OpenProject("Project1.dpr");
    TStandInIde::AddToProject(Project, "Unit1.pas", "Form1");
    TStandInIde::AddToProject(Project, "Unit2.pas", "DataModule1");
    for (const std::string& Line : kLines) Extension->PropertySheets()->Add(Line);
    for (int I = 0; I < 2; ++I) {
      TObjectPtr<TBitmap> Image(TBitmap::Create());
      Image->SetSize(16, 16);
      Images->Add(Image.get(), nullptr);
    }
    Extension->SetImageList(Images.get());
  }
  TLines Lines() const { return LinesOf(*Extension->PropertySheets()); }

  ScopedStandInIde Ide;
  TObjectPtr<TImageList> Images{TImageList::Create(nullptr)};
  TObjectPtr<TNxShellPropSheetExt> Extension{TNxShellPropSheetExt::Create(nullptr)};
  TCountingDesigner Designer;
  TFakeUIServices Fake;
  TIdePropertyEditorPtr Editor{
      MakePropertyEditor("TNxShellPropSheetExt", "PropertySheets", &Designer, Extension.get())};
};

TEST_F(PropertySheetEditor, OkWritesAddedRepeatedAndMovedPagesWithTheirIconsOnce) {
  EXPECT_STREQ(Editor->GetValue(), "{PropertySheets}");
  Fake.ChoosePopupItem({"TForm1"});
  Fake.ChoosePopupItem({"TForm1"});
  Fake.ChoosePopupItem({"1"});
  TPoint Corner{};
  bool RenameBack = false;
  Fake.OnModal<TNxPropSheetExtEdit>([&](TNxPropSheetExtEdit& F) {
    EXPECT_EQ(F.Rows(), Read(kLines));
    Corner = F.btnAddForm->ClientToScreen(Point(0, F.btnAddForm->Height()));
    ClickButton(F.btnAddForm);
    ClickButton(F.btnAddForm);
    SelectRow(F.lvUsedSheets, 0);
    ClickButton(F.btnMoveUp);  // the first row stays
    ClickButton(F.btnChooseImage);
    RenameBack = F.pmImages->Items()->Items(0)->Visible();
    ClickButton(F.btnMoveDown);
    EXPECT_EQ(F.lvUsedSheets->ItemIndex(), 1) << "the moved row stays selected";
    SelectRow(F.lvUsedSheets, 3);
    ClickButton(F.btnMoveDown);  // the last row stays
    ClickButton(F.btnOK);
  });
  EXPECT_TRUE(Editor->Edit());
  EXPECT_EQ(Lines(), (TLines{"TNxShellPropSheetForm2[0]=Details,-1", "TNxShellPropSheetForm1[0]=Script Info,1",
                             "TForm1=TForm1,-1", "TForm1[1]=TForm1,-1"}));
  EXPECT_EQ(Designer.Count, 1);
  ASSERT_EQ(Fake.Popups.size(), 3u);
  EXPECT_EQ(Fake.Popups[0].Captions, (TLines{"TForm1", "TDataModule1"}));
  EXPECT_EQ(Fake.Popups[0].X, Corner.x);
  EXPECT_EQ(Fake.Popups[0].Y, Corner.y);
  EXPECT_EQ(Fake.Popups[2].Captions, (TLines{"-", "-1", "0", "1"})) << "no Rename below the button";
  EXPECT_TRUE(RenameBack);
}

TEST_F(PropertySheetEditor, UntouchedLinesComeBackUnchangedAndCancelWritesNothing) {
  Fake.OnModal<TNxPropSheetExtEdit>([](TNxPropSheetExtEdit& F) { ClickButton(F.btnOK); });
  Fake.OnModal<TNxPropSheetExtEdit>([](TNxPropSheetExtEdit& F) {
    SelectRow(F.lvUsedSheets, 0);
    ClickButton(F.btnRemoveForm);
    ClickButton(F.btnCancel);
  });
  EXPECT_TRUE(Editor->Edit());
  EXPECT_TRUE(Editor->Edit());
  EXPECT_EQ(Lines(), kLines);
  EXPECT_EQ(Designer.Count, 1);
}

TEST_F(PropertySheetEditor, WithoutAnImageListOrASelectionTheImageMenuChangesNothing) {
  Extension->SetImageList(nullptr);
  Fake.ChoosePopupItem({"-1"});
  Fake.ChoosePopupItem({"Rename"});
  Fake.OnModal<TNxPropSheetExtEdit>([](TNxPropSheetExtEdit& F) {
    ClickButton(F.btnChooseImage);
    RightClick(F.lvUsedSheets);
    EXPECT_FALSE(F.lvUsedSheets->IsEditing());
    ClickButton(F.btnOK);
  });
  EXPECT_TRUE(Editor->Edit());
  ASSERT_EQ(Fake.Popups.size(), 2u);
  EXPECT_EQ(Fake.Popups[0].Captions, (TLines{"-", "-1"}));
  EXPECT_EQ(Fake.Popups[1].Captions, (TLines{"Rename", "-", "-1"})) << "a right click offers Rename";
  EXPECT_EQ(Lines(), kLines);
  EXPECT_TRUE(Fake.Exceptions.empty());
}

TEST_F(PropertySheetEditor, ACaptionWithACommaIsRefusedWithAMessage) {
  Fake.ChoosePopupItem({"Rename"});
  Fake.ChoosePopupItem({"Rename"});
  Fake.OnModal<TNxPropSheetExtEdit>([](TNxPropSheetExtEdit& F) {
    SelectRow(F.lvUsedSheets, 0);
    RightClick(F.lvUsedSheets);
    TypeIntoCaption(F.lvUsedSheets, "A, B");
    RightClick(F.lvUsedSheets);
    TypeIntoCaption(F.lvUsedSheets, "Info");
    ClickButton(F.btnOK);
  });
  EXPECT_TRUE(Editor->Edit());
  ASSERT_EQ(Fake.MessageBoxes.size(), 1u);
  EXPECT_EQ(Fake.MessageBoxes[0].Text, "A sheet caption cannot contain a comma.");
  EXPECT_EQ(Lines(), (TLines{"TNxShellPropSheetForm1[0]=Info,0", kLines[1]}));
}

TEST_F(PropertySheetEditor, TheDialogRunsModallyAndCloses) {
  TObjectPtr<TNxPropSheetExtEdit> Form(TNxPropSheetExtEdit::Create(Application));
  Form->LoadSheets(Extension->PropertySheets());
  bool WatchdogFired = false;
  TModalResult Result = RunRealModal(
      *Form,
      [](TCustomForm& F) {
        auto& Dialog = static_cast<TNxPropSheetExtEdit&>(F);
        SelectRow(Dialog.lvUsedSheets, 1);
        PostMessageA(Dialog.btnMoveUp->Handle(), BM_CLICK, 0, 0);
        PostMessageA(Dialog.btnOK->Handle(), BM_CLICK, 0, 0);
      },
      WatchdogFired);
  EXPECT_FALSE(WatchdogFired);
  EXPECT_EQ(Result, mrOk);
  EXPECT_EQ(Form->Rows().front().Caption, "Details");
}

}  // namespace
