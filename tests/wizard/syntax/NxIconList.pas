unit NxIconList;

interface

implementation

end.
