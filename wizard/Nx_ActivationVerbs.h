// The activation-verb property editor: "ActivationVerbs" of a TNxFileFolder shows "{ActivationVerbs}"
// and opens the dialog "Activation Verbs Editor", a tree of the folder's file classes with their
// verbs, in which a verb is set to open the folder, to explore it, or to nothing.
//
// The lines name a file class (its name as stored, no registry lookup), "|" and a verb; the value
// is the verb's role:
//   TxtFile|Open=Open
//   TxtFile|Edit=Explore
// The dialog edits a copy of all lines (lines of classes or verbs it does not show stay); OK writes
// the copy back, Cancel nothing.
#pragma once

#include "classlib/Buttons.h"
#include "classlib/ComCtrls.h"
#include "classlib/Forms.h"
#include "classlib/ImgList.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "ide/DesignEditors.h"
#include "standins/NxShellViewComponents.h"

class TNxActivationVerbsProperty : public TPropertyEditor {
  VD_CLASS(TNxActivationVerbsProperty, TPropertyEditor);

public:
  TNxActivationVerbsProperty() = default;
  // The base's Edit, then the dialog on the first selected component when it is a file folder.
  void Edit() override;
  // Exactly [paDialog].
  TPropertyAttributes GetAttributes() override;
  // "{ActivationVerbs}".
  std::string GetValue() override;
};

// The dialog (form resource TACTIVATIONVERBSWINDOW). Image 0 marks an Open verb, 1 an Explore verb.
class TActivationVerbsWindow : public TForm {
  VD_CLASS(TActivationVerbsWindow, TForm);

public:
  using TForm::TForm;

  // The copy of Folder's lines, and one node per file class ("TxtFile (txt)", its item as data)
  // with a child per verb: "Open", "Print", "Explore", "Find", "OpenAs", "Properties", then the
  // class's extended verbs.
  void LoadFrom(TNxFileFolder* Folder);
  // The working copy of the lines.
  TStrings* Verbs() const noexcept { return FVerbs.get(); }

  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TTreeView* ActionVerbsTree = nullptr;
  TBitBtn* btnChoose = nullptr;
  TImageList* ImageList = nullptr;
  TPopupMenu* PopupMenu = nullptr;
  TMenuItem* SettoOpen1 = nullptr;
  TMenuItem* SettoExplore1 = nullptr;
  TMenuItem* N1 = nullptr;
  TMenuItem* SettoNone1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void SettoOpen1Click(TObject* Sender);
  void SettoExplore1Click(TObject* Sender);
  void SettoNone1Click(TObject* Sender);
  void btnChooseClick(TObject* Sender);

private:
  // Gives the selected verb node Role ("" deletes its line) and the image that shows it.
  void SetSelectedVerb(const std::string& Role);

  TObjectPtr<TStringList> FVerbs;
};

// Registers TNxActivationVerbsProperty for "ActivationVerbs" (TStrings) of TNxFileFolder.
void Nx_ActivationVerbs_DoRegister();
