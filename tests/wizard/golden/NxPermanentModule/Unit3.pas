unit Unit3;

interface

uses
    SysUtils,
    Classes,
    NxPmtDataModule,
    NxProvider,
    NxIconList,
    Menus,
    NxPopupMenu;

type
  TNxPermanentModule1 = class(TNxPermanentModule)
  private
    { Private declarations }
  protected
    { Protected declarations }
  public
    { Public declarations }
  end;

implementation

{$R *.DFM}

initialization
  RegisterPermanentModuleClass(TNxPermanentModule1);
end.









 
 
