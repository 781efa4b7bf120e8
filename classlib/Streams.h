// Streams: the abstract TStream, file and handle streams, memory streams, string and resource
// streams. Read/Write move at most Count bytes and return how many moved; ReadBuffer and
// WriteBuffer move exactly Count bytes or raise EReadError / EWriteError.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/System.h"

VD_DECLARE_EXCEPTION(EStreamError, Exception);
VD_DECLARE_EXCEPTION(EFCreateError, EStreamError);
VD_DECLARE_EXCEPTION(EFOpenError, EStreamError);
VD_DECLARE_EXCEPTION(EFilerError, EStreamError);
VD_DECLARE_EXCEPTION(EReadError, EFilerError);
VD_DECLARE_EXCEPTION(EWriteError, EFilerError);
VD_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
VD_DECLARE_EXCEPTION(EResNotFound, Exception);

inline constexpr const char* SReadError = "Stream read error";
inline constexpr const char* SWriteError = "Stream write error";

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// File modes: one access mode, optionally or-ed with one share mode; fmCreate creates or
// truncates (and may take a share mode too).
enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,  // same as exclusive
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,
};

class TStream : public TObject {
  VD_CLASS(TStream, TObject);

public:
  virtual int32_t Read(void* Buffer, int32_t Count) = 0;
  virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
  // The new position from the start.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position();
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t Size();
  // Streams that can't change size keep it (the base does nothing).
  virtual void SetSize(int64_t NewSize) {}

  void ReadBuffer(void* Buffer, int32_t Count);         // EReadError "Stream read error"
  void WriteBuffer(const void* Buffer, int32_t Count);  // EWriteError "Stream write error"
  // Copies Count bytes from Source's position; Count 0 copies the whole of Source from its start.
  // Returns the number of bytes copied.
  int64_t CopyFrom(TStream& Source, int64_t Count);
};

// A stream over a file handle it does not own.
class THandleStream : public TStream {
  VD_CLASS(THandleStream, TStream);

public:
  explicit THandleStream(HANDLE AHandle) : FHandle(AHandle) {}
  HANDLE Handle() const noexcept { return FHandle; }

  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;  // EStreamError when the file can't be resized

protected:
  HANDLE FHandle;
};

// A file opened or created by name; the handle is closed when the stream is destroyed.
class TFileStream : public THandleStream {
  VD_CLASS(TFileStream, THandleStream);

public:
  // Raises EFCreateError "Cannot create file "name". reason" (fmCreate) or
  // EFOpenError "Cannot open file "name". reason".
  TFileStream(const std::string& FileName, uint16_t Mode);
  ~TFileStream() override;
  const std::string& FileName() const noexcept { return FFileName; }

private:
  std::string FFileName;
};

// Memory streams: TCustomMemoryStream reads memory it is given; TMemoryStream owns and grows its
// buffer.
class TCustomMemoryStream : public TStream {
  VD_CLASS(TCustomMemoryStream, TStream);

public:
  void* Memory() const noexcept { return FMemory; }
  int32_t Read(void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return FSize; }
  void SaveToStream(TStream& Stream);
  void SaveToFile(const std::string& FileName);

protected:
  TCustomMemoryStream() = default;
  // Reads from Ptr..Ptr+Size (not owned).
  void SetPointer(void* Ptr, int64_t Size) noexcept;
  void* FMemory = nullptr;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
  VD_CLASS(TMemoryStream, TCustomMemoryStream);

public:
  TMemoryStream() = default;
  int32_t Write(const void* Buffer, int32_t Count) override;
  // Keeps the content up to NewSize (new bytes are zero); the position stays within the data.
  void SetSize(int64_t NewSize) override;
  void Clear();
  void LoadFromStream(TStream& Stream);  // the whole of Stream from its start
  void LoadFromFile(const std::string& FileName);

private:
  std::vector<uint8_t> FBuffer;
};

// A stream over a std::string.
class TStringStream : public TStream {
  VD_CLASS(TStringStream, TStream);

public:
  explicit TStringStream(std::string AString = {}) : FData(std::move(AString)) {}
  const std::string& DataString() const noexcept { return FData; }
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  // Up to Count bytes from the position.
  std::string ReadString(int32_t Count);
  void WriteString(const std::string& S) { WriteBuffer(S.data(), static_cast<int32_t>(S.size())); }

private:
  std::string FData;
  int64_t FPosition = 0;
};

// A read-only stream over a resource of a module (RCDATA for form resources).
class TResourceStream : public TCustomMemoryStream {
  VD_CLASS(TResourceStream, TCustomMemoryStream);

public:
  // Raises EResNotFound "Resource X not found".
  TResourceStream(HINSTANCE Instance, const std::string& ResName, const char* ResType);
  TResourceStream(HINSTANCE Instance, int ResID, const char* ResType);
  // Writes nothing (WriteBuffer raises EWriteError).
  int32_t Write(const void* Buffer, int32_t Count) override;

private:
  void Initialize(HINSTANCE Instance, const char* Name, const char* ResType, const std::string& Shown);
};
