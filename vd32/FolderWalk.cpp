#include "vd32/FolderWalk.h"

#include <vector>

#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"

void Win32FolderSource::Enumerate(const std::string& Folder, const EntryVisitor& Visit) {
  WIN32_FIND_DATAA data;
  ScopedFindHandle find(FindFirstFileA((Folder + "*.*").c_str(), &data));
  if (!find) return;
  do {
    Visit(data.cFileName, data.dwFileAttributes);
  } while (FindNextFileA(find.get(), &data));
}

bool IsSnapshotFolder(const char* Name, DWORD Attributes) {
  if ((Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (Attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
    return false;
  return !(Name[0] == '.' && (Name[1] == 0 || (Name[1] == '.' && Name[2] == 0)));
}

namespace {

// One enumeration per folder: the child names are kept for the descent, which gives the same
// lines as listing the folder and then searching it a second time to walk into the children.
void Walk(const std::string& Folder, LineSink& Lines, FolderSource& Source) {
  Lines.Add(Folder);
  std::vector<std::string> children;
  Source.Enumerate(Folder, [&children](const char* Name, DWORD Attributes) {
    if (IsSnapshotFolder(Name, Attributes)) children.emplace_back(Name);
  });
  for (const std::string& child : children) Lines.Add(Folder + child + "\\");
  for (const std::string& child : children) Walk(Folder + child + "\\", Lines, Source);
}

}  // namespace

void CollectFolders(const std::string& Path, LineSink& Lines, FolderSource& Source) {
  Walk(IncludeTrailingBackslash(Path), Lines, Source);
}

void CollectFolders(const std::string& Path, LineSink& Lines) {
  Win32FolderSource source;
  CollectFolders(Path, Lines, source);
}
