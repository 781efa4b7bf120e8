#include "classlib/Streams.h"

#include <algorithm>
#include <cstring>

#include "classlib/TypInfo.h"

VD_DEFINE_CLASS(TStream) {}
VD_DEFINE_CLASS(THandleStream) {}
VD_DEFINE_CLASS(TFileStream) {}
VD_DEFINE_CLASS(TCustomMemoryStream) {}
VD_DEFINE_CLASS(TMemoryStream) {}
VD_DEFINE_CLASS(TStringStream) {}
VD_DEFINE_CLASS(TResourceStream) {}

namespace {
// New position for Seek on a stream held in memory; negative results are kept at 0.
int64_t SeekTarget(int64_t Offset, TSeekOrigin Origin, int64_t Position, int64_t Size) {
  int64_t Base = Origin == soBeginning ? 0 : Origin == soCurrent ? Position : Size;
  return std::max<int64_t>(0, Base + Offset);
}

// Bytes that can be read at Position of Size, at most Count.
int32_t Available(int64_t Position, int64_t Size, int32_t Count) {
  if (Count <= 0 || Position >= Size) return 0;
  return static_cast<int32_t>(std::min<int64_t>(Count, Size - Position));
}
}  // namespace

// ---- TStream ------------------------------------------------------------------------------------

int64_t TStream::Position() { return Seek(0, soCurrent); }

int64_t TStream::Size() {
  int64_t Pos = Seek(0, soCurrent);
  int64_t End = Seek(0, soEnd);
  Seek(Pos, soBeginning);
  return End;
}

void TStream::ReadBuffer(void* Buffer, int32_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(SWriteError);
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  constexpr int32_t kChunk = 0xF000;
  std::vector<uint8_t> Buffer(static_cast<size_t>(std::min<int64_t>(Count, kChunk)));
  int64_t Done = 0;
  while (Done < Count) {
    auto N = static_cast<int32_t>(std::min<int64_t>(Count - Done, kChunk));
    Source.ReadBuffer(Buffer.data(), N);
    WriteBuffer(Buffer.data(), N);
    Done += N;
  }
  return Done;
}

// ---- THandleStream / TFileStream ----------------------------------------------------------------

int32_t THandleStream::Read(void* Buffer, int32_t Count) {
  DWORD Done = 0;
  if (Count <= 0 || !ReadFile(FHandle, Buffer, static_cast<DWORD>(Count), &Done, nullptr)) return 0;
  return static_cast<int32_t>(Done);
}

int32_t THandleStream::Write(const void* Buffer, int32_t Count) {
  DWORD Done = 0;
  if (Count <= 0 || !WriteFile(FHandle, Buffer, static_cast<DWORD>(Count), &Done, nullptr)) return 0;
  return static_cast<int32_t>(Done);
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  static const DWORD Methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER Distance, NewPos;
  Distance.QuadPart = Offset;
  if (!SetFilePointerEx(FHandle, Distance, &NewPos, Methods[Origin])) return -1;
  return NewPos.QuadPart;
}

void THandleStream::SetSize(int64_t NewSize) {
  int64_t Pos = Position();
  Seek(NewSize, soBeginning);
  if (!SetEndOfFile(FHandle)) throw EStreamError("Cannot change the size of the stream. " + SysErrorMessage(GetLastError()));
  Seek(std::min(Pos, NewSize), soBeginning);
}

TFileStream::TFileStream(const std::string& FileName, uint16_t Mode)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(FileName) {
  static const DWORD ShareModes[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE};
  unsigned ShareIndex = (Mode & 0xF0) >> 4;
  DWORD Share = ShareIndex < 5 ? ShareModes[ShareIndex] : 0;
  bool Creating = (Mode & fmCreate) == fmCreate;
  DWORD Access;
  if (Creating) {
    Access = GENERIC_READ | GENERIC_WRITE;
  } else {
    static const DWORD AccessModes[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    unsigned AccessIndex = Mode & 0x3;
    Access = AccessIndex < 3 ? AccessModes[AccessIndex] : GENERIC_READ;
  }
  FHandle = CreateFileA(FileName.c_str(), Access, Share, nullptr,
                        Creating ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (FHandle == INVALID_HANDLE_VALUE) {
    std::string Reason = SysErrorMessage(GetLastError());
    if (Creating) throw EFCreateError("Cannot create file \"" + FileName + "\". " + Reason);
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + Reason);
  }
}

TFileStream::~TFileStream() {
  if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
}

// ---- Memory streams -----------------------------------------------------------------------------

void TCustomMemoryStream::SetPointer(void* Ptr, int64_t Size) noexcept {
  FMemory = Ptr;
  FSize = Size;
}

int32_t TCustomMemoryStream::Read(void* Buffer, int32_t Count) {
  int32_t N = Available(FPosition, FSize, Count);
  if (N > 0) {
    std::memcpy(Buffer, static_cast<const uint8_t*>(FMemory) + FPosition, static_cast<size_t>(N));
    FPosition += N;
  }
  return N;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPosition = SeekTarget(Offset, Origin, FPosition, FSize);
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream& Stream) {
  if (FSize > 0) Stream.WriteBuffer(FMemory, static_cast<int32_t>(FSize));
}

void TCustomMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream File(FileName, fmCreate);
  SaveToStream(File);
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count) {
  if (Count <= 0) return 0;
  int64_t End = FPosition + Count;
  if (End > FSize) SetSize(End);
  std::memcpy(FBuffer.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = End;
  return Count;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  FBuffer.resize(static_cast<size_t>(NewSize));
  SetPointer(FBuffer.empty() ? nullptr : FBuffer.data(), NewSize);
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
  FBuffer.clear();
  FBuffer.shrink_to_fit();
  SetPointer(nullptr, 0);
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
  Stream.SetPosition(0);
  int64_t Count = Stream.Size();
  SetSize(Count);
  if (Count > 0) Stream.ReadBuffer(FBuffer.data(), static_cast<int32_t>(Count));
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream File(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(File);
}

// ---- TStringStream ------------------------------------------------------------------------------

int32_t TStringStream::Read(void* Buffer, int32_t Count) {
  int32_t N = Available(FPosition, static_cast<int64_t>(FData.size()), Count);
  if (N > 0) {
    std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(N));
    FPosition += N;
  }
  return N;
}

int32_t TStringStream::Write(const void* Buffer, int32_t Count) {
  if (Count <= 0) return 0;
  auto Pos = static_cast<size_t>(FPosition);
  if (Pos + static_cast<size_t>(Count) > FData.size()) FData.resize(Pos + static_cast<size_t>(Count));
  std::memcpy(FData.data() + Pos, Buffer, static_cast<size_t>(Count));
  FPosition += Count;
  return Count;
}

int64_t TStringStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPosition = SeekTarget(Offset, Origin, FPosition, static_cast<int64_t>(FData.size()));
  return FPosition;
}

void TStringStream::SetSize(int64_t NewSize) {
  FData.resize(static_cast<size_t>(std::max<int64_t>(0, NewSize)));
  FPosition = std::min(FPosition, static_cast<int64_t>(FData.size()));
}

std::string TStringStream::ReadString(int32_t Count) {
  std::string S(static_cast<size_t>(Available(FPosition, static_cast<int64_t>(FData.size()), Count)), '\0');
  if (!S.empty()) Read(S.data(), static_cast<int32_t>(S.size()));
  return S;
}

// ---- TResourceStream ----------------------------------------------------------------------------

TResourceStream::TResourceStream(HINSTANCE Instance, const std::string& ResName, const char* ResType) {
  Initialize(Instance, ResName.c_str(), ResType, ResName);
}

TResourceStream::TResourceStream(HINSTANCE Instance, int ResID, const char* ResType) {
  Initialize(Instance, MAKEINTRESOURCEA(ResID), ResType, std::to_string(ResID));
}

void TResourceStream::Initialize(HINSTANCE Instance, const char* Name, const char* ResType,
                                 const std::string& Shown) {
  HRSRC Info = FindResourceA(Instance, Name, ResType);
  HGLOBAL Data = Info ? LoadResource(Instance, Info) : nullptr;
  void* Ptr = Data ? LockResource(Data) : nullptr;  // resource memory lives as long as the module
  if (!Ptr) throw EResNotFound("Resource " + Shown + " not found");
  SetPointer(Ptr, SizeofResource(Instance, Info));
}

int32_t TResourceStream::Write(const void*, int32_t) { return 0; }
