unit ~UnitName~;

interface

uses
    Windows,
    Messages,
    SysUtils,
    Classes,
    Forms,
    NxPropertySheetForm;

type
  T~FormName~ = class(TNxShellPropSheetForm)
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
    RegisterPropSheetForm(T~FormName~);
end.









 
 
 
