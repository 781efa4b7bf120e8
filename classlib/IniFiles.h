// INI files through the Windows private-profile functions.
#pragma once

#include <string>
#include <vector>

class TStrings;

class TIniFile {
public:
  // Values are read through a buffer of this size: longer values come back cut to 2047 characters.
  static constexpr unsigned kValueBufferSize = 2048;
  // Key and section lists start with a buffer of this size and grow until every name fits.
  static constexpr unsigned kListBufferSize = 16384;

  explicit TIniFile(std::string FileName);
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) const;
  // Raises EIniFileException when the profile function fails.
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
  // Strict: decimal or "0x"/"0X"/"$" hexadecimal with an optional sign; anything else gives Default.
  int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
  void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
  bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;
  void WriteBool(const std::string& Section, const std::string& Ident, bool Value);

  // Key names of a section in file order.
  std::vector<std::string> ReadSectionKeys(const std::string& Section) const;
  // "key=value" for every key of a section in file order, empty values included.
  std::vector<std::string> ReadSectionLines(const std::string& Section) const;
  std::vector<std::string> ReadSectionNames() const;
  // The same lists into a string list, which is cleared first.
  void ReadSection(const std::string& Section, TStrings& Strings) const;
  void ReadSectionValues(const std::string& Section, TStrings& Strings) const;
  void ReadSections(TStrings& Strings) const;
  bool SectionExists(const std::string& Section) const;
  bool ValueExists(const std::string& Section, const std::string& Ident) const;

  void EraseSection(const std::string& Section);
  void DeleteKey(const std::string& Section, const std::string& Ident);
  // Writes cached changes to disk and makes the next read see the file as it is now.
  void UpdateFile();

private:
  // A double-NUL-terminated name list (Section empty: all section names).
  std::vector<std::string> ReadNameList(const char* Section) const;

  std::string fileName_;
};
