unit Controls;

interface

implementation

end.
