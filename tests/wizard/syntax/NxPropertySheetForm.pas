unit NxPropertySheetForm;

interface
uses Forms;

type
  TNxShellPropSheetForm = class(TForm)
  end;
  TNxShellPropSheetFormClass = class of TNxShellPropSheetForm;

procedure RegisterPropSheetForm(FormClass: TNxShellPropSheetFormClass);

implementation
procedure RegisterPropSheetForm(FormClass: TNxShellPropSheetFormClass);
begin
end;

end.
