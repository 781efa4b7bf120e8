#include "wizard/Nx_IconListEditor.h"

#include "classlib/TypInfo.h"

VD_DEFINE_CLASS(TNxIconListEditor) {}

int TNxIconListEditor::GetVerbCount() { return inherited::GetVerbCount() + 1; }

std::string TNxIconListEditor::GetVerb(int Index) {
  const int Base = inherited::GetVerbCount();
  if (Index < Base) return inherited::GetVerb(Index);
  return Index == Base ? "IconList Editor..." : "";
}

void TNxIconListEditor::ExecuteVerb(int Index) {
  const int Base = inherited::GetVerbCount();
  if (Index < Base)
    inherited::ExecuteVerb(Index);
  else if (Index == Base && EditIconList(Component()))
    Modified();
}

bool EditIconList(TComponent* Component) {
  auto* IconList = dynamic_cast<nx21::TNxIconList*>(Component);
  if (!IconList) throw Exception("Not a TNxIconList component");
  TObjectPtr<TIconListEditorWindow> Window(TIconListEditorWindow::Create(Application, IconList));
  return Window->ShowModal() == mrOk;
}

// ---- TIconListEditorWindow ------------------------------------------------------------------------

VD_DEFINE_CLASS(TIconListEditorWindow) {
  using T = TIconListEditorWindow;
  C.Field("GroupBox1", &T::GroupBox1);
  C.Field("IconViewPanel", &T::IconViewPanel);
  C.Field("imgIcon", &T::imgIcon);
  C.Field("Label1", &T::Label1);
  C.Field("cbDrawFilter", &T::cbDrawFilter);
  C.Field("Label3", &T::Label3);
  C.Field("pBkColor", &T::pBkColor);
  C.Field("btnChangeColor", &T::btnChangeColor);
  C.Field("btnOK", &T::btnOK);
  C.Field("btnCancel", &T::btnCancel);
  C.Field("Label2", &T::Label2);
  C.Field("lbImages", &T::lbImages);
  C.Field("btnAdd", &T::btnAdd);
  C.Field("btnRemove", &T::btnRemove);
  C.Field("btnClear", &T::btnClear);
  C.Field("OpenDialog", &T::OpenDialog);
  C.Field("ColorDialog", &T::ColorDialog);
  C.Method<&T::FormCreate>("FormCreate");
  C.Method<&T::btnAddClick>("btnAddClick");
  C.Method<&T::btnRemoveClick>("btnRemoveClick");
  C.Method<&T::btnClearClick>("btnClearClick");
  C.Method<&T::btnChangeColorClick>("btnChangeColorClick");
  C.Method<&T::btnOKClick>("btnOKClick");
  C.Method<&T::cbDrawFilterChange>("cbDrawFilterChange");
  C.Method<&T::lbImagesClick>("lbImagesClick");
  C.Method<&T::lbImagesKeyPress>("lbImagesKeyPress");
}

TIconListEditorWindow::TIconListEditorWindow(TComponent* AOwner, nx21::TNxIconList* IconList)
    : TForm(AOwner), FIconList(IconList) {}

void TIconListEditorWindow::AfterConstruction() {
  inherited::AfterConstruction();  // the form resource, then OnCreate
  FCopy = nx21::TNxIconList::Create(this);
  FCopy->AssignIcons(FIconList);
  UpdateIconList();
  UpdateIconView();
}

void TIconListEditorWindow::UpdateIconList() {
  const int Selected = lbImages->ItemIndex();
  TStrings* Lines = lbImages->Items();
  Lines->BeginUpdate();
  Lines->Clear();
  const int Count = FCopy->GetIconCount();
  for (int I = 0; I < Count; ++I) Lines->Add("Icon #" + IntToStr(I));
  Lines->EndUpdate();
  lbImages->SetItemIndex(Selected < Count ? Selected : -1);
}

void TIconListEditorWindow::UpdateIconView() {
  TCanvas* Canvas = imgIcon->Canvas();
  const int W = imgIcon->Width(), H = imgIcon->Height();
  Canvas->FillRect(Rect(0, 0, W, H));
  const int Index = lbImages->ItemIndex();
  if (Index >= 0) {
    const int Filter = cbDrawFilter->ItemIndex();
    const auto Style = Filter >= 0 ? static_cast<TNxIconDrawStyle>(Filter) : ildNormal;
    FCopy->DrawIcon(Canvas, Index, W / 2 - FCopy->Width() / 2, H / 2 - FCopy->Height() / 2, Style);
  }
  // A list without a background colour: the swatch says so instead of showing a colour.
  const TColor Background = FCopy->BkColor();
  pBkColor->SetColor(Background == clNone ? clBtnFace : Background);
  pBkColor->SetCaption(Background == clNone ? "X" : "");
  imgIcon->Invalidate();
}

void TIconListEditorWindow::FormCreate(TObject*) { cbDrawFilter->SetItemIndex(6); }

void TIconListEditorWindow::btnAddClick(TObject*) {
  if (!OpenDialog->Execute()) return;
  FCopy->AddIconFromFile(OpenDialog->FileName());
  UpdateIconList();
  UpdateIconView();
  lbImages->SetItemIndex(lbImages->Items()->Count() - 1);
  UpdateIconView();
}

void TIconListEditorWindow::btnRemoveClick(TObject*) {
  const int Index = lbImages->ItemIndex();
  if (Index < 0) {
    Application->MessageBox("Please choose an icon to delete.", "Error", MB_ICONERROR | MB_OK);
    return;
  }
  FCopy->Remove(Index);
  UpdateIconList();
  UpdateIconView();
}

void TIconListEditorWindow::btnClearClick(TObject*) {
  FCopy->Clear();
  UpdateIconList();
  UpdateIconView();
}

void TIconListEditorWindow::btnChangeColorClick(TObject*) {
  ColorDialog->SetColor(FCopy->BkColor());
  if (!ColorDialog->Execute()) return;
  FCopy->SetBkColor(ColorDialog->Color());
  UpdateIconView();
}

void TIconListEditorWindow::btnOKClick(TObject*) { FIconList->AssignIcons(FCopy); }

void TIconListEditorWindow::cbDrawFilterChange(TObject*) { UpdateIconView(); }
void TIconListEditorWindow::lbImagesClick(TObject*) { UpdateIconView(); }
void TIconListEditorWindow::lbImagesKeyPress(TObject*, char&) { UpdateIconView(); }

// ---- Registration ---------------------------------------------------------------------------------

void Nx_IconListEditor_DoRegister() {
  RegisterComponentEditor(ClassOf<nx21::TNxIconList>(), TComponentEditorClass::Of<TNxIconListEditor>());
}
