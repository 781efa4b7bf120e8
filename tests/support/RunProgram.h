// Runs a program of the build with its output (stdout and stderr) collected into lines, in a
// working folder of the test's choice; ends it when it outlives the deadline.
#pragma once

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

struct TProgramRun {
  DWORD ExitCode = 1000;  // 1000: the program did not start
  std::vector<std::string> Lines;  // without line ends

  std::string Text() const {
    std::string All;
    for (const std::string& Line : Lines) All += Line + "\n";
    return All;
  }
};

inline TProgramRun RunProgram(std::string CommandLine, const std::string& Folder = std::string(),
                              DWORD DeadlineMs = 120000) {
  TProgramRun Run;
  SECURITY_ATTRIBUTES Inherit{sizeof Inherit, nullptr, TRUE};
  HANDLE Read = nullptr, Write = nullptr;
  if (!CreatePipe(&Read, &Write, &Inherit, 0)) return Run;
  SetHandleInformation(Read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA Startup{};
  Startup.cb = sizeof Startup;
  Startup.dwFlags = STARTF_USESTDHANDLES;
  Startup.hStdOutput = Write;
  Startup.hStdError = Write;
  Startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION Process{};
  const BOOL Started = CreateProcessA(nullptr, CommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      Folder.empty() ? nullptr : Folder.c_str(), &Startup, &Process);
  CloseHandle(Write);
  if (!Started) {
    CloseHandle(Read);
    return Run;
  }
  std::string Output;
  const DWORD Start = GetTickCount();
  for (bool Ended = false; !Ended;) {
    Ended = WaitForSingleObject(Process.hProcess, 20) == WAIT_OBJECT_0;
    // What is in the pipe now (after the end: all the program wrote).
    DWORD Available = 0;
    while (PeekNamedPipe(Read, nullptr, 0, nullptr, &Available, nullptr) && Available > 0) {
      std::string Chunk(Available, '\0');
      DWORD Got = 0;
      if (!ReadFile(Read, Chunk.data(), Available, &Got, nullptr) || Got == 0) break;
      Output.append(Chunk, 0, Got);
    }
    if (!Ended && GetTickCount() - Start > DeadlineMs) {
      TerminateProcess(Process.hProcess, 99);
      WaitForSingleObject(Process.hProcess, 5000);
      Output += "test: the program outlived its deadline\n";
      Ended = true;
    }
  }
  GetExitCodeProcess(Process.hProcess, &Run.ExitCode);
  CloseHandle(Process.hThread);
  CloseHandle(Process.hProcess);
  CloseHandle(Read);
  std::istringstream Stream(Output);
  for (std::string Line; std::getline(Stream, Line);) {
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    Run.Lines.push_back(Line);
  }
  return Run;
}
