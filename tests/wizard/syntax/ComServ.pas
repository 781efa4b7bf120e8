unit ComServ;

interface
type
  TComServer = class
  end;

var
  ComServer: TComServer;

implementation

end.
