// The icon-list component editor: the verb "IconList Editor..." on a TNxIconList in the form
// designer opens the dialog "Nacre+ Icon List Editor", in which icons are added from .ico files,
// removed and cleared, previewed in each draw style, and the list's background colour is chosen.
// The dialog works on a copy of the list (icons, size, background colour: never the tray icon or
// the animation) and writes it back only on OK; Cancel leaves the component as it was.
#pragma once

#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "ide/DesignEditors.h"
#include "wizard/NxIconList.h"

class TNxIconListEditor : public TComponentEditor {
  VD_CLASS(TNxIconListEditor, TComponentEditor);

public:
  TNxIconListEditor() = default;
  // After the base class's verbs: "IconList Editor...", which runs EditIconList and tells the
  // designer when it returns True.
  int GetVerbCount() override;
  std::string GetVerb(int Index) override;
  void ExecuteVerb(int Index) override;
};

// Runs the dialog on Component; True when it closed with OK (the list was written back).
// "Not a TNxIconList component" for any other component.
bool EditIconList(TComponent* Component);

// The dialog (form resource TICONLISTEDITORWINDOW).
class TIconListEditorWindow : public TForm {
  VD_CLASS(TIconListEditorWindow, TForm);

public:
  // The window with a working copy of IconList (not owned; written back by btnOKClick).
  TIconListEditorWindow(TComponent* AOwner, nx21::TNxIconList* IconList);
  void AfterConstruction() override;

  // One line "Icon #i" per icon of the copy; the selection kept.
  void UpdateIconList();
  // The selected icon centred in the preview in the chosen draw style; the swatch shows the
  // copy's background colour.
  void UpdateIconView();
  nx21::TNxIconList* WorkingCopy() const noexcept { return FCopy; }

  TGroupBox* GroupBox1 = nullptr;
  TPanel* IconViewPanel = nullptr;
  TImage* imgIcon = nullptr;
  TLabel* Label1 = nullptr;
  TComboBox* cbDrawFilter = nullptr;
  TLabel* Label3 = nullptr;
  TPanel* pBkColor = nullptr;
  TButton* btnChangeColor = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TLabel* Label2 = nullptr;
  TListBox* lbImages = nullptr;
  TButton* btnAdd = nullptr;
  TButton* btnRemove = nullptr;
  TButton* btnClear = nullptr;
  TOpenDialog* OpenDialog = nullptr;
  TColorDialog* ColorDialog = nullptr;

  void FormCreate(TObject* Sender);
  void btnAddClick(TObject* Sender);
  void btnRemoveClick(TObject* Sender);
  void btnClearClick(TObject* Sender);
  void btnChangeColorClick(TObject* Sender);
  void btnOKClick(TObject* Sender);
  void cbDrawFilterChange(TObject* Sender);
  void lbImagesClick(TObject* Sender);
  void lbImagesKeyPress(TObject* Sender, char& Key);

private:
  nx21::TNxIconList* FIconList;
  nx21::TNxIconList* FCopy = nullptr;
};

// Registers TNxIconListEditor for TNxIconList.
void Nx_IconListEditor_DoRegister();
