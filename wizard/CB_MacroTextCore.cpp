#include "wizard/CB_MacroTextCore.h"

namespace macrotext {

std::string Expand(const std::string& Text, const std::function<std::string(const std::string& Name)>& Value,
                   const std::function<bool(const std::string& Flag)>& HasFlag) {
  std::string Out;
  long Depth = 0;
  size_t At = 0;
  while (At < Text.size()) {
    const char Ch = Text[At];
    if (Ch != '~' && Ch != '|') {
      size_t End = Text.find_first_of("~|", At);
      if (End == std::string::npos) End = Text.size();
      if (Depth == 0) Out.append(Text, At, End - At);
      At = End;
      continue;
    }
    if (At + 1 < Text.size() && Text[At + 1] == Ch) {  // ~~ or ||
      if (Depth == 0) Out += Ch;
      At += 2;
      continue;
    }
    const size_t Close = Text.find(Ch, At + 1);
    if (Close == std::string::npos) break;  // unterminated: the rest is dropped
    const std::string Body = Text.substr(At + 1, Close - At - 1);
    At = Close + 1;
    if (Ch == '~') {
      if (Depth == 0) Out += Value(Body);
      continue;
    }
    if (Body.size() >= 2 && (Body[0] == '+' || Body[0] == '-') && HasFlag(Body.substr(1)))
      Depth += Body[0] == '+' ? 1 : -1;
    for (int Pair = 0; Pair < 2 && Text.compare(At, 2, "\r\n") == 0; ++Pair) At += 2;
  }
  return Out;
}

std::vector<std::string> ScanNames(const std::string& Text) {
  std::vector<std::string> Names;
  size_t At = Text.find('~');
  while (At != std::string::npos) {
    if (At + 1 < Text.size() && Text[At + 1] == '~') {
      At = Text.find('~', At + 2);
      continue;
    }
    const size_t Close = Text.find('~', At + 1);
    if (Close == std::string::npos) break;
    Names.push_back(Text.substr(At + 1, Close - At - 1));
    At = Text.find('~', Close + 1);
  }
  return Names;
}

}  // namespace macrotext
