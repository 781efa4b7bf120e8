#include "classlib/IniFiles.h"

#include <windows.h>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

namespace {
// The profile functions never need more than this for names; beyond it the file is not an INI file.
constexpr DWORD kMaxListBufferSize = 64u * 1024u * 1024u;
}  // namespace

TIniFile::TIniFile(std::string FileName) : fileName_(std::move(FileName)) {}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
  char buffer[kValueBufferSize];
  DWORD n = GetPrivateProfileStringA(Section.c_str(), Ident.c_str(), Default.c_str(), buffer, kValueBufferSize,
                                     fileName_.c_str());
  return std::string(buffer, n);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  if (!WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), Value.c_str(), fileName_.c_str()))
    throw EIniFileException("Unable to write to " + fileName_);
}

int TIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) const {
  return StrToIntDef(ReadString(Section, Ident, ""), Default);
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadNameList(const char* Section) const {
  // When the list does not fit, the profile functions cut it and report size - 2: grow and ask again,
  // so no name is ever dropped.
  std::vector<char> buffer(kListBufferSize);
  DWORD n;
  for (;;) {
    n = GetPrivateProfileStringA(Section, nullptr, "", buffer.data(), static_cast<DWORD>(buffer.size()),
                                 fileName_.c_str());
    if (n + 2 < buffer.size() || buffer.size() >= kMaxListBufferSize) break;
    buffer.assign(buffer.size() * 2, '\0');
  }
  std::vector<std::string> names;
  for (DWORD i = 0; i < n;) {
    std::string name(&buffer[i]);
    i += static_cast<DWORD>(name.size()) + 1;
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

namespace {
// Replaces the content of a string list under one update, so listeners see a single change.
void AssignLines(TStrings& Strings, const std::vector<std::string>& Lines) {
  Strings.BeginUpdate();
  try {
    Strings.Clear();
    for (const std::string& line : Lines) Strings.Add(line);
  } catch (...) {
    Strings.EndUpdate();
    throw;
  }
  Strings.EndUpdate();
}
}  // namespace

void TIniFile::ReadSection(const std::string& Section, TStrings& Strings) const {
  AssignLines(Strings, ReadSectionKeys(Section));
}

void TIniFile::ReadSectionValues(const std::string& Section, TStrings& Strings) const {
  AssignLines(Strings, ReadSectionLines(Section));
}

void TIniFile::ReadSections(TStrings& Strings) const { AssignLines(Strings, ReadSectionNames()); }

std::vector<std::string> TIniFile::ReadSectionKeys(const std::string& Section) const {
  return ReadNameList(Section.c_str());
}

std::vector<std::string> TIniFile::ReadSectionLines(const std::string& Section) const {
  std::vector<std::string> lines;
  for (const std::string& key : ReadSectionKeys(Section)) lines.push_back(key + "=" + ReadString(Section, key, ""));
  return lines;
}

std::vector<std::string> TIniFile::ReadSectionNames() const { return ReadNameList(nullptr); }

bool TIniFile::SectionExists(const std::string& Section) const { return !ReadSectionKeys(Section).empty(); }

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident) const {
  for (const std::string& key : ReadSectionKeys(Section))
    if (SameText(key, Ident)) return true;
  return false;
}

void TIniFile::EraseSection(const std::string& Section) {
  if (!WritePrivateProfileStringA(Section.c_str(), nullptr, nullptr, fileName_.c_str()))
    throw EIniFileException("Unable to write to " + fileName_);
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), nullptr, fileName_.c_str());
}

void TIniFile::UpdateFile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName_.c_str()); }
