// A form resource that uses every control and component of the dialog layer: read into real
// windows, its event bindings and references resolved, and written back the same way.
#include <gtest/gtest.h>

#include "classlib/Buttons.h"
#include "classlib/ComCtrls.h"
#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/FormStream.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "tests/support/DialogTestSupport.h"

using namespace testsupport;

namespace {
class TDialogPartsForm : public TForm {
  VD_CLASS(TDialogPartsForm, TForm);

public:
  using TForm::TForm;
  TImageList* Images = nullptr;
  TPanel* Panel2 = nullptr;
  TMemo* mItemData = nullptr;
  TSplitter* Splitter1 = nullptr;
  TListView* lvRows = nullptr;
  TListBox* lbIcons = nullptr;
  TComboBox* cbFilter = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TImage* imgIcon = nullptr;
  TBevel* Bevel1 = nullptr;
  TStaticText* StaticText1 = nullptr;
  TBitBtn* btnChoose = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TTreeView* tvTree = nullptr;
  TPopupMenu* pmRows = nullptr;
  TMenuItem* miAdd = nullptr;
  TMenuItem* miIcons = nullptr;
  TMenuItem* miIcon0 = nullptr;
  TOpenDialog* OpenDialog = nullptr;
  TColorDialog* ColorDialog = nullptr;
  std::vector<std::string> Log;

  void FormResize(TObject*) { Log.push_back("resize"); }
  void lvRowsEdited(TObject*, TListItem*, std::string&) {}
  void lbIconsClick(TObject*) {}
  void cbFilterChange(TObject*) {}
  void btnChooseClick(TObject*) {
    TPoint P = ClientToScreen(Point(btnChoose->Left(), btnChoose->Top() + btnChoose->Height()));
    pmRows->Popup(P.x, P.y);
  }
  void tvTreeChange(TObject*, TTreeNode*) {}
  void tvTreeDeletion(TObject*, TTreeNode* Node) { Log.push_back("delete " + Node->Text()); }
  void miAddClick(TObject*) { Log.push_back("add"); }
};

VD_DEFINE_CLASS(TDialogPartsForm) {
  C.Field("Images", &TDialogPartsForm::Images);
  C.Field("Panel2", &TDialogPartsForm::Panel2);
  C.Field("mItemData", &TDialogPartsForm::mItemData);
  C.Field("Splitter1", &TDialogPartsForm::Splitter1);
  C.Field("lvRows", &TDialogPartsForm::lvRows);
  C.Field("lbIcons", &TDialogPartsForm::lbIcons);
  C.Field("cbFilter", &TDialogPartsForm::cbFilter);
  C.Field("GroupBox1", &TDialogPartsForm::GroupBox1);
  C.Field("imgIcon", &TDialogPartsForm::imgIcon);
  C.Field("Bevel1", &TDialogPartsForm::Bevel1);
  C.Field("StaticText1", &TDialogPartsForm::StaticText1);
  C.Field("btnChoose", &TDialogPartsForm::btnChoose);
  C.Field("btnOK", &TDialogPartsForm::btnOK);
  C.Field("btnCancel", &TDialogPartsForm::btnCancel);
  C.Field("tvTree", &TDialogPartsForm::tvTree);
  C.Field("pmRows", &TDialogPartsForm::pmRows);
  C.Field("miAdd", &TDialogPartsForm::miAdd);
  C.Field("miIcons", &TDialogPartsForm::miIcons);
  C.Field("miIcon0", &TDialogPartsForm::miIcon0);
  C.Field("OpenDialog", &TDialogPartsForm::OpenDialog);
  C.Field("ColorDialog", &TDialogPartsForm::ColorDialog);
  C.Method<&TDialogPartsForm::FormResize>("FormResize");
  C.Method<&TDialogPartsForm::lvRowsEdited>("lvRowsEdited");
  C.Method<&TDialogPartsForm::lbIconsClick>("lbIconsClick");
  C.Method<&TDialogPartsForm::cbFilterChange>("cbFilterChange");
  C.Method<&TDialogPartsForm::btnChooseClick>("btnChooseClick");
  C.Method<&TDialogPartsForm::tvTreeChange>("tvTreeChange");
  C.Method<&TDialogPartsForm::tvTreeDeletion>("tvTreeDeletion");
  C.Method<&TDialogPartsForm::miAddClick>("miAddClick");
}
}  // namespace

TEST(DialogFormResource, EveryNewControlIsReadWithItsWindowBindingsAndReferences) {
  TObjectPtr<TDialogPartsForm> Form(TDialogPartsForm::Create(nullptr));
  ASSERT_NE(Form->tvTree, nullptr);
  EXPECT_EQ(Form->Constraints()->MinWidth(), 300);
  EXPECT_EQ(Form->Position(), poScreenCenter);

  TListView* LV = Form->lvRows;
  ASSERT_EQ(LV->Columns()->Count(), 2);
  EXPECT_EQ(LV->Columns()->Items(1)->Caption(), "Visible Name");
  EXPECT_EQ(SendMessageA(LV->Handle(), LVM_GETCOLUMNWIDTH, 1, 0), 120);
  EXPECT_EQ(GetWindowLongPtrA(LV->Handle(), GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(GetWindowLongPtrA(LV->Handle(), GWL_STYLE) & LVS_NOSORTHEADER);
  EXPECT_EQ(LV->SmallImages(), Form->Images);
  EXPECT_EQ(LV->PopupMenu(), Form->pmRows);
  EXPECT_TRUE(LV->OnEdited);
  EXPECT_EQ(LV->Anchors(), (TAnchors{akLeft, akTop, akRight, akBottom}));

  EXPECT_EQ(Form->lbIcons->Items()->Count(), 2);
  EXPECT_EQ(SendMessageA(Form->lbIcons->Handle(), LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(Form->cbFilter->ItemIndex(), 2) << "set before its items were read";
  EXPECT_EQ(Form->cbFilter->Text(), "Normal");
  EXPECT_EQ(Form->mItemData->Lines()->Get(1), "line two");
  EXPECT_EQ(Form->mItemData->Align(), alBottom);
  EXPECT_EQ(Form->imgIcon->Parent(), Form->GroupBox1);
  EXPECT_EQ(Form->Bevel1->Shape(), bsTopLine);
  EXPECT_EQ(Form->StaticText1->Width(), 227) << "no auto size";
  EXPECT_EQ(Form->btnChoose->Layout(), blGlyphRight);
  EXPECT_EQ(Form->btnChoose->Glyph()->Width(), 7);
  EXPECT_EQ(Form->btnChoose->Glyph()->TransparentColor(), static_cast<TColor>(RGB(0, 0x80, 0x80)));
  EXPECT_TRUE(Form->btnOK->Default());
  EXPECT_EQ(Form->btnCancel->ModalResult(), mrCancel);
  EXPECT_EQ(Form->Splitter1->Align(), alRight);

  TTreeView* TV = Form->tvTree;
  ASSERT_EQ(TV->Items()->Count(), 2);
  TTreeNode* Root = TV->Items()->GetFirstNode();
  EXPECT_EQ(Root->Text(), "Shell Extension Root");
  EXPECT_EQ(Root->SelectedIndex(), 1);
  EXPECT_EQ(Root->Item(0)->ImageIndex(), 2);
  EXPECT_TRUE(TV->ReadOnly());
  EXPECT_TRUE(TV->RightClickSelect());
  EXPECT_TRUE(GetWindowLongPtrA(TV->Handle(), GWL_STYLE) & TVS_SHOWSELALWAYS);
  EXPECT_EQ(TV->Images(), Form->Images);

  EXPECT_EQ(Form->pmRows->Images(), Form->Images);
  EXPECT_EQ(Form->miIcons->SubMenuImages(), Form->Images);
  EXPECT_EQ(Form->miIcon0->ImageIndex(), 0);
  EXPECT_EQ(Form->OpenDialog->FilterIndex(), 2);
  EXPECT_EQ(Form->OpenDialog->Title(), "Add Icon to List");
  EXPECT_EQ(Form->ColorDialog->Color(), clRed);

  // Its buttons and menus work through the seams like an editor's would.
  TFakeUIServices Fake;
  Fake.ChoosePopupItem({"Add..."});
  Fake.OnModal<TDialogPartsForm>([](TDialogPartsForm& F) {
    ClickButton(F.btnChoose);
    ClickButton(F.btnOK);
  });
  EXPECT_EQ(Form->ShowModal(), mrOk);
  ASSERT_EQ(Fake.Popups.size(), 1u);
  TPoint Corner = Form->ClientToScreen(Point(Form->btnChoose->Left(), Form->btnChoose->Top() + 25));
  EXPECT_EQ(Fake.Popups[0].X, Corner.x);
  EXPECT_EQ(Fake.Popups[0].Y, Corner.y);
  EXPECT_EQ(Form->Log.back(), "add");
}

TEST(DialogFormResource, WritesWhatItReadAndReadsWhatItWrote) {
  TObjectPtr<TDialogPartsForm> Form(TDialogPartsForm::Create(nullptr));
  std::string Written = WriteComponentToText(Form.get());
  for (const char* Part : {"Items.Nodes = (", "'Shell Extension Root'", "Glyph.Data = {", "Layout = blGlyphRight",
                           "SubMenuImages = Images", "Style = csDropDownList", "Constraints.MinWidth = 300",
                           "Caption = 'Visible Name'", "ViewStyle = vsReport", "OnDeletion = tvTreeDeletion"})
    EXPECT_NE(Written.find(Part), std::string::npos) << Part;
  TObjectPtr<TDialogPartsForm> Again(TDialogPartsForm::Create(nullptr, CreateNewForm));
  ReadComponentFromText(Written, Again.get());
  EXPECT_EQ(WriteComponentToText(Again.get()), Written);
  EXPECT_EQ(Again->tvTree->Items()->Count(), 2);
  EXPECT_EQ(Again->btnChoose->Glyph()->Height(), 4);
}
