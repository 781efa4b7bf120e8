// The program's command-line parameters, split the way the class library splits them:
// characters up to ' ' (blanks and control characters) separate parameters; double quotes group
// text that holds blanks and are removed; a backslash is an ordinary character. The first token
// is the program name.
#pragma once

#include <string>
#include <vector>

// Every token of CommandLine, the program name first.
std::vector<std::string> SplitCommandLine(const std::string& CommandLine);

// Number of parameters after the program name.
int ParamCount();
// Parameter Index (1-based) of this process's command line, '' beyond the last one;
// ParamStr(0) is the program's full file name.
std::string ParamStr(int Index);

// The same for a given command line (ParamStr(0) is then its first token).
int ParamCount(const std::string& CommandLine);
std::string ParamStr(const std::string& CommandLine, int Index);
