unit ~UnitName~;

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
  T~FormName~ = class(TNxModule)
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
    RegisterNxDataModule(ComServer,T~FormName~);
end.









 
 
 
