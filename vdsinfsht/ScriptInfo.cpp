#include "vdsinfsht/ScriptInfo.h"

#include <windows.h>

#include <mutex>

#include "classlib/SyncObjs.h"
#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"
#include "vd32/Functions.h"
#include "vdsinfsht/ScriptInfoContract.h"

namespace {

// The callback carries no context, so the compiler's report lands in one process-wide record.
// The lock serialises whole calls; the callback itself runs inside one and takes no lock.
TCriticalSection ScriptInfoLock;
TScriptInfo ReportedInfo;
bool CallInProgress = false;

std::string TextOrEmpty(LPCSTR Text) { return Text ? std::string(Text) : std::string(); }

void __stdcall ScriptInfoCallback(LPCSTR Author, LPCSTR Version, LPCSTR Comments, LPCSTR DisplayName,
                                  LPCSTR Description, int Code) {
  // A report arriving after the call returned belongs to nobody.
  if (Code != kScriptInfoCode || !CallInProgress) return;
  try {
    ReportedInfo = {TextOrEmpty(Author), TextOrEmpty(Version), TextOrEmpty(Comments), TextOrEmpty(DisplayName),
                    TextOrEmpty(Description)};
  } catch (...) {
    ReportedInfo = {};
  }
}

bool CallCompiler(TVDGetScriptInfo Entry, const std::string& FileName, TScriptInfo& Info) {
  TScriptInfoRequest request;
  ZeroMemory(&request, sizeof request);
  request.Size = sizeof request;
  request.FileName = FileName.c_str();
  request.Callback = &ScriptInfoCallback;

  std::lock_guard<TCriticalSection> guard(ScriptInfoLock);
  ReportedInfo = {};
  CallInProgress = true;
  BOOLEAN answer = Entry(request);
  CallInProgress = false;
  if (answer == 0) return false;
  Info = ReportedInfo;
  return true;
}

}  // namespace

std::string CompilerLibPathIn(const std::string& InstallDir) {
  std::string path = IncludeTrailingBackslash(InstallDir) + "Data\\Lib\\" + kScriptCompilerLibrary;
  return FileExists(path) ? path : std::string();
}

std::string GetCompilerLibPath() {
  std::string installDir;
  if (!TryGetInstallDir(installDir)) return std::string();
  return CompilerLibPathIn(installDir);
}

bool GetScriptInfo(const std::string& LibPath, const std::string& FileName, TScriptInfo& Info) noexcept {
  try {
    if (LibPath.empty()) return false;
    ScopedLibrary library(LoadLibraryA(LibPath.c_str()));
    if (!library) return false;
    auto entry = reinterpret_cast<TVDGetScriptInfo>(GetProcAddress(library.get(), kScriptInfoExport));
    return entry != nullptr && CallCompiler(entry, FileName, Info);
  } catch (...) {
    return false;
  }
}

void ClearScriptInfo() noexcept {
  std::lock_guard<TCriticalSection> guard(ScriptInfoLock);
  ReportedInfo = {};
}
