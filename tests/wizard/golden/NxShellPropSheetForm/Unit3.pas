unit Unit3;

interface

uses
    Windows,
    Messages,
    SysUtils,
    Classes,
    Forms,
    NxPropertySheetForm;

type
  TNxShellPropSheetForm1 = class(TNxShellPropSheetForm)
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
    RegisterPropSheetForm(TNxShellPropSheetForm1);
end.









 
 
 
