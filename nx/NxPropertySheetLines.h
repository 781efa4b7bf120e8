// The parts of a PropertySheets line, <page-form class>[<index>]=<caption>,<icon index>, read from
// the line's name and value. Plain text work (no Windows types), so it also builds natively.
#pragma once

#include <string>

// The page-form class named by a line's name: the text before the first "[" (all of it without one).
std::string GetPropSheetClassName(const std::string& LineName);
// The caption of a line's value: the text before the first "," (all of it without one).
std::string GetPropSheetName(const std::string& Value);
// The icon index of a line's value: the text after the first "," as a number; -1 without a "," or
// when that text is no number.
int GetPropSheetIcon(const std::string& Value);
// The value of a line from its caption and icon index: "Script Info,0". The two parsers read it back
// as long as the caption holds no ",".
std::string GetComposedName(const std::string& Caption, int IconIndex);
