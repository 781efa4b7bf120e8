// The object inspector's editor of a property-sheet extension's "PropertySheets": instead of typed
// lines, a dialog ("Choose property sheets") lists the pages - caption, form class and tab icon -
// offers the active project's form classes to add, and lets the user order, rename and remove pages
// and pick each page's icon from the extension's image list. One line per page:
//
//   TNxShellPropSheetForm1[0]=Script Info,0        name = form class [index], value = caption,icon
//
// Lines the user did not touch come back unchanged. A line without "=" is all name (no caption, no
// icon). Two pages of one form class stay two lines: the later one gets a bracket index of its own
// ("TForm1[1]"), since the extension finds a line's value by its name.
#pragma once

#include <string>
#include <vector>

#include "classlib/Buttons.h"
#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/ImgList.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "ide/DesignEditors.h"

// ---- The lines as rows --------------------------------------------------------------------------

// One page as the list shows it.
struct TSheetRow {
  std::string Caption;
  std::string Name;  // the line's name: form class and bracket index
  int ImageIndex = -1;
  friend bool operator==(const TSheetRow&, const TSheetRow&) = default;
};

std::vector<TSheetRow> ReadSheetRows(const TStrings& Lines);
// Appends one line per row, in order, to Lines (expected empty). A name already written makes the
// row's name "<class>[n]" with the smallest n from 1 that no row and no line uses.
void WriteSheetRows(const std::vector<TSheetRow>& Rows, TStrings& Lines);

// ---- The dialog ---------------------------------------------------------------------------------

class TNxPropSheetExtEdit : public TForm {
  VD_CLASS(TNxPropSheetExtEdit, TForm);

public:
  using TForm::TForm;

  TLabel* Label1 = nullptr;
  TListView* lvUsedSheets = nullptr;
  TBitBtn* btnAddForm = nullptr;
  TButton* btnRemoveForm = nullptr;
  TBitBtn* btnChooseImage = nullptr;
  TButton* btnMoveUp = nullptr;
  TButton* btnMoveDown = nullptr;
  TBevel* Bevel1 = nullptr;
  TLabel* Label2 = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TPopupMenu* pmClasses = nullptr;
  TImageList* ImageList = nullptr;
  TPopupMenu* pmImages = nullptr;

  // The image menu: "Rename", a line, "-1" (no icon), then one item per image of Images (a copy of
  // the list becomes the dialog's; nil: none).
  void SetImages(TCustomImageList* Images);
  // One row per line, in order.
  void LoadSheets(TStrings* Lines);
  // One line per row, in order, appended to Lines.
  void SaveSheets(TStrings* Lines);
  std::vector<TSheetRow> Rows() const;

  // OnCreate: the class menu holds the active project's form classes.
  void FormCreate(TObject* Sender);
  // A class of the menu becomes a new last row (caption and name the class, no icon).
  void AddSheetClick(TObject* Sender);
  void btnAddFormClick(TObject* Sender);
  void btnRemoveFormClick(TObject* Sender);
  // The selected row (with its icon) one place up or down, still selected.
  void btnMoveUpClick(TObject* Sender);
  void btnMoveDownClick(TObject* Sender);
  // The image menu below the button, without "Rename".
  void btnChooseImageClick(TObject* Sender);
  // The selected row takes the image of the item clicked; nothing without a selection.
  void SetSheetImageClick(TObject* Sender);
  // In-place editing of the selected row's caption; nothing without a selection.
  void miRenameClick(TObject* Sender);
  // OnEdited: a caption with a "," would break its line, so it is refused with a message.
  void lvUsedSheetsEdited(TObject* Sender, TListItem* Item, std::string& S);

protected:
  ~TNxPropSheetExtEdit() override = default;

private:
  void AddRow(const TSheetRow& Row);
  // Moves the selected row to place Index of the list as it is before the move.
  void MoveSelectedTo(int Index);
  void PopupBelow(TPopupMenu* Menu, TControl* Button);
  TMenuItem* AddImageItem(const std::string& Caption, int Image);

  TMenuItem* FRename = nullptr;
};

class TNxSPSFormsClassesProperty : public TPropertyEditor {
  VD_CLASS(TNxSPSFormsClassesProperty, TPropertyEditor);

public:
  TPropertyAttributes GetAttributes() override;
  // "{PropertySheets}".
  std::string GetValue() override;
  // The dialog on the extension's lines; OK replaces them.
  void Edit() override;
};

// Registers TNxSPSFormsClassesProperty for the TStrings property "PropertySheets" of
// TNxShellPropSheetExt.
void Nx_PropertySheetEditor_DoRegister();
