// What this process holds, for tests that fail on growth: busy heap blocks of every heap
// (HeapWalk), open handles by object type (the native handle query; GetProcessHandleCount is not
// answered under Wine) and threads (a Toolhelp snapshot).
#pragma once

#include <windows.h>
#include <winternl.h>
#include <tlhelp32.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct TProcessResources {
  size_t HeapBlocks = 0;
  size_t HeapBytes = 0;
  std::map<std::string, int> Handles;  // by type name: "Event", "Semaphore", "Thread", ...
  int Threads = 0;

  static TProcessResources Now() {
    TProcessResources R;
    R.CountHeaps();
    R.CountHandles();
    R.CountThreads();
    return R;
  }

  // What After holds beyond Before: heap blocks over HeapSlack (the system's own caches), handles
  // of a type over HandleSlack, any thread more. Empty when nothing grew.
  static std::string Growth(const TProcessResources& Before, const TProcessResources& After, size_t HeapSlack,
                            int HandleSlack = 0) {
    std::string Out;
    if (After.HeapBlocks > Before.HeapBlocks + HeapSlack)
      Out += " heap blocks " + std::to_string(Before.HeapBlocks) + " -> " + std::to_string(After.HeapBlocks) + " (" +
             std::to_string(Before.HeapBytes) + " -> " + std::to_string(After.HeapBytes) + " bytes);";
    for (const auto& [Type, Count] : After.Handles) {
      auto It = Before.Handles.find(Type);
      const int Was = It == Before.Handles.end() ? 0 : It->second;
      if (Count > Was + HandleSlack) Out += " " + Type + " handles " + std::to_string(Was) + " -> " + std::to_string(Count) + ";";
    }
    if (After.Threads > Before.Threads)
      Out += " threads " + std::to_string(Before.Threads) + " -> " + std::to_string(After.Threads) + ";";
    return Out;
  }

private:
  void CountHeaps() {
    HANDLE Heaps[256];
    const DWORD Count = GetProcessHeaps(256, Heaps);
    for (DWORD I = 0; I < Count && I < 256; ++I) {
      if (!HeapLock(Heaps[I])) continue;
      PROCESS_HEAP_ENTRY Entry{};
      while (HeapWalk(Heaps[I], &Entry))
        if (Entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
          ++HeapBlocks;
          HeapBytes += Entry.cbData;
        }
      HeapUnlock(Heaps[I]);
    }
  }

  // SystemHandleInformation (16): every handle of the system with its owner; the type name comes
  // from NtQueryObject(ObjectTypeInformation) on our own handle.
  void CountHandles() {
    using TQuerySystem = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    using TQueryObject = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    HMODULE Ntdll = GetModuleHandleA("ntdll.dll");
    auto QuerySystem = reinterpret_cast<TQuerySystem>(GetProcAddress(Ntdll, "NtQuerySystemInformation"));
    auto QueryObject = reinterpret_cast<TQueryObject>(GetProcAddress(Ntdll, "NtQueryObject"));
    if (!QuerySystem || !QueryObject) return;
    struct TEntry {
      ULONG Process;
      BYTE Type;
      BYTE Flags;
      USHORT Handle;
      PVOID Object;
      ACCESS_MASK Access;
    };
    std::vector<BYTE> Buffer(1 << 20);
    ULONG Needed = 0;
    while (QuerySystem(16, Buffer.data(), static_cast<ULONG>(Buffer.size()), &Needed) == LONG(0xC0000004))
      Buffer.resize(Buffer.size() * 2);
    const ULONG Count = *reinterpret_cast<ULONG*>(Buffer.data());
    const auto* Entries = reinterpret_cast<const TEntry*>(Buffer.data() + sizeof(ULONG_PTR));
    const DWORD Self = GetCurrentProcessId();
    alignas(8) BYTE TypeInfo[1024];
    for (ULONG I = 0; I < Count; ++I) {
      if (Entries[I].Process != Self) continue;
      std::string Name = "?";
      ULONG Length = 0;
      if (QueryObject(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(Entries[I].Handle)), 2, TypeInfo,
                      sizeof TypeInfo, &Length) >= 0) {
        const auto* Text = reinterpret_cast<const UNICODE_STRING*>(TypeInfo);
        Name.clear();
        for (USHORT C = 0; C < Text->Length / 2; ++C) Name += static_cast<char>(Text->Buffer[C]);
      }
      ++Handles[Name];
    }
  }

  void CountThreads() {
    HANDLE Snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (Snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 Entry{};
    Entry.dwSize = sizeof Entry;
    for (BOOL More = Thread32First(Snapshot, &Entry); More; More = Thread32Next(Snapshot, &Entry))
      if (Entry.th32OwnerProcessID == GetCurrentProcessId()) ++Threads;
    CloseHandle(Snapshot);
  }
};
