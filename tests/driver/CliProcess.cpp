#include "tests/driver/CliProcess.h"

#include "tests/driver/TestFiles.h"

namespace
{
HANDLE InheritableOutputFile(const std::string& path)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string OutputPath(const char* which)
{
    static int s_runs = 0;
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "kel-cli-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++s_runs) + which;
}
} // namespace

CCliProcess::~CCliProcess()
{
    m_process.Kill();
    DeleteFileA(m_outPath.c_str());
    DeleteFileA(m_errPath.c_str());
}

bool CCliProcess::Start(const std::string& exePath, const std::string& arguments)
{
    // Started by a test runner, this process has no console of its own (Wine gives it one
    // that takes no control events): it gets a real one, which the command line shares.
    if (GetConsoleWindow() == nullptr)
    {
        FreeConsole();
        AllocConsole();
    }
    m_outPath = OutputPath(".out");
    m_errPath = OutputPath(".err");
    HANDLE out = InheritableOutputFile(m_outPath);
    HANDLE err = InheritableOutputFile(m_errPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    const bool started = m_process.Start(exePath, arguments, 0, &startup);
    CloseHandle(out);
    CloseHandle(err);
    return started;
}

bool CCliProcess::Wait(DWORD milliseconds, CliOutcome& outcome)
{
    if (!m_process.Wait(milliseconds, &outcome.exitCode))
        return false;
    outcome.out = ReadFileText(m_outPath);
    outcome.err = ReadFileText(m_errPath);
    return true;
}

void CCliProcess::PressCtrlC()
{
    SetConsoleCtrlHandler(nullptr, TRUE);
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
}

CliOutcome RunCli(const std::string& exePath, const std::string& arguments)
{
    CCliProcess cli;
    CliOutcome outcome;
    outcome.exitCode = 999;
    if (cli.Start(exePath, arguments))
        cli.Wait(120000, outcome);
    return outcome;
}
