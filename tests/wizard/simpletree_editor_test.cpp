// The simple-tree component editor behind the IDE's slots: its verb, the provider's tree loaded and
// stored again (every level, item children, indices, lines, wide captions), the popup menu's add,
// delete and icon choices, the memo of the current node, Cancel, and the real modal loop.
#include <gtest/gtest.h>

#include "tests/nx/iconlist_test_support.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/wizard/EditorTestSupport.h"
#include "wizard/Nx_SimpleTreeComponentEditor.h"

using namespace testsupport;

namespace {

using TScript = std::function<void(TSimpleTreeComponentEditor&)>;

TNxSimpleTreeDataGrain* AddGrain(TNxSimpleTreeDataGrain* Parent, const std::wstring& Caption, int Kind,
                                 int Image = -1, int OpenImage = -1, const std::string& Lines = "") {
  TNxSimpleTreeDataGrain* Grain = Parent->CreateChild();
  Parent->Add(Grain);
  Grain->Caption = Caption;
  Grain->Kind = Kind;
  Grain->ImageIndex = Image;
  Grain->OpenImageIndex = OpenImage;
  Grain->Data.SetText(Lines);
  return Grain;
}

// Each grain below Grain, depth first: indentation, caption, kind, indices and lines.
void Dump(TNxSimpleTreeDataGrain* Grain, std::vector<std::wstring>& Out, const std::wstring& Indent = L"") {
  for (int I = 0; I < Grain->GetCount(); ++I) {
    TNxSimpleTreeDataGrain* G = Grain->GetItems(I);
    Out.push_back(Indent + G->Caption + L" " + std::to_wstring(G->Kind) + L" " + std::to_wstring(G->ImageIndex) +
                  L" " + std::to_wstring(G->OpenImageIndex) + L" [" + AnsiToWide(G->Data.Text()) + L"]");
    Dump(G, Out, Indent + L"  ");
  }
}

class SimpleTreeEditor : public ::testing::Test {
protected:
  void SetUp() override {
    IdeClearException();
    Provider.reset(TNxSimpleTreeProvider::Create(nullptr));
  }
  std::vector<std::wstring> Tree() {
    std::vector<std::wstring> Lines;
    Dump(Provider->Root(), Lines);
    return Lines;
  }
  bool RunVerb(TScript Script) {
    Fake.OnModal<TSimpleTreeComponentEditor>(std::move(Script));
    auto Editor = MakeComponentEditor("TNxSimpleTreeProvider", &Designer, Provider.get());
    return Editor && Editor->ExecuteVerb(0);
  }
  // A sample tree: a folder with an item (that has a child of its own), a folder with its own
  // icon, and an item with a caption outside the code page.
  void SampleTree() {
    TNxSimpleTreeDataGrain* Docs = AddGrain(Provider->Root(), L"Documents", kGrainFolder, -1, -1, "path=C:\\Docs\n");
    TNxSimpleTreeDataGrain* Letter = AddGrain(Docs, L"Letter", kGrainItem, 5, -1, "a\nb\n");
    AddGrain(Letter, L"Attachment", kGrainItem);
    AddGrain(Provider->Root(), L"Pictures", kGrainFolder, 4, 4);
    AddGrain(Provider->Root(), L"\u4e2d\u6587 \u0416", kGrainItem);
  }

  TFakeUIServices Fake;
  TCountingDesigner Designer;
  TObjectPtr<TNxSimpleTreeProvider> Provider;
};

// The node with this text (depth first).
TTreeNode* Node(TSimpleTreeComponentEditor& F, const std::string& Text) {
  for (int I = 0; I < F.TreeView->Items()->Count(); ++I)
    if (F.TreeView->Items()->Item(I)->Text() == Text) return F.TreeView->Items()->Item(I);
  ADD_FAILURE() << "no node " << Text;
  return nullptr;
}

// Selects Node and picks Path from the tree's popup menu (opened as the context-menu key does).
void Pick(TFakeUIServices& Fake, TSimpleTreeComponentEditor& F, TTreeNode* Selected, std::vector<std::string> Path) {
  F.TreeView->SetSelected(Selected);
  Fake.ChoosePopupItem(std::move(Path));
  HWND TV = F.TreeView->Handle();
  POINT P{10, 10};
  ClientToScreen(TV, &P);
  SendMessageA(TV, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(TV), MAKELPARAM(P.x, P.y));
}

TEST_F(SimpleTreeEditor, TheVerbFollowsTheBaseVerbsAndRefusesOtherComponents) {
  auto Editor = MakeComponentEditor("TNxSimpleTreeProvider", &Designer, Provider.get());
  ASSERT_TRUE(Editor);
  EXPECT_EQ(Editor->GetVerbCount(), 1);
  EXPECT_STREQ(Editor->GetVerb(0), "Tree Editor...");
  TObjectPtr<TComponent> Other(TComponent::Create(nullptr));
  auto OnOther = MakeComponentEditor("TNxSimpleTreeProvider", &Designer, Other.get());
  EXPECT_FALSE(OnOther->ExecuteVerb(0));
  EXPECT_EQ(LastIdeException(), "Not a TNxSimpleTreeProvider component");
  EXPECT_TRUE(Fake.ModalForms.empty());
}

TEST_F(SimpleTreeEditor, OkStoresTheWholeTreeAsLoadedAndCancelNothing) {
  SampleTree();
  const auto Before = Tree();
  ASSERT_TRUE(RunVerb([&](TSimpleTreeComponentEditor& F) {
    EXPECT_EQ(F.Caption(), "Simple Tree editor");
    EXPECT_EQ(F.TreeView->Items()->Count(), 6);
    TTreeNode* Root = F.TreeView->Items()->GetFirstNode();
    EXPECT_EQ(Root->Text(), "Shell Extension Root");
    TTreeNode* Docs = Root->GetFirstChild();
    EXPECT_EQ(Docs->ImageIndex(), 0) << "a folder's default pictures";
    EXPECT_EQ(Docs->SelectedIndex(), 1);
    EXPECT_EQ(Docs->GetFirstChild()->ImageIndex(), 5);
    EXPECT_EQ(Docs->GetFirstChild()->SelectedIndex(), 2) << "an item's default open picture";
    Pick(Fake, F, Docs, {"Add Folder"});  // changes that Cancel drops
    Pick(Fake, F, Docs->GetNextSibling(), {"Delete"});
    ClickButton(F.btnCancel);
  }));
  EXPECT_EQ(Designer.Count, 0);
  EXPECT_EQ(Tree(), Before);

  ASSERT_TRUE(RunVerb([&](TSimpleTreeComponentEditor& F) { ClickButton(F.btnOK); }));
  EXPECT_EQ(Designer.Count, 1);
  EXPECT_EQ(Tree(), Before) << "every level, item children and the wide caption come back unchanged";
}

TEST_F(SimpleTreeEditor, NewNodesGoUnderTheRootAndFoldersOnlyAndTheRootStays) {
  AddGrain(Provider->Root(), L"Pictures", kGrainFolder, 4, 4);
  AddGrain(Provider->Root(), L"Readme", kGrainItem);
  ASSERT_TRUE(RunVerb([&](TSimpleTreeComponentEditor& F) {
    TTreeNode* Root = F.TreeView->Items()->GetFirstNode();
    Pick(Fake, F, Root, {"Delete"});
    Pick(Fake, F, Root, {"Add Item"});
    Pick(Fake, F, Node(F, "Pictures"), {"Add Folder"});  // a folder with an icon of its own
    Pick(Fake, F, Node(F, "Readme"), {"Add Folder"});    // an item takes none
    Pick(Fake, F, Node(F, "New Folder"), {"Add Item"});
    EXPECT_EQ(Node(F, "New Folder")->ImageIndex(), 0);
    EXPECT_EQ(Node(F, "New Folder")->SelectedIndex(), 1);
    EXPECT_EQ(Root->GetFirstChild()->Text(), "Pictures");
    ClickButton(F.btnOK);
  }));
  EXPECT_EQ(Tree(), (std::vector<std::wstring>{L"Pictures 0 4 4 []", L"  New Folder 0 -1 -1 []",
                                               L"    New Item 1 -1 -1 []", L"Readme 1 -1 -1 []",
                                               L"New Item 1 -1 -1 []"}));
  ASSERT_FALSE(Fake.Popups.empty());
  EXPECT_EQ(Fake.Popups[0].Captions,
            (std::vector<std::string>{"Add Folder", "Add Item", "-", "Delete", "-", "Item Icon", "Open Icon"}));
}

TEST_F(SimpleTreeEditor, IconSubMenusOfferTheProvidersIconsAndStoreTheChoice) {
  TObjectPtr<nx21::TNxIconList> Icons(nx21::TNxIconList::Create(nullptr));
  for (unsigned I = 0; I < 3; ++I) {
    HICON Icon = iconsupport::MakeIcon(16, I, iconsupport::ikMasked);
    Icons->AddIcon(Icon);
    DestroyIcon(Icon);
  }
  Provider->SetIcons(Icons.get());  // neither small nor large icons: the provider's own list
  AddGrain(Provider->Root(), L"Docs", kGrainFolder, 1, 1);
  ASSERT_TRUE(RunVerb([&](TSimpleTreeComponentEditor& F) {
    std::vector<std::string> Offered;
    for (int I = 0; I < F.miItemIcon->Count(); ++I) Offered.push_back(F.miItemIcon->Items(I)->Caption());
    EXPECT_EQ(Offered, (std::vector<std::string>{"0", "1", "2", "Default Index (-1)"}));
    EXPECT_EQ(F.miItemOpenIcon->Count(), 4);
    EXPECT_EQ(F.ImageList->Count(), 3);
    Pick(Fake, F, F.TreeView->Items()->GetFirstNode(), {"Item Icon", "2"});  // the root: nothing
    TTreeNode* Docs = Node(F, "Docs");
    Pick(Fake, F, Docs, {"Item Icon", "2"});
    Pick(Fake, F, Docs, {"Open Icon", "Default Index (-1)"});
    EXPECT_EQ(Docs->ImageIndex(), 2);
    EXPECT_EQ(Docs->SelectedIndex(), -1) << "no picture shown";
    EXPECT_EQ(F.TreeView->Items()->GetFirstNode()->ImageIndex(), 0);
    ClickButton(F.btnOK);
  }));
  EXPECT_EQ(Tree(), std::vector<std::wstring>{L"Docs 0 2 -1 []"});
  EXPECT_TRUE(Fake.Exceptions.empty());

  Provider->SetIcons(nullptr);  // no icon list at all
  ASSERT_TRUE(RunVerb([&](TSimpleTreeComponentEditor& F) {
    ASSERT_EQ(F.miItemIcon->Count(), 1);
    EXPECT_EQ(F.miItemIcon->Items(0)->Caption(), "Default Index (-1)");
    ClickButton(F.btnCancel);
  }));
}

TEST_F(SimpleTreeEditor, TheMemoEditsTheCurrentNodeWhoseLinesSurviveAnotherNodesDeletion) {
  AddGrain(Provider->Root(), L"A", kGrainItem, -1, -1, "a1\n");
  AddGrain(Provider->Root(), L"B", kGrainItem, -1, -1, "b1\n");
  AddGrain(Provider->Root(), L"C", kGrainItem);
  AddGrain(Provider->Root(), L"D", kGrainItem);
  ASSERT_TRUE(RunVerb([&](TSimpleTreeComponentEditor& F) {
    F.TreeView->SetSelected(Node(F, "D"));
    SetWindowTextA(F.mItemData->Handle(), "d2");
    Pick(Fake, F, Node(F, "D"), {"Delete"});  // the current node goes, and its lines with it
    EXPECT_EQ(F.CurrentNode(), nullptr);
    F.TreeView->SetSelected(Node(F, "A"));
    EXPECT_EQ(F.mItemData->Lines()->Text(), "a1\r\n");
    SetWindowTextA(F.mItemData->Handle(), "a2");
    F.TreeView->SetSelected(Node(F, "B"));  // A keeps what was typed
    SetWindowTextA(F.mItemData->Handle(), "b2");
    Node(F, "C")->Delete();  // another node goes: B's typing is still to be stored
    EXPECT_EQ(F.CurrentNode(), Node(F, "B"));
    ClickButton(F.btnOK);
  }));
  EXPECT_EQ(Tree(), (std::vector<std::wstring>{L"A 1 -1 -1 [a2\r\n]", L"B 1 -1 -1 [b2\r\n]"}));
}

TEST_F(SimpleTreeEditor, TheRealModalLoopEndsWithOk) {
  TObjectPtr<TSimpleTreeComponentEditor> Dialog(TSimpleTreeComponentEditor::Create(Application));
  bool WatchdogFired = false;
  const TModalResult Result = RunRealModal(
      *Dialog,
      [](TCustomForm& F) {
        PostMessageA(static_cast<TSimpleTreeComponentEditor&>(F).btnOK->Handle(), BM_CLICK, 0, 0);
      },
      WatchdogFired);
  EXPECT_FALSE(WatchdogFired);
  EXPECT_EQ(Result, mrOk);
}

}  // namespace
