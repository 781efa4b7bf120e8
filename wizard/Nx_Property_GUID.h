// The object inspector's editor of a shell object's "CLSID": the identifier as text, typed text
// through the component's own setter, and a dialog ("CLSID Editor") in which an identifier is typed
// and checked as it is typed, or newly made. Only the 38-character registry form is accepted:
//
//   {6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C3}
//
// The dialog's OK is enabled while the text is such an identifier; OK writes the 16-byte value.
#pragma once

#include <windows.h>

#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "ide/DesignEditors.h"

class TNxBaseShellObject;

class TClsIdEditorForm : public TForm {
  VD_CLASS(TClsIdEditorForm, TForm);

public:
  using TForm::TForm;

  TLabel* LbGUID = nullptr;
  TEdit* EdGUID = nullptr;
  TButton* BnNewGuid = nullptr;
  TButton* BnOK = nullptr;
  TButton* Button1 = nullptr;

  // The last identifier the text held.
  const GUID& Value() const noexcept { return FGUID; }
  // Keeps Value and shows it in registry form; the change handler then runs.
  void SetGUID(const GUID& Value);

  // OnChange of EdGUID: a good identifier is kept and enables OK; anything else disables OK and
  // keeps the last good one.
  void EdGUIDChange(TObject* Sender);
  // A new identifier (CoCreateGuid).
  void BnNewGuidClick(TObject* Sender);

protected:
  ~TClsIdEditorForm() override = default;

private:
  GUID FGUID{};
};

class TClsIdPropertyEditor : public TPropertyEditor {
  VD_CLASS(TClsIdPropertyEditor, TPropertyEditor);

public:
  // The dialog alone.
  TPropertyAttributes GetAttributes() override;
  // The component's CLSID in registry form; "" without one.
  std::string GetValue() override;
  // The component's setter parses Value and raises its own error for bad text.
  void SetValue(const std::string& Value) override;
  // The dialog on the current identifier; OK writes the one chosen.
  void Edit() override;

private:
  // The first selected component as a shell object (nil when it is none).
  TNxBaseShellObject* Init() const;
};

// Registers TClsIdPropertyEditor for the string property "CLSID" of TNxBaseShellObject.
void Nx_Property_GUID_DoRegister();
