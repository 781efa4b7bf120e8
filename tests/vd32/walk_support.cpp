#include "walk_support.h"

#include <windows.h>

#include <fstream>
#include <sstream>

void RemoveTree(const std::string& Folder) {
  std::string dir = Folder;
  if (dir.empty()) return;
  if (dir.back() != '\\') dir += '\\';
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTree(path);
      else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryA(path.c_str());
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(dir.c_str());
}

TempFolder::TempFolder(const std::string& Name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  path_ = std::string(temp) + Name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string ReadWholeFile(const std::string& FileName) {
  std::ifstream in(FileName, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteWholeFile(const std::string& FileName, const std::string& Text) {
  std::ofstream out(FileName, std::ios::binary | std::ios::trunc);
  out << Text;
}
