#include "wizard/Nx_PropertySheetEditor.h"

#include <algorithm>

#include "classlib/SysUtils.h"
#include "nx/NxPropertySheetExt.h"
#include "wizard/Nx_Tool_Project.h"

VD_DEFINE_CLASS(TNxPropSheetExtEdit) {
  C.Field("Label1", &TNxPropSheetExtEdit::Label1);
  C.Field("lvUsedSheets", &TNxPropSheetExtEdit::lvUsedSheets);
  C.Field("btnAddForm", &TNxPropSheetExtEdit::btnAddForm);
  C.Field("btnRemoveForm", &TNxPropSheetExtEdit::btnRemoveForm);
  C.Field("btnChooseImage", &TNxPropSheetExtEdit::btnChooseImage);
  C.Field("btnMoveUp", &TNxPropSheetExtEdit::btnMoveUp);
  C.Field("btnMoveDown", &TNxPropSheetExtEdit::btnMoveDown);
  C.Field("Bevel1", &TNxPropSheetExtEdit::Bevel1);
  C.Field("Label2", &TNxPropSheetExtEdit::Label2);
  C.Field("btnOK", &TNxPropSheetExtEdit::btnOK);
  C.Field("btnCancel", &TNxPropSheetExtEdit::btnCancel);
  C.Field("pmClasses", &TNxPropSheetExtEdit::pmClasses);
  C.Field("ImageList", &TNxPropSheetExtEdit::ImageList);
  C.Field("pmImages", &TNxPropSheetExtEdit::pmImages);
  C.Method<&TNxPropSheetExtEdit::FormCreate>("FormCreate");
  C.Method<&TNxPropSheetExtEdit::AddSheetClick>("AddSheetClick");
  C.Method<&TNxPropSheetExtEdit::btnAddFormClick>("btnAddFormClick");
  C.Method<&TNxPropSheetExtEdit::btnRemoveFormClick>("btnRemoveFormClick");
  C.Method<&TNxPropSheetExtEdit::btnMoveUpClick>("btnMoveUpClick");
  C.Method<&TNxPropSheetExtEdit::btnMoveDownClick>("btnMoveDownClick");
  C.Method<&TNxPropSheetExtEdit::btnChooseImageClick>("btnChooseImageClick");
  C.Method<&TNxPropSheetExtEdit::SetSheetImageClick>("SetSheetImageClick");
  C.Method<&TNxPropSheetExtEdit::miRenameClick>("miRenameClick");
  C.Method<&TNxPropSheetExtEdit::lvUsedSheetsEdited>("lvUsedSheetsEdited");
}

VD_DEFINE_CLASS(TNxSPSFormsClassesProperty) {}

// ---- The lines as rows --------------------------------------------------------------------------

std::vector<TSheetRow> ReadSheetRows(const TStrings& Lines) {
  std::vector<TSheetRow> Rows;
  for (int I = 0; I < Lines.Count(); ++I) {
    const std::string Line = Lines.Strings(I);
    const size_t Equals = Line.find('=');
    const std::string Value = Equals == std::string::npos ? std::string() : Line.substr(Equals + 1);
    Rows.push_back({GetPropSheetName(Value), Line.substr(0, Equals), GetPropSheetIcon(Value)});
  }
  return Rows;
}

namespace {

bool SameName(const std::string& A, const std::string& B) { return AnsiCompareText(A, B) == 0; }

// "<class>[n]" with the smallest n from 1 that neither a row nor a line written already uses.
std::string UnusedName(const std::string& Name, const std::vector<TSheetRow>& Rows, const TStrings& Lines) {
  const std::string Class = GetPropSheetClassName(Name);
  for (int N = 1;; ++N) {
    const std::string Candidate = Class + "[" + IntToStr(N) + "]";
    if (Lines.IndexOfName(Candidate) < 0 &&
        std::none_of(Rows.begin(), Rows.end(), [&](const TSheetRow& R) { return SameName(R.Name, Candidate); }))
      return Candidate;
  }
}

}  // namespace

void WriteSheetRows(const std::vector<TSheetRow>& Rows, TStrings& Lines) {
  for (const TSheetRow& Row : Rows) {
    const std::string Name = Lines.IndexOfName(Row.Name) < 0 ? Row.Name : UnusedName(Row.Name, Rows, Lines);
    Lines.SetValue(Name, GetComposedName(Row.Caption, Row.ImageIndex));
  }
}

// ---- The dialog ---------------------------------------------------------------------------------

void TNxPropSheetExtEdit::FormCreate(TObject*) {
  TObjectPtr<TStringList> Classes(GetProjectFormClasses());
  for (int I = 0; I < Classes->Count(); ++I) {
    TMenuItem* Item = TMenuItem::Create(this);
    Item->SetCaption(Classes->Strings(I));
    Item->OnClick = TNotifyEvent::Bind<&TNxPropSheetExtEdit::AddSheetClick>(this);
    pmClasses->Items()->Add(Item);
  }
}

TMenuItem* TNxPropSheetExtEdit::AddImageItem(const std::string& Caption, int Image) {
  TMenuItem* Item = TMenuItem::Create(this);
  Item->SetCaption(Caption);
  Item->SetImageIndex(Image);
  if (Caption != "-") Item->OnClick = TNotifyEvent::Bind<&TNxPropSheetExtEdit::SetSheetImageClick>(this);
  pmImages->Items()->Add(Item);
  return Item;
}

void TNxPropSheetExtEdit::SetImages(TCustomImageList* Images) {
  pmImages->Items()->Clear();
  FRename = AddImageItem("Rename", -1);
  FRename->OnClick = TNotifyEvent::Bind<&TNxPropSheetExtEdit::miRenameClick>(this);
  AddImageItem("-", -1);
  AddImageItem("-1", -1);
  if (!Images) return;
  ImageList->Assign(Images);
  for (int I = 0; I < ImageList->Count(); ++I) AddImageItem(IntToStr(I), I);
}

void TNxPropSheetExtEdit::AddRow(const TSheetRow& Row) {
  TListItem* Item = lvUsedSheets->Items()->Add();
  Item->SetCaption(Row.Caption);
  Item->SubItems()->Add(Row.Name);
  Item->SetImageIndex(Row.ImageIndex);
}

void TNxPropSheetExtEdit::LoadSheets(TStrings* Lines) {
  for (const TSheetRow& Row : ReadSheetRows(*Lines)) AddRow(Row);
}

std::vector<TSheetRow> TNxPropSheetExtEdit::Rows() const {
  std::vector<TSheetRow> Result;
  TListItems* Items = lvUsedSheets->Items();
  for (int I = 0; I < Items->Count(); ++I) {
    TListItem* Item = Items->Item(I);
    const std::string Name = Item->SubItems()->Count() > 0 ? Item->SubItems()->Strings(0) : std::string();
    Result.push_back({Item->Caption(), Name, Item->ImageIndex()});
  }
  return Result;
}

void TNxPropSheetExtEdit::SaveSheets(TStrings* Lines) { WriteSheetRows(Rows(), *Lines); }

void TNxPropSheetExtEdit::AddSheetClick(TObject* Sender) {
  const std::string Class = static_cast<TMenuItem*>(Sender)->Caption();
  AddRow({Class, Class, -1});
}

void TNxPropSheetExtEdit::PopupBelow(TPopupMenu* Menu, TControl* Button) {
  const TPoint Corner = Button->ClientToScreen(Point(0, Button->Height()));
  Menu->Popup(Corner.x, Corner.y);
}

void TNxPropSheetExtEdit::btnAddFormClick(TObject*) { PopupBelow(pmClasses, btnAddForm); }

void TNxPropSheetExtEdit::btnRemoveFormClick(TObject*) {
  if (TListItem* Selected = lvUsedSheets->Selected()) Selected->Delete();
}

void TNxPropSheetExtEdit::MoveSelectedTo(int Index) {
  TListItem* Selected = lvUsedSheets->Selected();
  TListItems* Items = lvUsedSheets->Items();
  TListItem* Moved = Items->Insert(std::min(Index, Items->Count()));
  Moved->Assign(Selected);  // caption, form class and icon
  Selected->Delete();
  lvUsedSheets->SetSelected(Moved);
}

void TNxPropSheetExtEdit::btnMoveUpClick(TObject*) {
  TListItem* Selected = lvUsedSheets->Selected();
  if (Selected && Selected->Index() > 0) MoveSelectedTo(Selected->Index() - 1);
}

void TNxPropSheetExtEdit::btnMoveDownClick(TObject*) {
  // Two places down: the selected row goes before the new one is in place.
  if (TListItem* Selected = lvUsedSheets->Selected()) MoveSelectedTo(Selected->Index() + 2);
}

void TNxPropSheetExtEdit::btnChooseImageClick(TObject*) {
  struct TShowAgain {
    TMenuItem* Item;
    ~TShowAgain() {
      if (Item) Item->SetVisible(true);
    }
  } RenameBack{FRename};
  if (FRename) FRename->SetVisible(false);
  PopupBelow(pmImages, btnChooseImage);
}

void TNxPropSheetExtEdit::SetSheetImageClick(TObject* Sender) {
  if (TListItem* Selected = lvUsedSheets->Selected())
    Selected->SetImageIndex(static_cast<TMenuItem*>(Sender)->ImageIndex());
}

void TNxPropSheetExtEdit::miRenameClick(TObject*) {
  if (TListItem* Selected = lvUsedSheets->Selected()) Selected->EditCaption();
}

void TNxPropSheetExtEdit::lvUsedSheetsEdited(TObject*, TListItem* Item, std::string& S) {
  if (S.find(',') == std::string::npos) return;
  S = Item->Caption();
  Application->MessageBox("A sheet caption cannot contain a comma.", "Error", MB_ICONERROR | MB_OK);
}

// ---- The property editor ------------------------------------------------------------------------

TPropertyAttributes TNxSPSFormsClassesProperty::GetAttributes() { return paDialog; }

std::string TNxSPSFormsClassesProperty::GetValue() { return "{PropertySheets}"; }

void TNxSPSFormsClassesProperty::Edit() {
  auto* Extension = dynamic_cast<TNxShellPropSheetExt*>(GetComponent(0));
  if (!Extension) return;
  TObjectPtr<TNxPropSheetExtEdit> Dialog(TNxPropSheetExtEdit::Create(Application));
  Dialog->SetImages(Extension->ImageList());
  Dialog->LoadSheets(Extension->PropertySheets());
  if (Dialog->ShowModal() != mrOk) return;
  TStringList Lines;
  Dialog->SaveSheets(&Lines);
  Extension->PropertySheets()->Assign(&Lines);
  Modified();
}

void Nx_PropertySheetEditor_DoRegister() {
  RegisterPropertyEditor(TypeInfoOf<TStrings*>(), ClassOf<TNxShellPropSheetExt>(), "PropertySheets",
                         TPropertyEditorClass::Of<TNxSPSFormsClassesProperty>());
}
