// Runs the stand-in main program Veldrane.exe for one test and reads what it logged.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/TempTree.h"

class StandIn {
public:
  // Starts Veldrane.exe with the given options plus private events, a log below LogDir and a
  // timeout; waits until it has written its window into the configuration.
  StandIn(const std::string& exe, const std::string& options, const std::string& logDir) {
    static int counter = 0;
    std::string suffix = std::to_string(GetCurrentProcessId()) + "." + std::to_string(counter++);
    std::string ready = "VdTest.Ready." + suffix, quit = "VdTest.Quit." + suffix;
    log_ = logDir + "standin-" + suffix + ".log";
    readyEvent_ = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
    quitEvent_ = CreateEventA(nullptr, TRUE, FALSE, quit.c_str());
    std::string cmd = "\"" + exe + "\" " + options + " --log \"" + log_ + "\" --ready-event " + ready +
                      " --quit-event " + quit + " --timeout 60";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process_)) {
      CloseHandle(process_.hThread);
      HANDLE both[2] = {readyEvent_, process_.hProcess};
      started_ = WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
    }
  }
  ~StandIn() { Stop(); CloseHandle(readyEvent_); CloseHandle(quitEvent_); }
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  bool Started() const { return started_; }

  // Asks it to quit and waits; a stand-in that hangs is ended by its own process handle.
  void Stop() {
    if (process_.hProcess == nullptr) return;
    SetEvent(quitEvent_);
    if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hProcess);
    process_.hProcess = nullptr;
  }

  // The message numbers logged so far, in order.
  std::vector<unsigned> Messages() const {
    std::vector<unsigned> numbers;
    std::ifstream in(log_);
    unsigned n;
    std::string name;
    while (in >> n >> name) numbers.push_back(n);
    return numbers;
  }

private:
  PROCESS_INFORMATION process_{};
  HANDLE readyEvent_ = nullptr;
  HANDLE quitEvent_ = nullptr;
  std::string log_;
  bool started_ = false;
};
