unit Windows;

interface

implementation

end.
