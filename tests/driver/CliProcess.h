#pragma once

#include "tests/driver/ChildProcess.h"

#include <windows.h>

#include <string>

// What a run of kel-admin-cli.exe gave: its exit code and its standard output and error.
struct CliOutcome
{
    DWORD exitCode = 0;
    std::string out;
    std::string err;
};

// Runs kel-admin-cli.exe as a script would, with its output captured, on this process's
// console (one is made when there is none), so that Ctrl+C can be sent to it.
class CCliProcess
{
public:
    CCliProcess() = default;
    ~CCliProcess();

    bool Start(const std::string& exePath, const std::string& arguments);
    // Waits for the end and reads the output; false when it did not end in time.
    bool Wait(DWORD milliseconds, CliOutcome& outcome);
    // Ctrl+C, as a user at the console gives it (this process ignores it).
    void PressCtrlC();
    DWORD Id() const { return m_process.Id(); }

private:
    CChildProcess m_process;
    std::string m_outPath;
    std::string m_errPath;
};

// Starts the command line with `arguments` and waits for its end.
CliOutcome RunCli(const std::string& exePath, const std::string& arguments);
