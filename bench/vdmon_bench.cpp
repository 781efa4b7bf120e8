// Times isFolderClean on one folder tree with no hit: with 1, 3 and 10 masks, against the floor of
// one plain enumeration pass over the same tree, and against the per-mask reference search.
// Prints one line per measurement: name, milliseconds (best of the runs), result.
//   vdmon_bench.exe <VDMon.dll> <folder> [runs]
// HKEY_LOCAL_MACHINE is redirected inside this process, so the prefix's App Paths entry is untouched.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"
#include "vd32/Functions.h"
#include "vdmon/FolderSearch.h"
#include "vdmon/VDMon.h"

namespace {

// The floor: every folder listed once, entered by the same rule as the search.
long EnumerateOnce(const std::string& dir) {
  long folders = 1;
  std::vector<std::string> subfolders;
  {
    WIN32_FIND_DATAA data;
    ScopedFindHandle find(FindFirstFileA((dir + "*.*").c_str(), &data));
    if (!find) return folders;
    do {
      if (IsEnterableFolder(data.dwFileAttributes, data.cFileName)) subfolders.emplace_back(data.cFileName);
    } while (FindNextFileA(find.get(), &data));
  }
  for (const std::string& name : subfolders) folders += EnumerateOnce(dir + name + "\\");
  return folders;
}

void WriteMasks(const std::string& config, const std::vector<std::string>& masks) {
  WritePrivateProfileStringA("Extensions", nullptr, nullptr, config.c_str());
  for (size_t i = 0; i < masks.size(); ++i)
    WritePrivateProfileStringA("Extensions", ("Mask" + std::to_string(i + 1)).c_str(), masks[i].c_str(),
                               config.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vdmon_bench.exe <VDMon.dll> <folder> [runs]\n");
    return 2;
  }
  const std::string tree = IncludeTrailingBackslash(argv[2]);
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;

  // A private install folder and App Paths entry for this process only.
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string install = std::string(temp) + "vdmon-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(install.c_str(), nullptr);
  CreateDirectoryA((install + "Data").c_str(), nullptr);
  const std::string config = ConfigFileOf(install);
  const std::string hklmPath = "Software\\VdBench\\" + std::to_string(GetCurrentProcessId());
  ScopedRegKey hklm, appPaths;
  RegCreateKeyExA(HKEY_CURRENT_USER, hklmPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, hklm.receive(), nullptr);
  RegCreateKeyExA(hklm.get(), kAppPathsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, appPaths.receive(), nullptr);
  const std::string exe = install + "Veldrane.exe";
  RegSetValueExA(appPaths.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(exe.c_str()),
                 static_cast<DWORD>(exe.size() + 1));
  if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, hklm.get()) != ERROR_SUCCESS) {
    std::fprintf(stderr, "vdmon_bench: cannot redirect HKEY_LOCAL_MACHINE\n");
    return 2;
  }

  ScopedLibrary dll(LoadLibraryA(argv[1]));
  auto isClean = dll ? reinterpret_cast<IsFolderCleanProc>(GetProcAddress(dll.get(), "isFolderClean")) : nullptr;
  if (isClean == nullptr) {
    std::fprintf(stderr, "vdmon_bench: cannot load isFolderClean from %s\n", argv[1]);
    return 2;
  }

  const std::vector<std::string> all = {"*.tmp", "*.bak", "~*.*", "*.old", "*.chk",
                                        "*.$$$", "*.gid", "thumbs.db", "*.dmp", "*.~*"};
  long folders = 0;
  double floor = BestOf(runs, [&] { folders = EnumerateOnce(tree); });
  std::printf("folders %ld\n", folders);
  std::printf("floor %.1f\n", floor);
  for (size_t count : {1u, 3u, 10u}) {
    std::vector<std::string> masks(all.begin(), all.begin() + count);
    WriteMasks(config, masks);
    BOOLEAN result = 1;
    double ms = BestOf(runs, [&] { result = isClean(tree.c_str()); });
    std::printf("export-%zu %.1f %s\n", count, ms, result ? "CLEAN" : "DIRTY");
  }
  {
    std::vector<std::string> masks(all.begin(), all.begin() + 9);
    masks.push_back("*.ba?");  // only the file system can answer for '?'
    WriteMasks(config, masks);
    BOOLEAN result = 1;
    double ms = BestOf(runs, [&] { result = isClean(tree.c_str()); });
    std::printf("export-10q %.1f %s\n", ms, result ? "CLEAN" : "DIRTY");
  }
  for (size_t count : {1u, 3u}) {
    bool found = false;
    double ms = BestOf(1, [&] {
      for (size_t i = 0; i < count && !found; ++i) found = FindFileByMask(tree, all[i]);
    });
    std::printf("reference-%zu %.1f %s\n", count, ms, found ? "DIRTY" : "CLEAN");
  }
  std::fflush(stdout);

  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  appPaths.reset();
  hklm.reset();
  SHDeleteKeyA(HKEY_CURRENT_USER, hklmPath.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VdBench");
  DeleteFileA(config.c_str());
  RemoveDirectoryA((install + "Data").c_str());
  RemoveDirectoryA(install.c_str());
  return 0;
}
