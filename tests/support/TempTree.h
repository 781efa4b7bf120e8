// A private folder below the user's temp folder for one test, removed with everything in it.
// Paths are ANSI; removal uses "\\?\" wide paths so folders deeper than MAX_PATH go too, and never
// follows junctions or symbolic links.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

class TempTree {
public:
  TempTree() {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char name[64];
    std::snprintf(name, sizeof name, "vdt-%lu-%d\\", GetCurrentProcessId(), counter++);
    root_ = std::string(temp) + name;
    RemoveTree(Wide(root_));
    CreateDirectoryA(root_.c_str(), nullptr);
  }
  ~TempTree() { RemoveTree(Wide(root_)); }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The folder, with a trailing backslash.
  const std::string& Root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + relative; }

  // Creates the folder and every folder above it (relative to Root, '\' separated).
  std::string Dir(const std::string& relative) const {
    std::string path = root_;
    size_t start = 0;
    while (start < relative.size()) {
      size_t end = relative.find('\\', start);
      if (end == std::string::npos) end = relative.size();
      path += relative.substr(start, end - start) + "\\";
      CreateDirectoryW(LongPath(path).c_str(), nullptr);
      start = end + 1;
    }
    return path;
  }

  // Creates a file (and its folders) with the given content.
  std::string File(const std::string& relative, const std::string& content = std::string()) const {
    size_t slash = relative.rfind('\\');
    if (slash != std::string::npos) Dir(relative.substr(0, slash));
    std::string path = root_ + relative;
    HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      if (!content.empty()) WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
      CloseHandle(h);
    }
    return path;
  }

  static std::wstring Wide(const std::string& s) {
    std::wstring w(s.size(), L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), static_cast<int>(w.size()));
    w.resize(static_cast<size_t>(n));
    return w;
  }
  static std::wstring LongPath(const std::string& path) { return L"\\\\?\\" + Wide(path); }

private:
  static void RemoveTree(const std::wstring& dir) {
    std::wstring base = dir.rfind(L"\\\\?\\", 0) == 0 ? dir : L"\\\\?\\" + dir;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((base + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = base + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) RemoveTree(path);
          SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
          RemoveDirectoryW(path.c_str());
        } else {
          SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(path.c_str());
        }
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(base.c_str());
  }

  std::string root_;
};

// A build-tree path of this machine as the Windows programs see it (Z: is the Linux root).
inline std::string WindowsPathOfUnix(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}
