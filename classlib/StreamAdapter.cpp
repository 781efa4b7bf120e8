#include "classlib/StreamAdapter.h"

#include <algorithm>
#include <cstring>
#include <vector>

IStream* TStreamAdapter::New(TStream& Stream, TStreamOwnership Ownership) {
  return new TStreamAdapter(Stream, Ownership);
}

TStreamAdapter::~TStreamAdapter() {
  if (FOwnership == soOwned) FStream.Free();
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::QueryInterface(REFIID Iid, void** Obj) {
  if (!Obj) return E_POINTER;
  if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_ISequentialStream) ||
      IsEqualIID(Iid, IID_IStream)) {
    *Obj = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  *Obj = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TStreamAdapter::AddRef() { return ++FRefCount; }

ULONG STDMETHODCALLTYPE TStreamAdapter::Release() {
  ULONG Count = --FRefCount;
  if (Count == 0) {
    try {
      delete this;
    } catch (...) {
    }
  }
  return Count;
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Read(void* Buffer, ULONG Count, ULONG* Done) {
  if (Done) *Done = 0;
  if (!Buffer) return STG_E_INVALIDPOINTER;
  try {
    ULONG Total = 0;
    auto* P = static_cast<uint8_t*>(Buffer);
    while (Total < Count) {  // TStream counts are 32-bit signed
      auto Chunk = static_cast<int32_t>(std::min<ULONG>(Count - Total, 0x40000000));
      int32_t Got = FStream.Read(P + Total, Chunk);
      if (Got <= 0) break;
      Total += static_cast<ULONG>(Got);
    }
    if (Done) *Done = Total;
    return Total < Count ? S_FALSE : S_OK;
  } catch (...) {
    return S_FALSE;
  }
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Write(const void* Buffer, ULONG Count, ULONG* Done) {
  if (Done) *Done = 0;
  if (!Buffer) return STG_E_INVALIDPOINTER;
  try {
    ULONG Total = 0;
    const auto* P = static_cast<const uint8_t*>(Buffer);
    while (Total < Count) {
      auto Chunk = static_cast<int32_t>(std::min<ULONG>(Count - Total, 0x40000000));
      int32_t Put = FStream.Write(P + Total, Chunk);
      if (Put <= 0) break;
      Total += static_cast<ULONG>(Put);
    }
    if (Done) *Done = Total;
    return Total < Count ? STG_E_CANTSAVE : S_OK;
  } catch (...) {
    return STG_E_CANTSAVE;
  }
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Seek(LARGE_INTEGER Move, DWORD Origin,
                                               ULARGE_INTEGER* NewPosition) {
  TSeekOrigin From;
  switch (Origin) {
    case STREAM_SEEK_SET: From = soBeginning; break;
    case STREAM_SEEK_CUR: From = soCurrent; break;
    case STREAM_SEEK_END: From = soEnd; break;
    default: return STG_E_INVALIDFUNCTION;
  }
  try {
    int64_t Pos = FStream.Seek(Move.QuadPart, From);
    if (Pos < 0) return STG_E_INVALIDPOINTER;
    if (NewPosition) NewPosition->QuadPart = static_cast<ULONGLONG>(Pos);
    return S_OK;
  } catch (...) {
    return STG_E_INVALIDPOINTER;
  }
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::SetSize(ULARGE_INTEGER NewSize) {
  try {
    if (NewSize.QuadPart > static_cast<ULONGLONG>(INT64_MAX)) return STG_E_INVALIDFUNCTION;
    FStream.SetSize(static_cast<int64_t>(NewSize.QuadPart));
    return FStream.Size() == static_cast<int64_t>(NewSize.QuadPart) ? S_OK : E_FAIL;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::CopyTo(IStream* Target, ULARGE_INTEGER Count,
                                                 ULARGE_INTEGER* Read, ULARGE_INTEGER* Written) {
  if (Read) Read->QuadPart = 0;
  if (Written) Written->QuadPart = 0;
  if (!Target) return STG_E_INVALIDPOINTER;
  try {
    std::vector<uint8_t> Buffer(0x10000);
    ULONGLONG Left = Count.QuadPart, TotalRead = 0, TotalWritten = 0;
    HRESULT Result = S_OK;
    while (Left > 0) {
      auto Chunk = static_cast<int32_t>(std::min<ULONGLONG>(Left, Buffer.size()));
      int32_t Got = FStream.Read(Buffer.data(), Chunk);
      if (Got <= 0) break;
      TotalRead += static_cast<ULONGLONG>(Got);
      ULONG Put = 0;
      Result = Target->Write(Buffer.data(), static_cast<ULONG>(Got), &Put);
      TotalWritten += Put;
      if (FAILED(Result) || Put != static_cast<ULONG>(Got)) {
        if (SUCCEEDED(Result)) Result = STG_E_MEDIUMFULL;
        break;
      }
      Left -= static_cast<ULONGLONG>(Got);
    }
    if (Read) Read->QuadPart = TotalRead;
    if (Written) Written->QuadPart = TotalWritten;
    return Result;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Commit(DWORD) { return S_OK; }
HRESULT STDMETHODCALLTYPE TStreamAdapter::Revert() { return STG_E_REVERTED; }
HRESULT STDMETHODCALLTYPE TStreamAdapter::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
  return STG_E_INVALIDFUNCTION;
}
HRESULT STDMETHODCALLTYPE TStreamAdapter::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
  return STG_E_INVALIDFUNCTION;
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Stat(STATSTG* Info, DWORD) {
  if (!Info) return STG_E_INVALIDPOINTER;
  try {
    std::memset(Info, 0, sizeof *Info);
    Info->type = STGTY_STREAM;
    Info->cbSize.QuadPart = static_cast<ULONGLONG>(FStream.Size());
    Info->grfMode = STGM_READWRITE;
    return S_OK;
  } catch (...) {
    return STG_E_ACCESSDENIED;
  }
}

HRESULT STDMETHODCALLTYPE TStreamAdapter::Clone(IStream** Copy) {
  if (Copy) *Copy = nullptr;
  return E_NOTIMPL;
}
