#include "wizard/Nx_Property_GUID.h"

#include "classlib/ComServ.h"
#include "nx/NxCustShlObj.h"

VD_DEFINE_CLASS(TClsIdEditorForm) {
  C.Field("LbGUID", &TClsIdEditorForm::LbGUID);
  C.Field("EdGUID", &TClsIdEditorForm::EdGUID);
  C.Field("BnNewGuid", &TClsIdEditorForm::BnNewGuid);
  C.Field("BnOK", &TClsIdEditorForm::BnOK);
  C.Field("Button1", &TClsIdEditorForm::Button1);
  C.Method<&TClsIdEditorForm::EdGUIDChange>("EdGUIDChange");
  C.Method<&TClsIdEditorForm::BnNewGuidClick>("BnNewGuidClick");
}

VD_DEFINE_CLASS(TClsIdPropertyEditor) {}

// ---- The dialog ---------------------------------------------------------------------------------

void TClsIdEditorForm::SetGUID(const GUID& Value) {
  FGUID = Value;
  EdGUID->SetText(GUIDToString(Value));
}

void TClsIdEditorForm::EdGUIDChange(TObject*) {
  GUID Parsed;
  const bool Good = TryStringToGUID(EdGUID->Text(), Parsed);
  if (Good) FGUID = Parsed;
  BnOK->SetEnabled(Good);
}

void TClsIdEditorForm::BnNewGuidClick(TObject*) {
  GUID Fresh;
  if (FAILED(CoCreateGuid(&Fresh))) throw Exception("A new GUID could not be made");
  SetGUID(Fresh);
}

// ---- The property editor ------------------------------------------------------------------------

TNxBaseShellObject* TClsIdPropertyEditor::Init() const { return dynamic_cast<TNxBaseShellObject*>(GetComponent(0)); }

TPropertyAttributes TClsIdPropertyEditor::GetAttributes() { return paDialog; }

std::string TClsIdPropertyEditor::GetValue() {
  TNxBaseShellObject* Component = Init();
  return Component ? Component->GetCLSID() : std::string();
}

void TClsIdPropertyEditor::SetValue(const std::string& Value) {
  TNxBaseShellObject* Component = Init();
  if (!Component) return;
  Component->SetCLSID(Value);
  // The designer must learn of a typed change as of one made in the dialog, or it is not saved.
  Modified();
}

void TClsIdPropertyEditor::Edit() {
  TNxBaseShellObject* Component = Init();
  if (!Component) return;
  TObjectPtr<TClsIdEditorForm> Dialog(TClsIdEditorForm::Create(nullptr));
  Dialog->SetGUID(Component->ClassID());
  if (Dialog->ShowModal() != mrOk) return;
  Component->SetClassID(Dialog->Value());
  Modified();
}

void Nx_Property_GUID_DoRegister() {
  RegisterPropertyEditor(TypeInfoOf<std::string>(), ClassOf<TNxBaseShellObject>(), "CLSID",
                         TPropertyEditorClass::Of<TClsIdPropertyEditor>());
}
