// File-name masks matched in memory the way FindFirstFileA matches them, for the masks where that is
// certain. The folder search asks the file system itself for every other mask.
#pragma once

#include <string>
#include <vector>

class FileMask {
public:
  explicit FileMask(const std::string& Mask);

  const std::string& Text() const { return text_; }
  // False when only the file system can answer for this mask: empty, a folder part, '?', characters
  // outside printable ASCII (blanks included), a trailing dot, or reserved characters.
  bool MatchesInMemory() const { return inMemory_; }
  // Only for masks that match in memory. Name is the long name or the 8.3 alias (UTF-16).
  bool Matches(const std::wstring& Name) const;

private:
  std::string text_;
  bool inMemory_ = false;
  bool matchesAll_ = false;
  std::wstring expression_;  // upper case, with the DOS wildcards
};
