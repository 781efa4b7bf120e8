// The default-icon editor: the icons of a library of our own (four), of an icon file, of a library
// without icons and of a text file; the file name without its folder and the icon's index from the
// item; Enter in the file-name box loads; a load asked for while one runs starts it over, closing
// the dialog ends it; browsing leaves the current directory as it was; OK stores the file the list
// shows, whatever the box names by then, and a typed overlay file name trimmed; the listed file by
// another name (short, "\\?\") counts as listed.
#include <gtest/gtest.h>

#include "classlib/Graphics.h"
#include "classlib/SysUtils.h"
#include "standins/NxRuntimeStandIns.h"
#include "tests/support/TempTree.h"
#include "tests/wizard/EditorTestSupport.h"
#include "wizard/Nx_DefaultShellFolderIcon.h"

using namespace testsupport;

namespace {

const std::string kIconLibrary = WindowsPathOfUnix(TEST_ICONS_DLL);  // four icons
const std::string kIconFile = WindowsPathOfUnix(TEST_ICON_FILE);     // one icon

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

class DefaultIconDialog : public ::testing::Test {
protected:
  void SetUp() override { Form->Show(); }
  std::vector<intptr_t> Load(const std::string& FileName) {
    Form->edtFileName->SetText(FileName);
    Form->LoadIcons();
    return ItemData(*Form);
  }
  TFakeUIServices Fake;
  TObjectPtr<TNxShellFolderDefaultIcon> Form{TNxShellFolderDefaultIcon::Create(Application)};
};

TEST_F(DefaultIconDialog, OneItemPerIconAndAMessageOnlyForAFileThatCannotHoldIcons) {
  EXPECT_EQ(Load(kIconLibrary), (std::vector<intptr_t>{0, 1, 2, 3}));
  EXPECT_EQ(Form->ImageList->Count(), 4);
  const long GdiBefore = graphics_detail::LiveGdiObjects();
  Load(kIconLibrary);
  EXPECT_EQ(graphics_detail::LiveGdiObjects(), GdiBefore) << "the list keeps copies, the handles go";
  EXPECT_EQ(Load(kIconFile), std::vector<intptr_t>{0});
  EXPECT_EQ(Load(kIconLibrary + ".missing"), std::vector<intptr_t>{0}) << "no such file: the list stays";
  EXPECT_TRUE(Load(WindowsPathOfUnix(CORE_IDE70_BPL)).empty()) << "a library without icons";
  EXPECT_TRUE(Fake.MessageBoxes.empty());

  TempTree Tree;
  Load(Tree.File("notes.txt", "no icons here"));
  ASSERT_EQ(Fake.MessageBoxes.size(), 1u);
  EXPECT_EQ(Fake.MessageBoxes[0].Text, "Invalid icon file.");
  EXPECT_EQ(Fake.MessageBoxes[0].Flags, static_cast<UINT>(MB_ICONERROR | MB_OK));
  const uint8_t Cursor[] = {0, 0, 2, 0};
  EXPECT_FALSE(IsIconContainerHead(Cursor, 4));
}

TEST_F(DefaultIconDialog, ALoadAskedForMeanwhileStartsOverAndClosingEndsIt) {
  // Browse, clicked while the library loads, picks the icon file: only its icon is listed.
  Fake.AnswerOpenDialog(kIconFile);
  PostMessageA(Form->btnBrowse->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(Load(kIconLibrary), std::vector<intptr_t>{0});
  EXPECT_EQ(Form->edtFileName->Text(), kIconFile);
  EXPECT_EQ(Form->ImageList->Count(), 1);

  PostMessageA(Form->btnOK->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(Load(kIconLibrary), std::vector<intptr_t>{0}) << "stopped after the first icon";
  EXPECT_EQ(Form->ModalResult(), mrOk);
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
  EXPECT_EQ(ItemData(*Form).size(), 4u);
  ASSERT_EQ(Fake.OpenDialogs.size(), 1u);
  EXPECT_EQ(Fake.OpenDialogs[0].Filter, "All files (*.*)|*.*|Executable files (*.exe;*.dll)|*.exe;*.dll");
  EXPECT_EQ(Fake.OpenDialogs[0].FilterIndex, 0);

  Type(Form->edtFileName, kIconFile);
  ClickButton(Form->btnBrowse);  // cancelled
  EXPECT_EQ(ItemData(*Form).size(), 1u);

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

TEST(DefaultIconEditor, EnterLoadsAndOkStoresTheFileNameWithTheItemsIconIndexOnce) {
  TObjectPtr<TNxCustomShellFolder> Folder(TNxCustomShellFolder::Create(nullptr));
  TObjectPtr<TNxOverlayIcon> Overlay(TNxOverlayIcon::Create(nullptr));
  Folder->SetDefaultIcon("old.dll,1");
  Overlay->SetIconIndex(2);
  TCountingDesigner Designer;
  TFakeUIServices Fake;
  TIdePropertyEditorPtr FolderEditor = MakePropertyEditor("TNxCustomShellFolder", "DefaultIcon", &Designer, Folder.get());
  TIdePropertyEditorPtr OverlayEditor = MakePropertyEditor("TNxOverlayIcon", "IconFile", &Designer, Overlay.get());
  EXPECT_STREQ(FolderEditor->GetValue(), "old.dll,1");

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
    ClickButton(F.btnCancel);
  });
  EXPECT_TRUE(FolderEditor->Edit());
  EXPECT_EQ(Folder->DefaultIcon(), "old.dll,1") << "Cancel";
  EXPECT_EQ(Designer.Count, 0);

  Fake.OnModal<TNxShellFolderDefaultIcon>([](TNxShellFolderDefaultIcon& F) {
    Type(F.edtFileName, kIconLibrary);
    F.LoadIcons();
    F.lvFileIcons->Items()->Delete(0);
    SelectRow(F.lvFileIcons, 2);
    ClickButton(F.btnOK);
  });
  EXPECT_TRUE(FolderEditor->Edit());
  EXPECT_EQ(Folder->DefaultIcon(), ExtractFileName(kIconLibrary) + ",3");
  EXPECT_EQ(Designer.Count, 1);

  for (int Run = 0; Run < 2; ++Run)
    Fake.OnModal<TNxShellFolderDefaultIcon>([](TNxShellFolderDefaultIcon& F) {
      Type(F.edtFileName, kIconLibrary);
      ClickButton(F.btnOK);
    });
  EXPECT_TRUE(FolderEditor->Edit());
  EXPECT_TRUE(OverlayEditor->Edit());
  EXPECT_EQ(Folder->DefaultIcon(), "") << "no icon selected";
  EXPECT_STREQ(OverlayEditor->GetValue(), ExtractFileName(kIconLibrary).c_str());
  EXPECT_EQ(Overlay->IconIndex(), -1);
  EXPECT_EQ(Designer.Count, 3);
}

// What the folder's editor stores when icon 2 of the library is chosen, Then is done, and OK is
// clicked while the file-name box has the focus (so that the box is left first).
std::string StoredAfterChoosingIcon2(const std::function<void(TNxShellFolderDefaultIcon&)>& Then) {
  TObjectPtr<TNxCustomShellFolder> Folder(TNxCustomShellFolder::Create(nullptr));
  TCountingDesigner Designer;
  TFakeUIServices Fake;
  TIdePropertyEditorPtr Editor = MakePropertyEditor("TNxCustomShellFolder", "DefaultIcon", &Designer, Folder.get());
  Fake.OnModal<TNxShellFolderDefaultIcon>([&](TNxShellFolderDefaultIcon& F) {
    Type(F.edtFileName, kIconLibrary);
    F.LoadIcons();
    SelectRow(F.lvFileIcons, 2);
    Then(F);
    F.edtFileName->SetFocus();
    ClickButton(F.btnOK);
  });
  EXPECT_TRUE(Editor->Edit());
  return Folder->DefaultIcon();
}

TEST(DefaultIconEditor, LeavingTheFileNameBoxOrLoadingTheSameFileAgainKeepsTheChosenIcon) {
  EXPECT_EQ(StoredAfterChoosingIcon2([](TNxShellFolderDefaultIcon& F) { F.LoadIcons(); }),  // Enter again
            ExtractFileName(kIconLibrary) + ",2");
}

TEST_F(DefaultIconDialog, LeavingTheBoxThatNamesTheListedFileAnotherWayKeepsTheChosenIcon) {
  const std::string Before = CurrentDirectory();
  SetCurrentDirectoryA(ExtractFilePath(kIconLibrary).c_str());
  Load(kIconLibrary);
  SelectRow(Form->lvFileIcons, 2);
  for (const std::string& Name : {ExtractFileName(kIconLibrary), AnsiUpperCase(kIconLibrary), kIconLibrary + "  "}) {
    Type(Form->edtFileName, Name);
    Form->edtFileNameExit(Form->edtFileName);
    EXPECT_EQ(Form->SelectedIconIndex(), 2) << "\"" << Name << "\" was loaded again";
  }
  SetCurrentDirectoryA(Before.c_str());
}

TEST(DefaultIconEditor, OkAfterTheBoxNamedNoFileStoresTheFileTheChosenIconIsIn) {
  // Leaving the box finds no such file: the list stays.
  auto NameNoFile = [](TNxShellFolderDefaultIcon& F) { Type(F.edtFileName, kIconLibrary + ".missing"); };
  EXPECT_EQ(StoredAfterChoosingIcon2(NameNoFile), ExtractFileName(kIconLibrary) + ",2");
}

TEST(DefaultIconEditor, LeavingTheBoxThatNamesTheListedFileByAnAliasKeepsTheChosenIconForOk) {
  char Short[MAX_PATH];  // "TestIcons.dll" has no 8.3 name of its own
  const DWORD Length = GetShortPathNameA(kIconLibrary.c_str(), Short, MAX_PATH);
  ASSERT_TRUE(Length > 0 && Length < MAX_PATH);
  for (const std::string& Alias : {std::string(Short, Length), "\\\\?\\" + kIconLibrary}) {
    ASSERT_FALSE(AnsiSameText(Alias, kIconLibrary));
    auto NameAlias = [&](TNxShellFolderDefaultIcon& F) { Type(F.edtFileName, Alias); };
    EXPECT_EQ(StoredAfterChoosingIcon2(NameAlias), ExtractFileName(kIconLibrary) + ",2") << Alias;
  }
}

TEST(DefaultIconEditor, OkStoresATypedOverlayIconFileTrimmed) {
  TObjectPtr<TNxOverlayIcon> Overlay(TNxOverlayIcon::Create(nullptr));
  TCountingDesigner Designer;
  TFakeUIServices Fake;
  TIdePropertyEditorPtr Editor = MakePropertyEditor("TNxOverlayIcon", "IconFile", &Designer, Overlay.get());
  Fake.OnModal<TNxShellFolderDefaultIcon>([](TNxShellFolderDefaultIcon& F) {
    Type(F.edtFileName, kIconLibrary + "  ");
    ClickButton(F.btnOK);
  });
  EXPECT_TRUE(Editor->Edit());
  EXPECT_EQ(Overlay->IconFile(), ExtractFileName(kIconLibrary));
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
