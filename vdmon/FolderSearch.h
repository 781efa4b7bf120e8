// The mask search over a folder tree. Files count, folders never do; every folder is entered except
// reparse points (junctions and symbolic links), which also keeps the walk free of loops.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The folder-descent rule: a directory that is not a reparse point, and neither "." nor "..".
bool IsEnterableFolder(DWORD Attributes, const std::string& Name);

// True when a file matching Mask lies in Dir or in a folder below it. One walk of the tree for the
// one mask, asking the file system for Dir + Mask in every folder. An empty Dir means the root of the
// current drive. A folder that cannot be searched counts as holding no match.
bool FindFileByMask(const std::string& Dir, const std::string& Mask);

// The same answer as FindFileByMask for any of Masks (empty masks are skipped), from one walk of the
// tree that lists each folder once and tests every mask against the listing.
bool FindFileByAnyMask(const std::string& Dir, const std::vector<std::string>& Masks);
