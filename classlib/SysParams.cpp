#include "classlib/SysParams.h"

#include <windows.h>

std::vector<std::string> SplitCommandLine(const std::string& CommandLine) {
  std::vector<std::string> tokens;
  const std::string& s = CommandLine;
  size_t i = 0;
  for (;;) {
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    if (i >= s.size()) break;
    std::string token;
    bool quoted = false;
    for (; i < s.size() && (quoted || static_cast<unsigned char>(s[i]) > ' '); ++i) {
      if (s[i] == '"')
        quoted = !quoted;
      else
        token += s[i];
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

int ParamCount(const std::string& CommandLine) {
  size_t n = SplitCommandLine(CommandLine).size();
  return n > 1 ? static_cast<int>(n - 1) : 0;
}

std::string ParamStr(const std::string& CommandLine, int Index) {
  std::vector<std::string> tokens = SplitCommandLine(CommandLine);
  if (Index < 0 || static_cast<size_t>(Index) >= tokens.size()) return {};
  return tokens[static_cast<size_t>(Index)];
}

int ParamCount() { return ParamCount(GetCommandLineA()); }

std::string ParamStr(int Index) {
  if (Index == 0) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
      DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (n == 0) return {};
      if (n < path.size()) return path.substr(0, n);
      path.resize(path.size() * 2);  // cut off: try a larger buffer
    }
  }
  return ParamStr(GetCommandLineA(), Index);
}
