#include "nx/NxPropertySheetLines.h"

#include "classlib/SysUtils.h"

std::string GetPropSheetClassName(const std::string& LineName) { return LineName.substr(0, LineName.find('[')); }

std::string GetPropSheetName(const std::string& Value) { return Value.substr(0, Value.find(',')); }

int GetPropSheetIcon(const std::string& Value) {
  const size_t Comma = Value.find(',');
  if (Comma == std::string::npos) return -1;
  int Index = -1;
  return TryStrToInt(Value.substr(Comma + 1), Index) ? Index : -1;
}

std::string GetComposedName(const std::string& Caption, int IconIndex) { return Caption + "," + IntToStr(IconIndex); }
