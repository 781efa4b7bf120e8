// A hand-made data object for shell-extension tests: it offers exactly the HGLOBAL formats it is
// given, and helpers that build drop lists and "Shell IDList Array" blocks.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace nxtest {

using Bytes = std::vector<BYTE>;

class TTestDataObject : public IDataObject {
public:
  void Offer(CLIPFORMAT Format, const Bytes& Data) { FFormats[Format] = Data; }
  int GetDataCalls = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Obj) override {
    if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IDataObject)) {
      *Obj = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *Obj = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
  ULONG STDMETHODCALLTYPE Release() override { return --FRefs; }  // lives on the test's stack
  LONG Refs() const { return FRefs; }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* Fmt, STGMEDIUM* Medium) override {
    ++GetDataCalls;
    auto It = FFormats.find(Fmt->cfFormat);
    if (It == FFormats.end() || !(Fmt->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    HGLOBAL Memory = GlobalAlloc(GMEM_MOVEABLE, It->second.empty() ? 1 : It->second.size());
    if (!It->second.empty()) std::memcpy(GlobalLock(Memory), It->second.data(), It->second.size()), GlobalUnlock(Memory);
    Medium->tymed = TYMED_HGLOBAL;
    Medium->hGlobal = Memory;
    Medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* Fmt) override {
    return FFormats.count(Fmt->cfFormat) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* Out) override {
    Out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
  std::map<CLIPFORMAT, Bytes> FFormats;
  LONG FRefs = 1;
};

// DROPFILES with ANSI names, each zero-terminated, then one more zero.
inline Bytes MakeDropList(const std::vector<std::string>& Names) {
  DROPFILES Header{};
  Header.pFiles = sizeof(DROPFILES);
  Bytes Out(reinterpret_cast<const BYTE*>(&Header), reinterpret_cast<const BYTE*>(&Header) + sizeof Header);
  for (const std::string& Name : Names) {
    Out.insert(Out.end(), Name.begin(), Name.end());
    Out.push_back(0);
  }
  Out.push_back(0);
  return Out;
}

inline Bytes ListBytes(LPCITEMIDLIST List) {
  const BYTE* P = reinterpret_cast<const BYTE*>(List);
  return Bytes(P, P + ILGetSize(List));
}

// count, offsets (the folder first), then the lists themselves.
inline Bytes MakeCida(const Bytes& Folder, const std::vector<Bytes>& Items) {
  const UINT Count = static_cast<UINT>(Items.size());
  Bytes Out(sizeof(UINT) * (Count + 2));
  std::memcpy(Out.data(), &Count, sizeof Count);
  auto Append = [&Out](size_t Slot, const Bytes& List) {
    const UINT Offset = static_cast<UINT>(Out.size());
    std::memcpy(Out.data() + sizeof(UINT) * (Slot + 1), &Offset, sizeof Offset);
    Out.insert(Out.end(), List.begin(), List.end());
  };
  Append(0, Folder);
  for (size_t I = 0; I < Items.size(); ++I) Append(I + 1, Items[I]);
  return Out;
}

inline CLIPFORMAT ShellIDListFormat() {
  return static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Shell IDList Array"));
}

// An absolute item-id list from the shell (freed with CoTaskMemFree).
struct TShellList {
  LPITEMIDLIST P = nullptr;
  explicit TShellList(const std::string& Path) {
    std::wstring Wide(Path.begin(), Path.end());
    SHParseDisplayName(Wide.c_str(), nullptr, &P, 0, nullptr);
  }
  ~TShellList() { CoTaskMemFree(P); }
  TShellList(const TShellList&) = delete;
  TShellList& operator=(const TShellList&) = delete;
};

// A folder under the temporary directory with the given (empty) files; removed again.
struct TTempFolder {
  std::string Path;
  explicit TTempFolder(const std::string& Name, const std::vector<std::string>& Files) {
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    Path = std::string(Temp) + Name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(Path.c_str(), nullptr);
    for (const std::string& File : Files) {
      HANDLE H = CreateFileA((Path + "\\" + File).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (H != INVALID_HANDLE_VALUE) CloseHandle(H);
      FFiles.push_back(Path + "\\" + File);
    }
  }
  ~TTempFolder() {
    for (const std::string& File : FFiles) DeleteFileA(File.c_str());
    RemoveDirectoryA(Path.c_str());
  }
  std::string File(size_t I) const { return FFiles[I]; }

private:
  std::vector<std::string> FFiles;
};

}  // namespace nxtest
