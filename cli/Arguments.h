#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What the command line asks for.
enum class CliCommand
{
    kShow,
    kSetDisplay,
    kSetRoot,
    kSetDir,
    kHelp,
    kVersion
};

struct Arguments
{
    CliCommand command = CliCommand::kHelp;
    std::vector<std::wstring> operands; // MODE; DIR; QUEUE and DIR
    bool json = false;
    bool quiet = false;
    bool whatIf = false;
    DWORD waitMs = 2000;
};

// Reads the words after the program's name. --help and --version count anywhere; options may
// stand before or after the operands; the words of a display mode may be given apart
// ("Full screen"). False, with `error` telling why, when the words are no valid use; `json`
// is still set when --json was among them.
bool ParseArguments(const std::vector<std::wstring>& words, Arguments& arguments,
                    std::wstring& error);

// What --help prints: every command, option and exit code.
extern const wchar_t kUsage[];
