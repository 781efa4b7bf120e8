unit Menus;

interface

implementation

end.
