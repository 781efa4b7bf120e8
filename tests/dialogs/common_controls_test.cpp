// The list view and the tree view over the real common controls.
#include <gtest/gtest.h>

#include <cstring>

#include "classlib/ComCtrls.h"
#include "classlib/Forms.h"
#include "tests/support/DialogTestSupport.h"

using namespace testsupport;

namespace {
std::string ItemText(HWND LV, int Item, int Sub) {
  char Text[64] = {};
  LVITEMA Info{};
  Info.iSubItem = Sub;
  Info.pszText = Text;
  Info.cchTextMax = sizeof Text;
  SendMessageA(LV, LVM_GETITEMTEXTA, static_cast<WPARAM>(Item), reinterpret_cast<LPARAM>(&Info));
  return Text;
}

TVITEMW TreeItem(HWND TV, HTREEITEM Item, wchar_t* Text = nullptr, int Room = 0) {
  TVITEMW Info{};
  Info.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | (Text ? TVIF_TEXT : 0);
  Info.hItem = Item;
  Info.pszText = Text;
  Info.cchTextMax = Room;
  SendMessageW(TV, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&Info));
  return Info;
}

// Ends the in-place edit of a list or tree view with Text, as the user does with Enter.
void TypeIntoEdit(HWND Edit, const wchar_t* Text) {
  ASSERT_NE(Edit, nullptr);
  SetWindowTextW(Edit, Text);
  SendMessageW(Edit, WM_KEYDOWN, VK_RETURN, 0);
  PumpFor(50);
}

// Records the list and tree view events.
struct TEvents {
  std::vector<std::string> Log;
  TCustomTreeView* Tree = nullptr;
  void Edited(TObject*, TListItem* Item, std::string& S) {
    Log.push_back("edited " + Item->Caption() + " -> " + S);
    if (S.find(',') != std::string::npos) S = Item->Caption();  // refused
  }
  void Changed(TObject*, TTreeNode* Node) { Log.push_back("change " + (Node ? Node->Text() : "nil")); }
  void Deleted(TObject*, TTreeNode* Node) {
    Log.push_back("delete " + Node->Text() + " of " + std::to_string(Tree->Items()->Count()));
  }
  void NodeEdited(TObject*, TTreeNode* Node, std::string& S) { Log.push_back("edited " + Node->Text()); }
};
}  // namespace

TEST(ListView, ReportRowsColumnsImagesAndSelectionFollowTheItems) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr, CreateNewForm));
  TObjectPtr<TImageList> Images(TImageList::Create(nullptr));
  auto* LV = TListView::Create(Form.get());  // set up before it has a window
  LV->SetViewStyle(vsReport);
  LV->SetRowSelect(true);
  LV->SetSmallImages(Images.get());
  for (auto [Caption, Width] : {std::pair{"Name", 80}, {"Visible Name", 150}, {"Shell Command String", 200}}) {
    TListColumn* Column = LV->Columns()->Add();
    Column->SetCaption(Caption);
    Column->SetWidth(Width);
  }
  int Marker = 7;
  TListItem* Compile = LV->Items()->Add();
  Compile->SetCaption("Compile");
  Compile->SubItems()->Add("&Compile");
  Compile->SubItems()->Add("cc.exe \"%1\"");
  Compile->SetData(&Marker);
  LV->Items()->Add()->SetCaption("Run");
  LV->Items()->Insert(0)->SetCaption("First");
  LV->SetSelected(Compile);
  LV->SetParent(Form.get());
  LV->SetBounds(4, 5, 451, 141);

  HWND W = LV->Handle();
  EXPECT_EQ(GetWindowLongPtrA(W, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(SendMessageA(W, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
  EXPECT_EQ(SendMessageA(W, LVM_GETCOLUMNWIDTH, 2, 0), 200);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(W, LVM_GETIMAGELIST, LVSIL_SMALL, 0)), Images->Handle());
  EXPECT_EQ(SendMessageA(W, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(ItemText(W, 0, 0), "First");
  EXPECT_EQ(ItemText(W, 1, 2), "cc.exe \"%1\"");
  EXPECT_EQ(LV->Selected(), Compile);
  EXPECT_EQ(*static_cast<int*>(LV->Items()->Item(1)->Data()), 7);

  // The user selects a row and drags a column wider; a new window keeps both.
  LVITEMA State{};
  State.stateMask = State.state = LVIS_SELECTED;
  SendMessageA(W, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&State));
  EXPECT_EQ(LV->ItemIndex(), 2);
  SendMessageA(W, LVM_SETCOLUMNWIDTH, 0, 95);
  EXPECT_EQ(LV->Columns()->Items(0)->Width(), 95);
  LV->RecreateWnd();
  W = LV->Handle();
  EXPECT_EQ(LV->ItemIndex(), 2);
  EXPECT_EQ(SendMessageA(W, LVM_GETCOLUMNWIDTH, 0, 0), 95);
  EXPECT_EQ(ItemText(W, 1, 1), "&Compile");

  // Items change in place; -1 shows no image; a new image list handle reaches the window.
  Compile->SubItems()->Put(0, "Co&mpile");
  EXPECT_EQ(ItemText(W, 1, 1), "Co&mpile");
  Compile->SetImageIndex(-1);
  LVITEMA Image{};
  Image.mask = LVIF_IMAGE;
  Image.iItem = 1;
  SendMessageA(W, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&Image));
  EXPECT_EQ(Image.iImage, I_IMAGENONE);
  TObjectPtr<TImageList> Other(TImageList::Create(nullptr));
  Other->Handle();
  Images->Assign(Other.get());
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(W, LVM_GETIMAGELIST, LVSIL_SMALL, 0)), Images->Handle());
  LV->Items()->Delete(0);
  EXPECT_EQ(ItemText(W, 0, 0), "Compile");
  EXPECT_EQ(Compile->Index(), 0);
  LV->SetSelected(nullptr);
  EXPECT_EQ(LV->Selected(), nullptr);
  Images.reset();  // a freed list leaves the list view
  EXPECT_EQ(LV->SmallImages(), nullptr);
  EXPECT_EQ(SendMessageA(W, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}

TEST(ListView, CaptionsAreEditedInPlaceThroughOnEditedAndTheContextMenuPopsUp) {
  TFakeUIServices Fake;
  TObjectPtr<TForm> Form(TForm::Create(nullptr, CreateNewForm));
  auto* LV = TListView::Create(Form.get());
  LV->SetParent(Form.get());
  LV->SetBounds(0, 0, 300, 150);
  LV->SetViewStyle(vsReport);
  LV->Columns()->Add()->SetCaption("Sheet Caption");
  TEvents Events;
  LV->OnEdited = TLVEditedEvent::Bind<&TEvents::Edited>(&Events);
  TListItem* Item = LV->Items()->Add();
  Item->SetCaption("Script Info");
  Form->Show();

  ASSERT_TRUE(Item->EditCaption());
  TypeIntoEdit(reinterpret_cast<HWND>(SendMessageA(LV->Handle(), LVM_GETEDITCONTROL, 0, 0)), L"Details");
  EXPECT_EQ(Item->Caption(), "Details");
  ASSERT_TRUE(Item->EditCaption());
  TypeIntoEdit(reinterpret_cast<HWND>(SendMessageA(LV->Handle(), LVM_GETEDITCONTROL, 0, 0)), L"A, B");
  EXPECT_EQ(Item->Caption(), "Details") << "the handler refused it";
  EXPECT_EQ(ItemText(LV->Handle(), 0, 0), "Details");
  EXPECT_EQ(Events.Log, (std::vector<std::string>{"edited Script Info -> Details", "edited Details -> A, B"}));
  LV->SetReadOnly(true);
  EXPECT_FALSE(Item->EditCaption());

  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  LV->SetPopupMenu(Menu.get());
  SendMessageA(LV->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(LV->Handle()), MAKELPARAM(30, 40));
  ASSERT_EQ(Fake.Popups.size(), 1u);
  EXPECT_EQ(Fake.Popups[0].X, 30);
  EXPECT_EQ(Menu->PopupComponent(), LV);
}

TEST(TreeView, NodesImagesDataAndUnicodeTextsReachTheWindow) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr, CreateNewForm));
  auto* TV = TTreeView::Create(Form.get());
  int Marker = 3;
  TTreeNode* Root = TV->Items()->AddChild(nullptr, "Shell Extension Root");
  Root->SetImageIndex(0);
  Root->SetSelectedIndex(1);
  TTreeNode* Folder = TV->Items()->AddChildObject(Root, "New Folder", &Marker);
  TTreeNode* Item = TV->Items()->AddChild(Folder, "New Item");
  TV->Items()->Add(Folder, "Sibling");
  TV->SetParent(Form.get());
  HWND W = TV->Handle();
  EXPECT_EQ(TV->Items()->Count(), 4);
  EXPECT_EQ(TV->Items()->Item(2), Item) << "depth first";
  EXPECT_EQ(Folder->GetNextSibling()->Text(), "Sibling");
  EXPECT_EQ(Item->Level(), 2);
  EXPECT_EQ(TreeItem(W, Root->ItemId()).iSelectedImage, 1);
  EXPECT_EQ(TreeItem(W, Item->ItemId()).iImage, I_IMAGENONE) << "-1 must not ask for a callback";
  EXPECT_EQ(reinterpret_cast<TTreeNode*>(TreeItem(W, Folder->ItemId()).lParam), Folder);
  EXPECT_EQ(*static_cast<int*>(Folder->Data()), 3);

  std::wstring Wide = L"Ordner \u4e2d\u6587";
  Folder->SetWideText(Wide);
  wchar_t Text[64] = {};
  TreeItem(W, Folder->ItemId(), Text, 64);
  EXPECT_EQ(Text, Wide);
  Item->SetImageIndex(2);
  Root->Expand(true);
  Item->SetSelected(true);
  TV->RecreateWnd();  // the nodes, the selection and the expanded state go into the new window
  W = TV->Handle();
  TreeItem(W, Folder->ItemId(), Text, 64);
  EXPECT_EQ(Text, Wide);
  EXPECT_EQ(TreeItem(W, Item->ItemId()).iImage, 2);
  EXPECT_TRUE(Folder->Expanded());
  EXPECT_EQ(TV->Selected(), Item);
  EXPECT_EQ(TV->Indent(), 19);
}

TEST(TreeView, DeletionIsAnnouncedForEveryNodeWhileTheTreeIsWholeAlsoWhenTheFormGoes) {
  TEvents Events;
  auto* Form = TForm::Create(nullptr, CreateNewForm);
  auto* TV = TTreeView::Create(Form);
  Events.Tree = TV;
  TV->SetParent(Form);
  Form->HandleNeeded();
  TV->OnChange = TTVChangedEvent::Bind<&TEvents::Changed>(&Events);
  TV->OnDeletion = TTVChangedEvent::Bind<&TEvents::Deleted>(&Events);
  TTreeNode* Root = TV->Items()->AddChild(nullptr, "Root");
  TTreeNode* A = TV->Items()->AddChild(Root, "A");
  TV->Items()->AddChild(A, "A1");
  TV->Items()->AddChild(A, "A2");
  TTreeNode* B = TV->Items()->AddChild(Root, "B");
  Root->Expand(true);
  TV->SetSelected(A);
  EXPECT_EQ(Events.Log, std::vector<std::string>{"change A"});
  Events.Log.clear();

  A->Delete();
  ASSERT_GE(Events.Log.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(Events.Log.begin(), Events.Log.begin() + 3),
            (std::vector<std::string>{"delete A1 of 5", "delete A2 of 5", "delete A of 5"}));
  ASSERT_TRUE(TV->Selected() == B || TV->Selected() == Root) << "the new selection, outside the subtree";
  EXPECT_EQ(Events.Log.back(), "change " + TV->Selected()->Text());
  EXPECT_EQ(TV->Items()->Count(), 2);
  EXPECT_EQ(Root->Count(), 1);
  Root->DeleteChildren();
  EXPECT_EQ(Root->Count(), 0);

  TV->Items()->AddChild(Root, "C");
  Events.Log.clear();
  Form->Free();  // every node is announced, no selection change
  EXPECT_EQ(Events.Log, (std::vector<std::string>{"delete C of 2", "delete Root of 2"}));
}

TEST(TreeView, EditingInPlaceKeepsTheTypedTextAndARightClickSelectsBeforeThePopup) {
  TFakeUIServices Fake;
  TObjectPtr<TForm> Form(TForm::Create(nullptr, CreateNewForm));
  Form->SetBounds(100, 100, 300, 200);
  auto* TV = TTreeView::Create(Form.get());
  TV->SetParent(Form.get());
  TV->SetBounds(0, 0, 250, 150);
  TEvents Events;
  TV->OnEdited = TTVEditedEvent::Bind<&TEvents::NodeEdited>(&Events);
  TTreeNode* Root = TV->Items()->AddChild(nullptr, "Shell Extension Root");
  TTreeNode* Folder = TV->Items()->AddChild(Root, "New Folder");
  Root->Expand(false);
  TV->SetSelected(Root);
  Form->Show();

  ASSERT_TRUE(Folder->EditText());
  std::wstring Typed = L"\u00c4rger \u4e2d";
  TypeIntoEdit(reinterpret_cast<HWND>(SendMessageA(TV->Handle(), TVM_GETEDITCONTROL, 0, 0)), Typed.c_str());
  EXPECT_EQ(Folder->WideText(), Typed) << "not narrowed to the code page";
  EXPECT_EQ(Events.Log, std::vector<std::string>{"edited New Folder"});

  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  TV->SetPopupMenu(Menu.get());
  TV->SetRightClickSelect(true);
  RECT R{};
  HTREEITEM Which = Folder->ItemId();
  std::memcpy(&R, &Which, sizeof Which);  // TVM_GETITEMRECT takes the item in the rectangle
  SendMessageA(TV->Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&R));
  POINT P{R.left + 5, (R.top + R.bottom) / 2};
  EXPECT_EQ(TV->GetNodeAt(P.x, P.y), Folder);
  POINT S = P;
  ClientToScreen(TV->Handle(), &S);
  SetCursorPos(S.x, S.y);
  PostMessageA(TV->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(P.x, P.y));
  SendMessageA(TV->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(P.x, P.y));
  PumpFor(100);
  EXPECT_EQ(TV->Selected(), Folder);
  EXPECT_EQ(Fake.Popups.size(), 1u);

  TV->SetReadOnly(true);
  EXPECT_FALSE(Folder->EditText());
}
