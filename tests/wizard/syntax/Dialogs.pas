unit Dialogs;

interface

implementation

end.
