#include "lx/lxInet.h"

#include <winsock.h>

#include <atomic>
#include <cstring>

#include "classlib/ScopedHandles.h"
#include "lx/lxUtils.h"

namespace {

std::atomic<decltype(lxinet_detail::TResolver::GetHostName)> g_GetHostName{&gethostname};
std::atomic<decltype(lxinet_detail::TResolver::GetHostByName)> g_GetHostByName{&gethostbyname};

// Windows Sockets 1.1 for the length of one query. Winsock counts its start-ups itself, so
// nested and concurrent sessions pair up; a failed start-up is not cleaned up.
class TWinsockSession {
public:
  TWinsockSession() noexcept {
    WSADATA Data;
    FStarted = WSAStartup(MAKEWORD(1, 1), &Data) == 0;
  }
  ~TWinsockSession() {
    if (FStarted) WSACleanup();
  }
  TWinsockSession(const TWinsockSession&) = delete;
  TWinsockSession& operator=(const TWinsockSession&) = delete;

private:
  bool FStarted;
};

}  // namespace

namespace lxinet_detail {
TResolver SetResolver(TResolver Resolver) noexcept {
  TResolver Old;
  Old.GetHostName = g_GetHostName.exchange(Resolver.GetHostName ? Resolver.GetHostName : &gethostname);
  Old.GetHostByName = g_GetHostByName.exchange(Resolver.GetHostByName ? Resolver.GetHostByName : &gethostbyname);
  return Old;
}
}  // namespace lxinet_detail

std::string GetLocalIP() {
  TWinsockSession Session;
  char Name[260] = {};
  if (g_GetHostName.load()(Name, sizeof Name - 1) != 0) return "";
  const hostent* Host = g_GetHostByName.load()(Name);
  if (!Host || Host->h_length != sizeof(in_addr) || !Host->h_addr_list || !Host->h_addr_list[0]) return "";
  in_addr Address;
  std::memcpy(&Address, Host->h_addr_list[0], sizeof Address);
  const char* Text = inet_ntoa(Address);
  return Text ? Text : "";
}

bool HasLocalIP() {
  std::string IP = GetLocalIP();
  return !IP.empty() && IP != "127.0.0.1";
}

bool IsInternetConnected() {
  if (IsNTVersion()) return HasLocalIP();
  HKEY Opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\RemoteAccess", 0, KEY_READ,
                    &Opened) != ERROR_SUCCESS)
    return HasLocalIP();
  ScopedRegKey Key(Opened);
  BYTE Value[4] = {};
  DWORD Size = sizeof Value;
  if (RegQueryValueExA(Key.get(), "Remote Connection", nullptr, nullptr, Value, &Size) != ERROR_SUCCESS)
    return HasLocalIP();
  return Value[0] == 1;
}
