unit Unit3;

interface

uses
    Windows,
    Messages,
    SysUtils,
    Classes,
    Forms,
    NxComObj,
    NxDataModule;

type
  TNxModule1 = class(TNxModule)
  private
    { Private declarations }
  protected
    { Protected declarations }
  public
    { Public declarations }
  end;

implementation

uses ComServ;

{$R *.DFM}


initialization
    RegisterNxDataModule(ComServer,TNxModule1);
end.









 
 
 
