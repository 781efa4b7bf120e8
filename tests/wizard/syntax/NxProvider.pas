unit NxProvider;

interface

implementation

end.
