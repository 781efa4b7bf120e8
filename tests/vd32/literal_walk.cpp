#include "literal_walk.h"

#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"

void CollectFoldersTwoPass(const std::string& Path, LineSink& Lines) {
  const std::string folder = IncludeTrailingBackslash(Path);
  Lines.Add(folder);
  WIN32_FIND_DATAA data;
  {
    ScopedFindHandle find(FindFirstFileA((folder + "*.*").c_str(), &data));
    if (find) {
      do {
        if (IsSnapshotFolder(data.cFileName, data.dwFileAttributes)) Lines.Add(folder + data.cFileName + "\\");
      } while (FindNextFileA(find.get(), &data));
    }
  }
  ScopedFindHandle find(FindFirstFileA((folder + "*.*").c_str(), &data));
  if (!find) return;
  do {
    if (IsSnapshotFolder(data.cFileName, data.dwFileAttributes)) CollectFoldersTwoPass(folder + data.cFileName, Lines);
  } while (FindNextFileA(find.get(), &data));
}
