unit ~UnitName~;

interface

uses
    Windows,
    Messages,
    SysUtils,
|+SkipIfNotDelphi6|
    Variants,
|-SkipIfNotDelphi6|
|+SkipIfNotDelphi7|
    Variants,
|-SkipIfNotDelphi7|
    Classes,
    Graphics,
    Controls,
    Forms,
    Dialogs,
    NxShellViewForm,
    NxProvider;

type
  T~FormName~ = class(TNxShellViewForm)
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
  RegisterShellViewFormClass(T~FormName~);
end.
 
 
 
