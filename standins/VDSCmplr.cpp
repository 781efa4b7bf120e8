// Stand-in for the product's script compiler: VDGetScriptInfo with the real call contract, reading
// the five texts from lines of the script file itself:
//   @Author=...  @Version=...  @Comments=...  @DisplayName=...  @Description=...
// and these knobs for tests:
//   @Codes=24,7,24      callback codes, in order (default 24; empty: no callback at all)
//   @Result=0|1         the answer (default 1)
//   @Null=Author,...    fields sent as nil pointers
//   @SleepMs=200        a pause inside the call, after the callbacks
// A code other than 24 sends "ignored code N" in every field; every code-24 call but the last
// sends the texts with " (early)" appended, so a reader that keeps the first answer shows it.
// A wrong record size, a nil name or an unreadable file answers 0 without calling back. The answer
// is one byte; the upper bytes of the result register hold garbage, as the real compiler may leave
// them, so a caller that reads a 32-bit BOOL sees "true" for every answer.
#include <windows.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "classlib/ModuleRuntime.h"
#include "vdsinfsht/ScriptInfoContract.h"

namespace {

constexpr std::array<const char*, 5> kFieldNames = {"Author", "Version", "Comments", "DisplayName", "Description"};

struct TScript {
  std::array<std::string, 5> Texts;
  std::array<bool, 5> Null{};
  std::vector<int> Codes{kScriptInfoCode};
  bool Result = true;
  DWORD SleepMs = 0;
};

int FieldIndex(const std::string& Name) {
  for (size_t i = 0; i < kFieldNames.size(); ++i)
    if (Name == kFieldNames[i]) return static_cast<int>(i);
  return -1;
}

std::vector<std::string> Split(const std::string& Text, char Separator) {
  std::vector<std::string> Parts;
  size_t Start = 0;
  for (size_t At; (At = Text.find(Separator, Start)) != std::string::npos; Start = At + 1)
    Parts.push_back(Text.substr(Start, At - Start));
  Parts.push_back(Text.substr(Start));
  return Parts;
}

std::vector<std::string> SplitList(const std::string& Text) {
  std::vector<std::string> Items;
  for (std::string& Item : Split(Text, ','))
    if (!Item.empty()) Items.push_back(std::move(Item));
  return Items;
}

// The whole file (plain C stdio: the C++ streams would start the runtime's locale machinery, which
// a library that is loaded and freed again and again must not leave behind).
bool ReadFileText(const char* FileName, std::string& Text) {
  std::FILE* File = std::fopen(FileName, "rb");
  if (File == nullptr) return false;
  char Buffer[4096];
  for (size_t Got; (Got = std::fread(Buffer, 1, sizeof Buffer, File)) > 0;) Text.append(Buffer, Got);
  std::fclose(File);
  return true;
}

bool ReadScript(const char* FileName, TScript& Script) {
  std::string Text;
  if (!ReadFileText(FileName, Text)) return false;
  for (std::string& line : Split(Text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 2 || line[0] != '@') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(1, eq - 1), value = line.substr(eq + 1);
    if (int field = FieldIndex(key); field >= 0) {
      Script.Texts[field] = value;
    } else if (key == "Codes") {
      Script.Codes.clear();
      for (const std::string& code : SplitList(value)) Script.Codes.push_back(std::stoi(code));
    } else if (key == "Result") {
      Script.Result = value != "0";
    } else if (key == "Null") {
      for (const std::string& name : SplitList(value))
        if (int field = FieldIndex(name); field >= 0) Script.Null[field] = true;
    } else if (key == "SleepMs") {
      Script.SleepMs = static_cast<DWORD>(std::stoul(value));
    }
  }
  return true;
}

void Report(const TScript& Script, TScriptInfoCallback Callback) {
  size_t lastInfo = Script.Codes.size();
  for (size_t i = 0; i < Script.Codes.size(); ++i)
    if (Script.Codes[i] == kScriptInfoCode) lastInfo = i;
  for (size_t i = 0; i < Script.Codes.size(); ++i) {
    int code = Script.Codes[i];
    std::array<std::string, 5> texts = Script.Texts;
    for (std::string& text : texts) {
      if (code != kScriptInfoCode)
        text = "ignored code " + std::to_string(code);
      else if (i != lastInfo)
        text += " (early)";
    }
    std::array<LPCSTR, 5> args{};
    for (size_t f = 0; f < args.size(); ++f) args[f] = Script.Null[f] ? nullptr : texts[f].c_str();
    Callback(args[0], args[1], args[2], args[3], args[4], code);
  }
}

}  // namespace

namespace {
constexpr UINT kGarbage = 0xA5A5A500u;

bool GetScriptInfo(const TScriptInfoRequest& Request) {
  if (Request.Size != sizeof(TScriptInfoRequest) || Request.FileName == nullptr) return false;
  TScript script;
  if (!ReadScript(Request.FileName, script)) return false;
  if (Request.Callback != nullptr) Report(script, Request.Callback);
  if (script.SleepMs > 0) Sleep(script.SleepMs);
  return script.Result;
}
}  // namespace

// Declared with a 32-bit result on purpose (see above); callers bind TVDGetScriptInfo.
extern "C" UINT __stdcall VDGetScriptInfo(TScriptInfoRequest Request) {
  try {
    return kGarbage | (GetScriptInfo(Request) ? 1u : 0u);
  } catch (...) {
    return kGarbage;
  }
}

// A real unload releases the runtime, as in every library of the system.
VD_LIBRARY_DLLMAIN
