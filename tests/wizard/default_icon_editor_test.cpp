// The default-icon editor: the icons of a library of our own (four), of an icon file, of a library
// without icons and of a text file; the file name without its folder and the icon's index from the
// item; Enter in the file-name box loads; a load asked for while one runs starts it over, closing
// the dialog ends it; browsing leaves the current directory as it was.
#include <gtest/gtest.h>

#include "classlib/Graphics.h"
#include "classlib/SysUtils.h"
#include "standins/NxRuntimeStandIns.h"
#include "tests/support/TempTree.h"
#include "tests/wizard/EditorTestSupport.h"

using namespace testsupport;

namespace {

const std::string kIconLibrary = WindowsPathOfUnix(TEST_ICONS_DLL);  // four icons
const std::string kIconFile = WindowsPathOfUnix(TEST_ICON_FILE);     // one icon
const std::string kLibraryName = ExtractFileName(kIconLibrary);

// The icon index each item carries, in list order.
std::vector<intptr_t> ItemData(TNxShellFolderDefaultIcon& Form) {
  std::vector<intptr_t> Data;
  for (int I = 0; I < Form.lvFileIcons->Items()->Count(); ++I)
    Data.push_back(reinterpret_cast<intptr_t>(Form.lvFileIcons->Items()->Item(I)->Data()));
  return Data;
}

std::string CurrentDirectory() {
  char Path[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, Path);
  return Path;
}

TEST(IconContainer, ExecutablesAndIconFilesByTheirFirstBytes) {
  const uint8_t Pe[] = {'M', 'Z', 0x90, 0}, Ico[] = {0, 0, 1, 0}, Cursor[] = {0, 0, 2, 0}, Text[] = {'a', 'b', 'c'};
  EXPECT_TRUE(IsIconContainerHead(Pe, 2));
  EXPECT_TRUE(IsIconContainerHead(Ico, 4));
  EXPECT_FALSE(IsIconContainerHead(Ico, 3));
  EXPECT_FALSE(IsIconContainerHead(Cursor, 4));
  EXPECT_FALSE(IsIconContainerHead(Text, 3));
  EXPECT_FALSE(IsIconContainerHead(Pe, 1));
}

class DefaultIconDialog : public ::testing::Test {
protected:
  void SetUp() override { Form->Show(); }
  void Load(const std::string& FileName) {
    Form->edtFileName->SetText(FileName);
    Form->LoadIcons();
  }
  TFakeUIServices Fake;
  TObjectPtr<TNxShellFolderDefaultIcon> Form{TNxShellFolderDefaultIcon::Create(Application)};
};

TEST_F(DefaultIconDialog, OneItemPerIconWithItsIndexAndEveryExtractedHandleGoes) {
  Load(kIconLibrary);
  EXPECT_EQ(ItemData(*Form), (std::vector<intptr_t>{0, 1, 2, 3}));
  EXPECT_EQ(Form->ImageList->Count(), 4);
  EXPECT_EQ(Form->ImageList->Width(), 32);
  const long GdiBefore = graphics_detail::LiveGdiObjects();
  Load(kIconLibrary);
  EXPECT_EQ(graphics_detail::LiveGdiObjects(), GdiBefore) << "the list keeps copies, the handles go";
  Load(kIconFile);
  EXPECT_EQ(ItemData(*Form), std::vector<intptr_t>{0});
  EXPECT_EQ(Form->ImageList->Count(), 1);

  Load(kIconLibrary + ".missing");
  EXPECT_EQ(Form->lvFileIcons->Items()->Count(), 1) << "a name without a file leaves the list";
  Load(WindowsPathOfUnix(CORE_IDE70_BPL));
  EXPECT_EQ(Form->lvFileIcons->Items()->Count(), 0) << "a library without icons";
  EXPECT_TRUE(Fake.MessageBoxes.empty());

  TempTree Tree;
  Load(Tree.File("notes.txt", "no icons here"));
  ASSERT_EQ(Fake.MessageBoxes.size(), 1u);
  EXPECT_EQ(Fake.MessageBoxes[0].Text, "Invalid icon file.");
  EXPECT_EQ(Fake.MessageBoxes[0].Flags, static_cast<UINT>(MB_ICONERROR | MB_OK));
}

TEST_F(DefaultIconDialog, ALoadAskedForMeanwhileStartsOverAndClosingEndsIt) {
  // Browse, clicked while the library loads, picks the icon file: only its icon is listed.
  Fake.AnswerOpenDialog(kIconFile);
  Form->edtFileName->SetText(kIconLibrary);
  PostMessageA(Form->btnBrowse->Handle(), BM_CLICK, 0, 0);
  Form->LoadIcons();
  EXPECT_EQ(Form->edtFileName->Text(), kIconFile);
  EXPECT_EQ(ItemData(*Form), std::vector<intptr_t>{0});
  EXPECT_EQ(Form->ImageList->Count(), 1);

  PostMessageA(Form->btnOK->Handle(), BM_CLICK, 0, 0);
  Load(kIconLibrary);
  EXPECT_EQ(Form->ModalResult(), mrOk);
  EXPECT_EQ(ItemData(*Form), std::vector<intptr_t>{0}) << "stopped after the first icon";
}

TEST_F(DefaultIconDialog, BrowsingKeepsTheCurrentDirectoryEvenWhenItFailsAndACancelledBrowseStillLoads) {
  TempTree Tree;
  const std::string Before = CurrentDirectory();
  Fake.OpenDialogAnswers.push_back([&](TOpenDialog& D) {
    SetCurrentDirectoryA(Tree.Root().c_str());  // as the system dialog may
    D.SetFileName(kIconLibrary);
    return true;
  });
  ClickButton(Form->btnBrowse);
  EXPECT_EQ(CurrentDirectory(), Before);
  EXPECT_EQ(Form->edtFileName->Text(), kIconLibrary);
  EXPECT_EQ(Form->lvFileIcons->Items()->Count(), 4);
  ASSERT_EQ(Fake.OpenDialogs.size(), 1u);
  EXPECT_EQ(Fake.OpenDialogs[0].Filter, "All files (*.*)|*.*|Executable files (*.exe;*.dll)|*.exe;*.dll");
  EXPECT_EQ(Fake.OpenDialogs[0].FilterIndex, 0);
  EXPECT_EQ(Fake.OpenDialogs[0].DefaultExt, "*");
  EXPECT_EQ(Fake.OpenDialogs[0].FileName, "*.*");

  Type(Form->edtFileName, kIconFile);
  ClickButton(Form->btnBrowse);  // cancelled
  EXPECT_EQ(Form->lvFileIcons->Items()->Count(), 1);

  // A dialog that fails: the application's report shows it, the directory is back, the dialog works on.
  Fake.OpenDialogAnswers.push_back([&](TOpenDialog&) -> bool {
    SetCurrentDirectoryA(Tree.Root().c_str());
    throw Exception("no dialog today");
  });
  ClickButton(Form->btnBrowse);
  ASSERT_EQ(Fake.Exceptions.size(), 1u);
  EXPECT_EQ(Fake.Exceptions[0].Message, "no dialog today");
  EXPECT_EQ(CurrentDirectory(), Before);
  ClickButton(Form->btnOK);
  EXPECT_EQ(Form->ModalResult(), mrOk);
}

class DefaultIconEditor : public ::testing::Test {
protected:
  TObjectPtr<TNxCustomShellFolder> Folder{TNxCustomShellFolder::Create(nullptr)};
  TObjectPtr<TNxOverlayIcon> Overlay{TNxOverlayIcon::Create(nullptr)};
  TCountingDesigner Designer;
  TFakeUIServices Fake;
  TIdePropertyEditorPtr FolderEditor{IdePropertyEditor("TNxCustomShellFolder", "DefaultIcon", Folder.get(), &Designer)};
  TIdePropertyEditorPtr OverlayEditor{IdePropertyEditor("TNxOverlayIcon", "IconFile", Overlay.get(), &Designer)};
};

TEST_F(DefaultIconEditor, EnterLoadsAndOkStoresTheFileNameWithTheItemsIconIndex) {
  Folder->SetDefaultIcon("old.dll,1");
  EXPECT_STREQ(FolderEditor->GetValue(), "old.dll,1");
  EXPECT_EQ(FolderEditor->GetAttributes(), static_cast<uint32_t>(paDialog));
  Fake.OnModal<TNxShellFolderDefaultIcon>([](TNxShellFolderDefaultIcon& F) {
    EXPECT_EQ(F.edtFileName->Text(), "") << "the dialog starts empty";
    Type(F.edtFileName, kIconLibrary);
    F.edtFileName->SetFocus();
    PostMessageA(F.edtFileName->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(PumpUntil([&] { return F.lvFileIcons->Items()->Count() == 4; }));
    EXPECT_EQ(F.ModalResult(), mrNone) << "Enter loaded instead of pressing OK";
    F.lvFileIcons->SetFocus();  // as a click on an icon does (the box, left, loads again)
    F.lvFileIcons->Items()->Delete(0);  // the item that shows icon 3 is now the third
    SelectRow(F.lvFileIcons, 2);
    ClickButton(F.btnOK);
  });
  EXPECT_TRUE(FolderEditor->Edit());
  EXPECT_EQ(Folder->DefaultIcon(), kLibraryName + ",3");
  EXPECT_EQ(Designer.Count, 1);
  EXPECT_TRUE(Fake.Unfinished.empty());
}

TEST_F(DefaultIconEditor, OkWithoutASelectionStoresNoIconAndCancelNothing) {
  Folder->SetDefaultIcon("old.dll,1");
  Overlay->SetIconFile("old.dll");
  Overlay->SetIconIndex(2);
  auto LoadAnd = [](TButton* TNxShellFolderDefaultIcon::*Button) {
    return [Button](TNxShellFolderDefaultIcon& F) {
      Type(F.edtFileName, kIconLibrary);
      F.LoadIcons();
      ClickButton(F.*Button);
    };
  };
  Fake.OnModal<TNxShellFolderDefaultIcon>(LoadAnd(&TNxShellFolderDefaultIcon::btnCancel));
  Fake.OnModal<TNxShellFolderDefaultIcon>(LoadAnd(&TNxShellFolderDefaultIcon::btnCancel));
  EXPECT_TRUE(FolderEditor->Edit());
  EXPECT_TRUE(OverlayEditor->Edit());
  EXPECT_EQ(Folder->DefaultIcon(), "old.dll,1");
  EXPECT_EQ(Overlay->IconIndex(), 2);
  EXPECT_EQ(Designer.Count, 0);

  Fake.OnModal<TNxShellFolderDefaultIcon>(LoadAnd(&TNxShellFolderDefaultIcon::btnOK));
  Fake.OnModal<TNxShellFolderDefaultIcon>(LoadAnd(&TNxShellFolderDefaultIcon::btnOK));
  EXPECT_TRUE(FolderEditor->Edit());
  EXPECT_TRUE(OverlayEditor->Edit());
  EXPECT_EQ(Folder->DefaultIcon(), "");
  EXPECT_STREQ(OverlayEditor->GetValue(), kLibraryName.c_str());
  EXPECT_EQ(Overlay->IconIndex(), -1);
  EXPECT_EQ(Designer.Count, 2);
}

TEST_F(DefaultIconEditor, AnotherComponentHasNoValueAndNoDialog) {
  TObjectPtr<TComponent> Plain(TComponent::Create(nullptr));
  TIdePropertyEditorPtr Other = IdePropertyEditor("TNxCustomShellFolder", "DefaultIcon", Plain.get(), &Designer);
  EXPECT_STREQ(Other->GetValue(), "");
  EXPECT_TRUE(Other->Edit());
  EXPECT_TRUE(Fake.ModalForms.empty());
}

TEST(DefaultIconDialogModal, RunsModallyAndCloses) {
  TObjectPtr<TNxShellFolderDefaultIcon> Form(TNxShellFolderDefaultIcon::Create(Application));
  bool WatchdogFired = false;
  TModalResult Result = RunRealModal(
      *Form,
      [](TCustomForm& F) {
        auto& Dialog = static_cast<TNxShellFolderDefaultIcon&>(F);
        Dialog.edtFileName->SetText(kIconLibrary);
        PostMessageA(Dialog.btnCancel->Handle(), BM_CLICK, 0, 0);
      },
      WatchdogFired);
  EXPECT_FALSE(WatchdogFired);
  EXPECT_EQ(Result, mrCancel);
}

}  // namespace
