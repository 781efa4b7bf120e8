#include "vd32/FolderWalk.h"

#include <vector>

#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"

namespace {
// Newer systems can leave out the 8.3 alias and fetch in larger batches; older ones refuse the
// request, and the plain search is used from then on.
constexpr FINDEX_INFO_LEVELS kInfoBasic = static_cast<FINDEX_INFO_LEVELS>(1);  // FindExInfoBasic
constexpr DWORD kLargeFetch = 2;                                                  // FIND_FIRST_EX_LARGE_FETCH

HANDLE FindFirst(const std::string& Pattern, WIN32_FIND_DATAA& Data) {
  static bool basicRefused = false;
  if (!basicRefused) {
    HANDLE h = FindFirstFileExA(Pattern.c_str(), kInfoBasic, &Data, FindExSearchNameMatch, nullptr, kLargeFetch);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER) return h;
    basicRefused = true;
  }
  return FindFirstFileA(Pattern.c_str(), &Data);
}
}  // namespace

void Win32FolderSource::Enumerate(const std::string& Folder, const EntryVisitor& Visit) {
  WIN32_FIND_DATAA data;
  ScopedFindHandle find(FindFirst(Folder + "*", data));  // the same entries as "*.*"
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
