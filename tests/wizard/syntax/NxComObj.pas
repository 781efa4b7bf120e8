unit NxComObj;

interface

implementation

end.
