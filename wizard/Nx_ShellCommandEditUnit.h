// The dialog of one extended shell verb ("Shell Command"): its key name, the menu text and the
// command line. OK stays disabled while the name is empty or holds a "\": registering such a verb
// would write a broken key under the file class.
#pragma once

#include <string>

#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

// One extended verb: key name, menu text, command line.
struct TShellCommand {
  std::string Name;
  std::string VisibleName;
  std::string CommandString;
  friend bool operator==(const TShellCommand&, const TShellCommand&) = default;
};

// A name registration can write as a key: not empty, no "\".
bool IsUsableVerbName(const std::string& Name);

class TSingleShellCommandEditor : public TForm {
  VD_CLASS(TSingleShellCommandEditor, TForm);

public:
  using TForm::TForm;

  TLabel* Label1 = nullptr;
  TEdit* eCommandName = nullptr;
  TLabel* Label2 = nullptr;
  TEdit* eVisibleName = nullptr;
  TLabel* Label3 = nullptr;
  TEdit* eCommandString = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;

  void SetCommand(const TShellCommand& Command);
  TShellCommand Command();

  // OnChange of the name: OK only for a usable name.
  void eCommandNameChange(TObject* Sender);

protected:
  ~TSingleShellCommandEditor() override = default;
};

// Shows the dialog (owned by Owner) filled with Command; on OK Command takes the texts as entered
// and the result is true.
bool EditShellCommand(TComponent* Owner, TShellCommand& Command);
