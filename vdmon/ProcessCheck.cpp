#include "vdmon/ProcessCheck.h"

#include <tlhelp32.h>

#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"

#if defined(__i386__)
static_assert(sizeof(PROCESSENTRY32) == 296, "32-bit process entry layout");
#else
static_assert(sizeof(PROCESSENTRY32) == 304, "64-bit process entry layout");
#endif

std::vector<DWORD> FindProcessesByImageName(const std::string& ExeName) {
  std::vector<DWORD> ids;
  ScopedFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;

  const std::string wanted = AnsiUpperCase(ExeName.substr(0, MAX_PATH));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
    std::string image(entry.szExeFile, strnlen(entry.szExeFile, MAX_PATH));
    if (AnsiUpperCase(ExtractFileName(image)) == wanted || AnsiUpperCase(image) == wanted)
      ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

bool IsProcessRunning(const std::string& ExeName) { return !FindProcessesByImageName(ExeName).empty(); }
