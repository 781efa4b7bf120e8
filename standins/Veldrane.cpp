// Stand-in for the product's main program: a window whose handle it publishes as [GENERAL] WND,
// logging every application message it receives. Used by the tests and the demo.
//
//   Veldrane.exe [--config <file> | --datadir <folder>] [--install] [--masks "*.tmp;*.bak"] [--hex]
//                [--visible] [--log <file>] [--ready-event <name>] [--ready-file <file>]
//                [--quit-event <name>] [--timeout <seconds>]
//   Veldrane.exe --stop [--quit-event <name>]     asks a running stand-in to quit
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "classlib/IniFiles.h"
#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"
#include "vd32/Functions.h"

namespace {

constexpr char kWindowClass[] = "VeldraneStandInWindow";
constexpr UINT kMonitorScanStarted = 3010, kMonitorMatchFound = 1044, kMonitorScanFinished = 1324;

struct Options {
  std::string configFile;  // empty: the product's default file below the install directory
  bool install = false;
  bool writeMasks = false;
  std::string masks;
  bool hex = false;
  bool visible = false;
  std::string logFile;
  std::string readyEvent = "VeldraneStandIn.Ready";
  std::string readyFile;  // created once the window is published, for callers that cannot wait on events
  bool stop = false;
  std::string quitEvent = "VeldraneStandIn.Quit";
  DWORD timeoutMs = 600 * 1000;
};

void Usage() {
  std::fprintf(stderr,
               "usage: Veldrane.exe [--config <file> | --datadir <folder>] [--install] [--masks \"*.tmp;*.bak\"]\n"
               "                    [--hex] [--visible] [--log <file>] [--ready-event <name>] [--ready-file <file>]\n"
               "                    [--quit-event <name>] [--timeout <seconds>, 0 = none]\n"
               "       Veldrane.exe --stop [--quit-event <name>]\n");
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--config") {
      if (!value(o.configFile)) return false;
    } else if (a == "--datadir") {
      if (!value(v)) return false;
      o.configFile = IncludeTrailingBackslash(v) + kConfigFileName;
    } else if (a == "--install") {
      o.install = true;
    } else if (a == "--masks") {
      if (!value(o.masks)) return false;
      o.writeMasks = true;
    } else if (a == "--hex") {
      o.hex = true;
    } else if (a == "--visible") {
      o.visible = true;
    } else if (a == "--log") {
      if (!value(o.logFile)) return false;
    } else if (a == "--ready-event") {
      if (!value(o.readyEvent)) return false;
    } else if (a == "--ready-file") {
      if (!value(o.readyFile)) return false;
    } else if (a == "--stop") {
      o.stop = true;
    } else if (a == "--quit-event") {
      if (!value(o.quitEvent)) return false;
    } else if (a == "--timeout") {
      if (!value(v)) return false;
      int seconds;
      if (!TryStrToInt(v, seconds) || seconds < 0) return false;
      o.timeoutMs = seconds == 0 ? INFINITE : static_cast<DWORD>(seconds) * 1000;
    } else {
      return false;
    }
  }
  return true;
}

FILE* g_log = stdout;

const char* MessageName(UINT msg) {
  switch (msg) {
    case kMonitorScanStarted: return "MonitorScanStarted";
    case kMonitorMatchFound: return "MonitorMatchFound";
    case kMonitorScanFinished: return "MonitorScanFinished";
    default: return "Message";
  }
}

LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    // Application messages only: the system's own traffic would drown the log.
    if (msg >= WM_USER && msg < 0xC000) {
      std::fprintf(g_log, "%u %s\n", msg, MessageName(msg));
      std::fflush(g_log);
      return 0;
    }
    switch (msg) {
      case WM_CLOSE:
        DestroyWindow(wnd);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
  } catch (...) {
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

std::string OwnPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

bool RegisterAppPaths() {
  ScopedRegKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(),
                      nullptr) != ERROR_SUCCESS)
    return false;
  std::string path = OwnPath();
  return RegSetValueExA(key.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                        static_cast<DWORD>(path.size() + 1)) == ERROR_SUCCESS;
}

void WriteMasks(const std::string& configFile, const std::string& list) {
  TIniFile ini(configFile);
  ini.EraseSection(kSectionExtensions);
  int n = 0;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string mask = Trim(list.substr(start, end - start));
    if (!mask.empty()) ini.WriteString(kSectionExtensions, "Mask" + IntToStr(++n), mask);
    start = end + 1;
  }
}

void WriteWindow(const std::string& configFile, HWND wnd, bool hex) {
  auto value = static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(wnd)) & 0xFFFFFFFFull;
  std::string text = hex ? "0x" + IntToHex(value, 1) : IntToStr(static_cast<long long>(value));
  TIniFile(configFile).WriteString(kSectionGeneral, kKeyMainWindow, text);
}

HWND CreateMainWindow(bool visible) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kWindowClass;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  if (!RegisterClassA(&wc)) return nullptr;
  if (visible) {
    HWND wnd = CreateWindowExA(0, kWindowClass, "Veldrane (stand-in)", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 400, 200, nullptr, nullptr, wc.hInstance, nullptr);
    if (wnd) ShowWindow(wnd, SW_SHOWNORMAL);
    return wnd;
  }
  return CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

// Pumps messages until the window is closed, the quit event is set or the time runs out.
void RunUntilQuit(HANDLE quitEvent, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD wait = INFINITE;
    if (timeoutMs != INFINITE) {
      DWORD elapsed = GetTickCount() - start;
      if (elapsed >= timeoutMs) return;
      wait = timeoutMs - elapsed;
    }
    DWORD r = MsgWaitForMultipleObjects(1, &quitEvent, FALSE, wait, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 || r == WAIT_TIMEOUT || r == WAIT_FAILED) return;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

int Run(const Options& o) {
  if (!o.logFile.empty()) {
    g_log = std::fopen(o.logFile.c_str(), "w");
    if (g_log == nullptr) {
      std::fprintf(stderr, "Veldrane: cannot open log %s\n", o.logFile.c_str());
      return 2;
    }
  }
  if (o.install && !RegisterAppPaths()) {
    std::fprintf(stderr, "Veldrane: cannot write the App Paths entry\n");
    return 2;
  }
  const std::string configFile = ChooseConfigFile(o.configFile);
  CreateDirectoryA(ExtractFileDir(configFile).c_str(), nullptr);

  ScopedKernelHandle quit(CreateEventA(nullptr, TRUE, FALSE, o.quitEvent.c_str()));
  ScopedKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, o.readyEvent.c_str()));
  HWND wnd = CreateMainWindow(o.visible);
  if (!quit || !ready || wnd == nullptr) {
    std::fprintf(stderr, "Veldrane: cannot create the window or the events\n");
    return 2;
  }
  if (o.writeMasks) WriteMasks(configFile, o.masks);
  WriteWindow(configFile, wnd, o.hex);
  std::fprintf(stderr, "Veldrane: window %p, config %s\n", static_cast<void*>(wnd), configFile.c_str());
  SetEvent(ready.get());
  if (!o.readyFile.empty()) {
    ScopedFileHandle marker(
        CreateFileA(o.readyFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  RunUntilQuit(quit.get(), o.timeoutMs);

  if (IsWindow(wnd)) DestroyWindow(wnd);
  if (!o.readyFile.empty()) DeleteFileA(o.readyFile.c_str());
  try {
    TIniFile(configFile).WriteString(kSectionGeneral, kKeyMainWindow, "0");
  } catch (const Exception&) {
    // the configuration may be gone already
  }
  if (g_log != stdout) std::fclose(g_log);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    Usage();
    return 2;
  }
  if (o.stop) {
    ScopedKernelHandle quit(OpenEventA(EVENT_MODIFY_STATE, FALSE, o.quitEvent.c_str()));
    if (!quit) {
      std::fprintf(stderr, "Veldrane: no stand-in is waiting on %s\n", o.quitEvent.c_str());
      return 1;
    }
    SetEvent(quit.get());
    return 0;
  }
  try {
    return Run(o);
  } catch (const Exception& e) {
    std::fprintf(stderr, "Veldrane: %s\n", e.Message().c_str());
    return 2;
  }
}
