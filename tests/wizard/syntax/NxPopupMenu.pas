unit NxPopupMenu;

interface

implementation

end.
