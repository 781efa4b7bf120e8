unit Forms;

interface
uses Classes;

type
  TForm = class(TComponent)
  end;
  TFormClass = class of TForm;
  TDataModule = class(TComponent)
  end;

implementation

end.
