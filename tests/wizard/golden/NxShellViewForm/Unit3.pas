unit Unit3;

interface

uses
    Windows,
    Messages,
    SysUtils,
    Variants,
    Classes,
    Graphics,
    Controls,
    Forms,
    Dialogs,
    NxShellViewForm,
    NxProvider;

type
  TNxShellViewForm1 = class(TNxShellViewForm)
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
  RegisterShellViewFormClass(TNxShellViewForm1);
end.
 
 
 
