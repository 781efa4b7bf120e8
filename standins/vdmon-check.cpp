// Loads VDMon.dll the way the product does and asks it about one folder.
//   vdmon-check.exe [--dll <path of VDMon.dll>] <folder>
// Prints CLEAN (exit code 0) or DIRTY (exit code 1); exit code 2 when the library cannot be used.
#include <windows.h>

#include <cstdio>
#include <string>

#include "classlib/ScopedHandles.h"
#include "vdmon/VDMon.h"

int main(int argc, char** argv) {
  std::string dll = "VDMon.dll";
  const char* folder = nullptr;
  bool usable = true;
  for (int i = 1; i < argc && usable; ++i) {
    std::string a = argv[i];
    if (a == "--dll" && i + 1 < argc)
      dll = argv[++i];
    else if (folder == nullptr)
      folder = argv[i];
    else
      usable = false;
  }
  if (folder == nullptr || !usable) {
    std::fprintf(stderr, "usage: vdmon-check.exe [--dll <VDMon.dll>] <folder>\n");
    return 2;
  }
  ScopedLibrary library(LoadLibraryA(dll.c_str()));
  if (!library) {
    std::fprintf(stderr, "vdmon-check: cannot load %s (error %lu)\n", dll.c_str(), GetLastError());
    return 2;
  }
  auto check = reinterpret_cast<IsFolderCleanProc>(GetProcAddress(library.get(), "isFolderClean"));
  if (check == nullptr) {
    std::fprintf(stderr, "vdmon-check: %s has no isFolderClean\n", dll.c_str());
    return 2;
  }
  BOOLEAN clean = check(folder);
  std::printf("%s\n", clean ? "CLEAN" : "DIRTY");
  std::fflush(stdout);
  return clean ? 0 : 1;
}
