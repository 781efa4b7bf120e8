// The folder walk of the snapshot: every folder below a drive root, depth first.
//
// Lines come out in this order for a folder P: P itself, then P<child>\ for each child folder in
// the order the file system returns them, then the walk of each child in the same order. Every
// folder below the root therefore appears twice: once in its parent's list and once at the head
// of its own walk.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Receives the lines of a walk.
class LineSink {
public:
  virtual ~LineSink() = default;
  virtual void Add(const std::string& Line) = 0;
};

// Calls Visit(name, attribute word) for every entry of a folder, "." and ".." included.
using EntryVisitor = std::function<void(const char* Name, DWORD Attributes)>;

// Where the entries of a folder come from: the file system, or a test's table.
class FolderSource {
public:
  virtual ~FolderSource() = default;
  // Folder ends in a backslash. A folder that cannot be searched yields no entries.
  virtual void Enumerate(const std::string& Folder, const EntryVisitor& Visit) = 0;
};

// FindFirstFileA / FindNextFileA over Folder + "*.*".
class Win32FolderSource : public FolderSource {
public:
  void Enumerate(const std::string& Folder, const EntryVisitor& Visit) override;
};

// A snapshot lists an entry, and walks into it, when it is a directory and not a reparse point
// (junctions and symbolic links are never followed: no loops, no folder twice). Read-only, hidden,
// system and archive bits do not matter; "." and ".." are never entries.
bool IsSnapshotFolder(const char* Name, DWORD Attributes);

// The walk below Path (a trailing backslash is added when missing), each folder enumerated once.
void CollectFolders(const std::string& Path, LineSink& Lines, FolderSource& Source);
void CollectFolders(const std::string& Path, LineSink& Lines);
