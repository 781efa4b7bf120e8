unit NxShellViewForm;

interface
uses Forms;

type
  TNxShellViewForm = class(TForm)
  end;
  TNxShellViewFormClass = class of TNxShellViewForm;

procedure RegisterShellViewFormClass(FormClass: TNxShellViewFormClass);

implementation
procedure RegisterShellViewFormClass(FormClass: TNxShellViewFormClass);
begin
end;

end.
