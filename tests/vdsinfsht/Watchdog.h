// Ends the test program when a step hangs (a modal window nobody closes, a sheet that never
// appears): after the given time it prints what it was guarding and terminates the process with
// exit code 3, well before ctest's hard timeout.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

class Watchdog {
public:
  Watchdog(DWORD TimeoutMs, std::string What) : timeoutMs_(TimeoutMs), what_(std::move(What)) {
    done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &Watch, this, 0, nullptr);
  }
  ~Watchdog() {
    SetEvent(done_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(done_);
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

private:
  static DWORD WINAPI Watch(LPVOID Param) {
    auto* self = static_cast<Watchdog*>(Param);
    if (WaitForSingleObject(self->done_, self->timeoutMs_) == WAIT_TIMEOUT) {
      std::fprintf(stderr, "watchdog: \"%s\" did not finish within %lu ms\n", self->what_.c_str(),
                   static_cast<unsigned long>(self->timeoutMs_));
      std::fflush(stderr);
      TerminateProcess(GetCurrentProcess(), 3);
    }
    return 0;
  }

  DWORD timeoutMs_;
  std::string what_;
  HANDLE done_ = nullptr;
  HANDLE thread_ = nullptr;
};
