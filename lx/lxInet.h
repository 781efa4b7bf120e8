// The connection test: is the machine on line? On the NT family the answer is whether the machine
// has an address of its own (not the loopback address); on Windows 9x the dial-up networking
// state decides when it is recorded:
//
//   HKLM\System\CurrentControlSet\Services\RemoteAccess   "Remote Connection" = 01 00 00 00
//
// Windows Sockets (1.1, wsock32) is started for each address query and cleaned up again right
// after it: never at load, so linking this unit starts no network library in a host process.
#pragma once

#include <windows.h>

#include <string>

struct hostent;

// The local IP address as dotted text (the first address of the host's name); '' when the name or
// its address can't be had.
std::string GetLocalIP();
// GetLocalIP is neither empty nor "127.0.0.1".
bool HasLocalIP();
// NT: HasLocalIP. 9x: the first byte of "Remote Connection" is 1; HasLocalIP when the key or the
// value can't be read.
bool IsInternetConnected();

namespace lxinet_detail {
// The two resolver calls GetLocalIP makes (wsock32's gethostname and gethostbyname unless
// replaced), so that tests can answer them without any name resolution; nullptr members restore
// the real calls. Returns the pair installed before.
struct TResolver {
  int(WINAPI* GetHostName)(char* Name, int Size) = nullptr;
  hostent*(WINAPI* GetHostByName)(const char* Name) = nullptr;
};
TResolver SetResolver(TResolver Resolver) noexcept;
}  // namespace lxinet_detail
