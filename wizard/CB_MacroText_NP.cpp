#include "wizard/CB_MacroText_NP.h"

#include "classlib/TypInfo.h"
#include "wizard/CB_MacroTextCore.h"

VD_DEFINE_CLASS(TCBMacroParam) {
  C.Property("Name", &TCBMacroParam::FName, &TCBMacroParam::SetName);
  C.Property("Value", &TCBMacroParam::FValue, &TCBMacroParam::SetValue);
}
VD_DEFINE_CLASS(TCBMacroParams) {}
VD_DEFINE_CLASS(TCBMacroText) {}

void TCBMacroParam::Assign(TPersistent* Source) {
  if (auto* Param = dynamic_cast<TCBMacroParam*>(Source)) {
    FValue = Param->FValue;
    return;
  }
  inherited::Assign(Source);
}

TCBMacroText::TCBMacroText()
    : FFlags(new TStringList), FSource(new TStringList), FResult(new TStringList), FParams(new TCBMacroParams) {}

TCBMacroText::~TCBMacroText() {
  FFlags->Free();
  FSource->Free();
  FResult->Free();
  FParams->Free();
}

void TCBMacroText::ScanParams() {
  FParams->Clear();
  for (const std::string& Name : macrotext::ScanNames(FSource->Text())) ParamByName(Name);
}

TCBMacroParam* TCBMacroText::ParamByName(const std::string& Name) {
  for (int I = 0; I < FParams->Count(); ++I)
    if (AnsiSameText(FParams->Items(I)->Name(), Name)) return FParams->Items(I);
  TCBMacroParam* Param = FParams->Add();
  Param->FName = Name;
  return Param;
}

void TCBMacroText::SetFlags(const TStrings& List) { FFlags->Assign(const_cast<TStrings*>(&List)); }

bool TCBMacroText::HasFlag(const std::string& Name) const {
  for (int I = 0; I < FFlags->Count(); ++I)
    if (FFlags->Strings(I) == Name) return true;
  return false;
}

TStringList* TCBMacroText::Expand() {
  FResult->SetText(macrotext::Expand(
      FSource->Text(), [this](const std::string& Name) { return ParamByName(Name)->Value(); },
      [this](const std::string& Flag) { return HasFlag(Flag); }));
  return FResult;
}
