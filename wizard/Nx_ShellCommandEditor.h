// The object inspector's entry to a file class's extended shell verbs: the string property
// "AnotherCommands" shows the verbs' names ("Compile, Run") and opens a list dialog ("Shell
// Commands Editor") in which verbs are added, edited and removed, each through the single-verb
// dialog. The verbs live in three parallel lists of the shell-commands object (names, menu texts,
// command lines); OK writes them back in the list's order, so the lists stay parallel.
#pragma once

#include <string>
#include <vector>

#include "classlib/ComCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "ide/DesignEditors.h"
#include "wizard/Nx_ShellCommandEditUnit.h"

class TNxCustomShellCommandsEditor;

// The column widths that fill a list view ListWidth wide, less the vertical scroll bar and 3 pixels
// per column, keeping their proportions (rounded to the nearest pixel). Widths that sum to 0 or
// less stay as they are.
std::vector<int> ScaleColumnWidths(const std::vector<int>& Widths, int ListWidth, int ScrollBarWidth);

class TShellCommandEditorWindow : public TForm {
  VD_CLASS(TShellCommandEditorWindow, TForm);

public:
  using TForm::TForm;

  TListView* lvShellCommands = nullptr;
  TButton* btnAdd = nullptr;
  TButton* btnEdit = nullptr;
  TButton* btnRemove = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TPopupMenu* PopupMenu = nullptr;
  TMenuItem* Add1 = nullptr;
  TMenuItem* Edit1 = nullptr;
  TMenuItem* Remove1 = nullptr;

  // One row per extended verb, in order (a list shorter than the names gives empty texts).
  void LoadCommands(const TNxCustomShellCommandsEditor& Commands);
  // Replaces the three lists by the rows.
  void SaveCommands(TNxCustomShellCommandsEditor& Commands);
  std::vector<TShellCommand> Rows() const;

  // A new last row from the single-verb dialog.
  void aAddExecute(TObject* Sender);
  // The selected row through the single-verb dialog; OK replaces it. Nothing without a selection.
  void aEditExecute(TObject* Sender);
  void aRemoveExecute(TObject* Sender);
  // OnResize: the columns fill the list view's width.
  void FormResize(TObject* Sender);

protected:
  ~TShellCommandEditorWindow() override = default;

private:
  void SetRow(TListItem* Item, const TShellCommand& Command);
};

class TNxShellCommandsPropertyEditor : public TPropertyEditor {
  VD_CLASS(TNxShellCommandsPropertyEditor, TPropertyEditor);

public:
  TPropertyAttributes GetAttributes() override;
  // The extended verbs' names joined with ", ".
  std::string GetValue() override;
  // The list dialog; OK writes the verbs back.
  void Edit() override;
};

// Registers TNxShellCommandsPropertyEditor for the string property "AnotherCommands" of
// TNxCustomShellCommandsEditor.
void Nx_ShellCommandEditor_DoRegister();
