// TStreamAdapter: an IStream over a TStream, for COM and common-controls calls that read or write
// streams (image lists above all). Reads, writes and seeks go straight to the TStream at its
// current position; no exception leaves a method (failures become STG_E_* / E_FAIL results).
#pragma once

#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <memory>

#include "classlib/Streams.h"

enum TStreamOwnership { soReference, soOwned };

class TStreamAdapter final : public IStream {
public:
  // The adapter starts with one reference, which the caller releases. soOwned: the adapter frees
  // the stream when the last reference goes.
  static IStream* New(TStream& Stream, TStreamOwnership Ownership = soReference);

  TStream& Stream() const noexcept { return FStream; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Obj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // ISequentialStream
  HRESULT STDMETHODCALLTYPE Read(void* Buffer, ULONG Count, ULONG* Done) override;
  HRESULT STDMETHODCALLTYPE Write(const void* Buffer, ULONG Count, ULONG* Done) override;
  // IStream
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER Move, DWORD Origin, ULARGE_INTEGER* NewPosition) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER NewSize) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* Target, ULARGE_INTEGER Count, ULARGE_INTEGER* Read,
                                   ULARGE_INTEGER* Written) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD Flags) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER Offset, ULARGE_INTEGER Count, DWORD Type) override;
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER Offset, ULARGE_INTEGER Count, DWORD Type) override;
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* Info, DWORD Flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** Copy) override;

private:
  TStreamAdapter(TStream& AStream, TStreamOwnership Ownership) : FStream(AStream), FOwnership(Ownership) {}
  ~TStreamAdapter();

  TStream& FStream;
  TStreamOwnership FOwnership;
  std::atomic<ULONG> FRefCount{1};
};

// Releases a COM interface at the end of a scope.
struct TComReleaser {
  void operator()(IUnknown* Unknown) const {
    if (Unknown) Unknown->Release();
  }
};
using TStreamAdapterPtr = std::unique_ptr<IStream, TComReleaser>;
