// Stands in for the browser and the mail program in the link tests: registered in the test prefix
// as the open command of the test's URL schemes, it appends its command line (less its own path)
// as one line to the file named by LX_LINK_RECORD, and ends.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  char Path[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("LX_LINK_RECORD", Path, MAX_PATH)) return 2;
  std::string Line = GetCommandLineA();
  // Skip the program: quoted or up to the first blank.
  size_t Start = 0;
  if (!Line.empty() && Line[0] == '"') Start = Line.find('"', 1) + 1;
  else Start = Line.find(' ');
  Line = Start == std::string::npos || Start >= Line.size() ? std::string() : Line.substr(Start);
  while (!Line.empty() && Line[0] == ' ') Line.erase(0, 1);
  FILE* F = std::fopen(Path, "ab");
  if (!F) return 3;
  std::fprintf(F, "%s\n", Line.c_str());
  std::fclose(F);
  return 0;
}
