// The link recorder for tests that click links: while a TRecorderRegistration lives, the open
// commands of the test prefix's HKEY_CLASSES_ROOT for .html files, http, the test scheme "lxtest"
// and mailto start lx_link_recorder.exe (beside the test program) instead of a browser or a mail
// program; a TLinkRecord names the file it writes, one line per link opened.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/controls/ControlsTestSupport.h"

namespace lxtest {

inline std::string ExeDir() {
  char Path[MAX_PATH];
  DWORD N = GetModuleFileNameA(nullptr, Path, MAX_PATH);
  std::string S(Path, N);
  return S.substr(0, S.find_last_of("\\/") + 1);
}

// Points the open commands of the given classes-root keys at the recorder while it lives, and
// puts back what was there.
class TRecorderRegistration {
public:
  TRecorderRegistration() {
    std::string Command = ExeDir();
    Command = "\"" + Command.append("lx_link_recorder.exe\" \"%1\"");
    Ok = Set(".html", "", "htmlfile");
    for (const char* Class : {"htmlfile", "http", "lxtest", "mailto"}) {
      Ok = Set(std::string(Class) + "\\shell\\open\\command", "", Command) && Ok;
      if (std::string(Class) != "htmlfile") Ok = Set(Class, "URL Protocol", "") && Ok;
    }
  }
  ~TRecorderRegistration() {
    for (auto It = FSaved.rbegin(); It != FSaved.rend(); ++It) {
      HKEY K;
      if (RegCreateKeyExA(HKEY_CLASSES_ROOT, It->Key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &K, nullptr))
        continue;
      if (It->Existed)
        RegSetValueExA(K, It->Name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(It->Value.c_str()),
                       static_cast<DWORD>(It->Value.size() + 1));
      else RegDeleteValueA(K, It->Name.c_str());
      RegCloseKey(K);
    }
  }
  bool Ok = false;

private:
  struct TSaved {
    std::string Key, Name, Value;
    bool Existed;
  };
  bool Set(const std::string& Key, const std::string& Name, const std::string& Value) {
    HKEY K;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, Key.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &K,
                        nullptr))
      return false;
    char Old[1024] = {};
    DWORD Size = sizeof Old - 1, Type = 0;
    bool Existed = RegQueryValueExA(K, Name.c_str(), nullptr, &Type, reinterpret_cast<BYTE*>(Old), &Size) == 0;
    FSaved.push_back({Key, Name, Old, Existed});
    bool Done = RegSetValueExA(K, Name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()),
                               static_cast<DWORD>(Value.size() + 1)) == 0;
    RegCloseKey(K);
    return Done;
  }
  std::vector<TSaved> FSaved;
};

// The recorder's file for this process (LX_LINK_RECORD), empty at first and removed at the end.
class TLinkRecord {
public:
  TLinkRecord() {
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    FPath = std::string(Temp) + "lx_link_record_" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(FPath.c_str());
    SetEnvironmentVariableA("LX_LINK_RECORD", FPath.c_str());
  }
  ~TLinkRecord() { DeleteFileA(FPath.c_str()); }
  TLinkRecord(const TLinkRecord&) = delete;
  TLinkRecord& operator=(const TLinkRecord&) = delete;

  // The lines recorded, once there are Count of them (or what there is after 20 s).
  std::vector<std::string> Lines(size_t Count) const {
    std::vector<std::string> Result;
    testsupport::PumpUntil(
        [&] {
          Result.clear();
          std::ifstream In(FPath);
          for (std::string L; std::getline(In, L);) Result.push_back(L);
          return Result.size() >= Count;
        },
        20000);
    return Result;
  }
  bool Empty() const { return GetFileAttributesA(FPath.c_str()) == INVALID_FILE_ATTRIBUTES; }

private:
  std::string FPath;
};

}  // namespace lxtest
