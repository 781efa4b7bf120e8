unit NxDataModule;

interface
uses Forms, ComServ;

type
  TNxModule = class(TDataModule)
  end;
  TNxModuleClass = class of TNxModule;

procedure RegisterNxDataModule(Server: TComServer; ModuleClass: TNxModuleClass);

implementation
procedure RegisterNxDataModule(Server: TComServer; ModuleClass: TNxModuleClass);
begin
end;

end.
