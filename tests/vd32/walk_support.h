// Helpers shared by the snapshot tests.
#pragma once

#include <string>
#include <vector>

#include "vd32/FolderWalk.h"

class LineList : public LineSink {
public:
  void Add(const std::string& Line) override { lines.push_back(Line); }
  std::vector<std::string> lines;
};

// A Unix path of this machine as Wine shows it on drive Z:.
inline std::string DosPathOf(const std::string& UnixPath) {
  std::string dos = "Z:" + UnixPath;
  for (char& c : dos)
    if (c == '/') c = '\\';
  return dos;
}

// The test trees laid out by make-fixtures.sh, as a Windows folder with a trailing backslash.
inline std::string FixtureFolder(const std::string& Relative) {
  std::string dos = DosPathOf(std::string(VD_FIXTURES_DIR) + "/" + Relative);
  if (dos.back() != '\\') dos += '\\';
  return dos;
}

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
  explicit TempFolder(const std::string& Name);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }  // ends in a backslash

private:
  std::string path_;
};

void RemoveTree(const std::string& Folder);
std::string ReadWholeFile(const std::string& FileName);
void WriteWholeFile(const std::string& FileName, const std::string& Text);
