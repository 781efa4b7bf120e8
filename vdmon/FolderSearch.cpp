#include "vdmon/FolderSearch.h"

#include <algorithm>

#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"
#include "vdmon/MaskMatch.h"

bool IsEnterableFolder(DWORD Attributes, const std::string& Name) {
  if ((Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (Attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
  return Name != "." && Name != "..";
}

namespace {

constexpr char kAllEntries[] = "*.*";

// True when the file system lists a file (not a folder) for Pattern.
bool FileSystemHasFile(const std::string& Pattern) {
  WIN32_FIND_DATAA data;
  ScopedFindHandle find(FindFirstFileA(Pattern.c_str(), &data));
  if (!find) return false;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return true;
  } while (FindNextFileA(find.get(), &data));
  return false;
}

bool SearchOneMask(const std::string& D, const std::string& Mask) {
  if (FileSystemHasFile(D + Mask)) return true;
  WIN32_FIND_DATAA data;
  ScopedFindHandle find(FindFirstFileA((D + kAllEntries).c_str(), &data));
  if (!find) return false;
  do {
    if (IsEnterableFolder(data.dwFileAttributes, data.cFileName) &&
        SearchOneMask(IncludeTrailingBackslash(D + data.cFileName), Mask))
      return true;
  } while (FindNextFileA(find.get(), &data));
  return false;
}

// The code page the ANSI file functions convert names with.
UINT FileApiCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

std::wstring ToWide(const std::string& s, UINT cp) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string ToAnsi(const std::wstring& w, UINT cp) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// One walk for all masks. In each folder the listing is read once and the masks that can be matched
// in memory are tested against every file's long name and 8.3 alias; the other masks (folder parts,
// '?', odd characters) ask the file system for D + mask as FindFileByMask does. Near MAX_PATH the
// ANSI file functions start to fail where the wide ones still work, so deep folders are searched
// exactly as FindFileByMask searches them.
class MultiMaskSearch {
public:
  explicit MultiMaskSearch(const std::vector<std::string>& Masks) : codePage_(FileApiCodePage()) {
    for (const std::string& m : Masks) {
      if (m.empty()) continue;
      masks_.emplace_back(m);
      longestMask_ = std::max(longestMask_, m.size());
    }
  }

  bool Run(const std::string& Dir) {
    if (masks_.empty()) return false;
    std::string d = IncludeTrailingBackslash(Dir);
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(d.c_str(), MAX_PATH, full, nullptr);
    size_t fullLength = (n == 0 || n >= MAX_PATH) ? MAX_PATH : n;
    return Search(d, fullLength);
  }

private:
  struct Listing {
    bool listed = false;
    bool fileMatch = false;
    std::vector<std::string> folders;
  };

  // Room left below MAX_PATH for the ANSI calls of the exact search, with a margin for the
  // conversion's terminator and path normalisation.
  bool IsShallow(const std::string& D, size_t fullLength) const {
    size_t tail = std::max(longestMask_, sizeof(kAllEntries) - 1);
    return D.size() + tail + 16 < MAX_PATH && fullLength + tail + 16 < MAX_PATH;
  }

  bool Search(const std::string& D, size_t fullLength) {
    bool shallow = IsShallow(D, fullLength);
    Listing listing = shallow ? ListWide(D) : ListAnsi(D);
    if (listing.fileMatch) return true;
    // Masks the listing did not answer go to the file system, like every mask when there is no listing.
    bool listingAnswered = shallow && listing.listed;
    for (const FileMask& mask : masks_)
      if ((!listingAnswered || !mask.MatchesInMemory()) && FileSystemHasFile(D + mask.Text())) return true;
    for (const std::string& name : listing.folders)
      if (Search(D + name + '\\', fullLength + name.size() + 1)) return true;
    return false;
  }

  bool MatchesInMemory(const std::wstring& name, const std::wstring& alias) const {
    for (const FileMask& mask : masks_)
      if (mask.MatchesInMemory() && (mask.Matches(name) || (!alias.empty() && mask.Matches(alias)))) return true;
    return false;
  }

  Listing ListWide(const std::string& D) const {
    Listing listing;
    WIN32_FIND_DATAW data;
    ScopedFindHandle find(FindFirstFileW(ToWide(D + kAllEntries, codePage_).c_str(), &data));
    if (!find) return listing;
    listing.listed = true;
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        if (MatchesInMemory(data.cFileName, data.cAlternateFileName)) {
          listing.fileMatch = true;
          return listing;
        }
      } else {
        std::string name = ToAnsi(data.cFileName, codePage_);
        if (IsEnterableFolder(data.dwFileAttributes, name)) listing.folders.push_back(std::move(name));
      }
    } while (FindNextFileW(find.get(), &data));
    return listing;
  }

  static Listing ListAnsi(const std::string& D) {
    Listing listing;
    WIN32_FIND_DATAA data;
    ScopedFindHandle find(FindFirstFileA((D + kAllEntries).c_str(), &data));
    if (!find) return listing;
    do {
      if (IsEnterableFolder(data.dwFileAttributes, data.cFileName)) listing.folders.emplace_back(data.cFileName);
    } while (FindNextFileA(find.get(), &data));
    return listing;
  }

  UINT codePage_;
  std::vector<FileMask> masks_;
  size_t longestMask_ = 0;
};

}  // namespace

bool FindFileByMask(const std::string& Dir, const std::string& Mask) {
  if (Mask.empty()) return false;
  return SearchOneMask(IncludeTrailingBackslash(Dir), Mask);
}

bool FindFileByAnyMask(const std::string& Dir, const std::vector<std::string>& Masks) {
  return MultiMaskSearch(Masks).Run(Dir);
}
