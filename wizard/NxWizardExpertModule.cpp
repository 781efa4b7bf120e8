#include "wizard/NxWizardExpertModule.h"

#include "classlib/Streams.h"
#include "classlib/WndProcs.h"
#include "wizard/Nx_IsBuilder.h"

VD_DEFINE_CLASS(TNxWizardExpertModule) {}

namespace {
TCBMacroText* LoadTemplate(const char* ResourceName) {
  TObjectPtr<TCBMacroText> Template(TCBMacroText::Create());
  TResourceStream Stream(ModuleInstance(), ResourceName, MAKEINTRESOURCEA(10) /*RT_RCDATA*/);
  Template->Source()->LoadFromStream(Stream);
  Template->ScanParams();
  return Template.release();
}
}  // namespace

TNxWizardExpertModule::TNxWizardExpertModule(const TWizardTexts& Texts) {
  try {
    Build(Texts);
  } catch (...) {
    Teardown();
    throw;
  }
}

TNxWizardExpertModule::~TNxWizardExpertModule() { Teardown(); }

void TNxWizardExpertModule::Build(const TWizardTexts& Texts) {
  ExtraFlags = TStringList::Create();

  Expert = new TCBIAdvancedExpert;
  Expert->ExpertName = Texts.ExpertName;
  Expert->Author = kWizardAuthor;
  Expert->Comment = Texts.Comment;
  Expert->Page = kWizardPage;
  TStringStream Icon(HexToBin(Texts.IconHex));
  Expert->Glyph->LoadFromStream(Icon);
  Expert->Register();

  Creator = new TCBIModuleCreator;
  Creator->SetExisting(false);
  Creator->CreateFlags = cmAddToProject | cmShowSource | cmShowForm | cmUnNamed | cmNewUnit | cmNewForm |
                         cmMarkModified | cmNewFile;  // 447
  Creator->AncestorName = Texts.AncestorName;

  PascalTemplate = LoadTemplate(Texts.PascalTemplate);
  CppTemplate = LoadTemplate(Texts.CppTemplate);
  HeaderTemplate = LoadTemplate(Texts.HeaderTemplate);

  Expert->OnExecute = MakeEvent<&TNxWizardExpertModule::DoExecute>(this);
  Creator->OnNewModuleSource = MakeEvent<&TNxWizardExpertModule::DoNewModuleSource>(this);
  Creator->OnGetIntfName = MakeEvent<&TNxWizardExpertModule::DoGetIntfName>(this);
  Creator->OnNewIntfSource = MakeEvent<&TNxWizardExpertModule::DoNewIntfSource>(this);
}

void TNxWizardExpertModule::Teardown() noexcept {
  FreeAndNil(ExtraFlags);
  if (Expert) std::exchange(Expert, nullptr)->Release();  // takes it out of the IDE
  if (Creator) std::exchange(Creator, nullptr)->Free();
  FreeAndNil(PascalTemplate);
  FreeAndNil(CppTemplate);
  FreeAndNil(HeaderTemplate);
}

void TNxWizardExpertModule::DoExecute(TCBIExpert*) { Creator->Execute(); }

void TNxWizardExpertModule::DoNewModuleSource(const std::string& AUnitIdent, const std::string& AFormIdent,
                                              const std::string&, std::string& Source) {
  UnitIdent = AUnitIdent;
  FormIdent = AFormIdent;
  AddGenerationFlags();
  TCBMacroText* Template = IsBuilder() ? CppTemplate : PascalTemplate;
  PrepareTemplate(Template);
  Source = Template->Expand()->Text();
}

void TNxWizardExpertModule::DoGetIntfName(std::string& IntfName) {
  IntfName = IsBuilder() ? ExtractFileName(ChangeFileExt(Creator->FileName, ".h")) : std::string();
}

void TNxWizardExpertModule::DoNewIntfSource(const std::string&, const std::string&, const std::string&,
                                            std::string& Source) {
  Source.clear();
  if (!IsBuilder()) return;
  // The names of the last source request, not these.
  PrepareTemplate(HeaderTemplate);
  Source = HeaderTemplate->Expand()->Text();
}

void TNxWizardExpertModule::PrepareTemplate(TCBMacroText* Template) {
  Template->SetFlags(*ExtraFlags);
  Template->ParamByName("UnitName")->SetValue(UnitIdent);
  Template->ParamByName("FormName")->SetValue(FormIdent);
  Template->ParamByName("FileName")->SetValue(Creator->FileName);
}
