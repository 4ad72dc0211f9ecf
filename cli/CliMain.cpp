// kel-admin-cli.exe: the command line twin of KEL Administrator's dialog, for scripts and
// configuration tools. It shows no window and no message box.
#include "base/ResourceText.h"
#include "base/SafeLoading.h"
#include "base/WideText.h"
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/ConsoleCancel.h"
#include "cli/ConsoleOutput.h"
#include "cli/JsonText.h"
#include "notify/AdminMessage.h"
#include "res/resource.h"
#include "version.h"

#include <windows.h>

#include <shellapi.h>

#include <exception>

namespace
{
const int kExitUsage = 64;
const int kExitFailed = 2;

std::vector<std::wstring> CommandLineWords()
{
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> result;
    for (int i = 1; i < count; ++i)
        result.emplace_back(words[i]);
    LocalFree(words);
    return result;
}

int UsageError(const std::wstring& error, bool json)
{
    WriteError(error + L"\n\n" + kUsage);
    if (json)
        WriteOutAscii(CJsonObject()
                          .Add("messages", std::vector<std::wstring>{error})
                          .Add("exitCode", static_cast<ULONGLONG>(kExitUsage))
                          .Text() +
                      "\n");
    return kExitUsage;
}

int Run(const Arguments& arguments)
{
    switch (arguments.command)
    {
    case CliCommand::kHelp:
        WriteOut(kUsage);
        return 0;
    case CliCommand::kVersion:
        WriteOut(L"kel-admin-cli " + WidenText(KEL_PRODUCT_VERSION) + L"\n");
        return 0;
    case CliCommand::kShow:
        return RunShow(arguments);
    default:
        return RunChange(arguments);
    }
}
} // namespace

int main()
{
    LoadLibrariesFromSystemOnly();
    // No system box either: a drive without a disk, a crash, fail plainly.
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX |
                 SEM_NOOPENFILEERRORBOX);
    RegisterAdminMessage();
    Arguments arguments;
    std::wstring error;
    if (!ParseArguments(CommandLineWords(), arguments, error))
        return UsageError(error, arguments.json);
    InstallConsoleCancel();
    int exitCode = kExitFailed;
    try
    {
        exitCode = Run(arguments);
    }
    catch (const std::exception& failure)
    {
        WriteError(FormatMessageText(IDS_COMMAND_STOPPED, {WidenText(failure.what())}) + L"\n");
    }
    CommandFinished();
    return exitCode;
}
