unit NxPmtDataModule;

interface
uses Forms;

type
  TNxPermanentModule = class(TDataModule)
  end;
  TNxPermanentModuleClass = class of TNxPermanentModule;

procedure RegisterPermanentModuleClass(ModuleClass: TNxPermanentModuleClass);

implementation
procedure RegisterPermanentModuleClass(ModuleClass: TNxPermanentModuleClass);
begin
end;

end.
