unit ~UnitName~;

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
  T~FormName~ = class(TNxPermanentModule)
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
  RegisterPermanentModuleClass(T~FormName~);
end.









 
 
