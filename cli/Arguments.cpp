#include "cli/Arguments.h"

#include "config/DisplayModes.h"

#include <cwchar>

namespace
{
struct CommandForm
{
    const wchar_t* name;
    CliCommand command;
    size_t operands;
    bool changes; // takes the options of a command that changes something
};

const CommandForm kCommands[] = {
    {L"show", CliCommand::kShow, 0, false},
    {L"set-display", CliCommand::kSetDisplay, 1, true},
    {L"set-root", CliCommand::kSetRoot, 1, true},
    {L"set-dir", CliCommand::kSetDir, 2, true},
};
const DWORD kMostWaitSeconds = 24 * 60 * 60;

bool Is(const std::wstring& word, const wchar_t* option)
{
    return word == option;
}

bool ParseSeconds(const std::wstring& text, DWORD& milliseconds)
{
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    const DWORD seconds = static_cast<DWORD>(std::wcstoul(text.c_str(), nullptr, 10));
    if (seconds > kMostWaitSeconds)
        return false;
    milliseconds = seconds * 1000;
    return true;
}
} // namespace

bool ParseArguments(const std::vector<std::wstring>& words, Arguments& arguments,
                    std::wstring& error)
{
    const CommandForm* form = nullptr;
    bool changeOption = false;
    for (const std::wstring& word : words)
    {
        arguments.json = arguments.json || Is(word, L"--json");
        if (Is(word, L"--help") || Is(word, L"-h") || Is(word, L"/?") || Is(word, L"--version"))
        {
            arguments.command = Is(word, L"--version") ? CliCommand::kVersion : CliCommand::kHelp;
            return true;
        }
    }
    for (size_t i = 0; i < words.size(); ++i)
    {
        const std::wstring& word = words[i];
        if (Is(word, L"--json"))
            continue;
        if (Is(word, L"--quiet") || Is(word, L"-q"))
            changeOption = arguments.quiet = true;
        else if (Is(word, L"--what-if"))
            changeOption = arguments.whatIf = true;
        else if (Is(word, L"--wait"))
        {
            changeOption = true;
            if (i + 1 >= words.size() || !ParseSeconds(words[++i], arguments.waitMs))
                error = L"--wait needs a number of seconds.";
        }
        else if (word.size() > 1 && word[0] == L'-')
            error = L"Unknown option " + word + L".";
        else if (form == nullptr)
        {
            for (const CommandForm& candidate : kCommands)
                if (word == candidate.name)
                    form = &candidate;
            if (form == nullptr)
                error = L"Unknown command " + word + L".";
        }
        else
            arguments.operands.push_back(word);
        if (!error.empty())
            return false;
    }
    if (form == nullptr)
    {
        error = L"No command given.";
        return false;
    }
    arguments.command = form->command;
    // A display mode of two words may come unquoted.
    if (form->command == CliCommand::kSetDisplay && arguments.operands.size() == 2)
        arguments.operands = {arguments.operands[0] + L" " + arguments.operands[1]};
    if (arguments.operands.size() != form->operands)
        error =
            std::wstring(form->name) + L" needs " +
            (form->operands == 0   ? L"no operand."
             : form->operands == 1 ? (form->command == CliCommand::kSetRoot ? L"DIR." : L"MODE.")
                                   : L"QUEUE and DIR.");
    else if (changeOption && !form->changes)
        error = std::wstring(form->name) + L" takes no option but --json.";
    else if (UINT showCommand = 0; form->command == CliCommand::kSetDisplay &&
                                   !FindDisplayMode(arguments.operands[0], showCommand))
        error = L"Unknown display mode " + arguments.operands[0] + L".";
    return error.empty();
}

const wchar_t kUsage[] = LR"(Usage: kel-admin-cli COMMAND [OPTIONS]

Changes the settings of the KEL print server on this machine as KEL Administrator's dialog does,
with the same checks, lock and rollback, for scripts and configuration tools.

Commands:
  show                    The server's settings: its profiles, display mode, root directory,
                          and every queue with its directory.
  set-display MODE        MODE: Normal, Icon, "Full screen" or Hidden (any letter case).
  set-root DIR            Moves the root directory; its log files are carried over.
  set-dir QUEUE DIR       Moves one queue's directory; its files are carried over and its job
                          control files pointed at DIR. QUEUE matches in any letter case.
  DIR must be an existing folder on a lettered drive whose name this system's characters can
  write; a relative DIR is taken from the current directory.

Options:
  --json                  Standard output is one JSON object: the result, or the settings.
  --what-if               Makes every check and counts what would be carried (files, bytes,
                          free space); changes nothing and tells the server nothing.
  --quiet, -q             No summary line and no progress; failures still go to standard error.
  --wait SECONDS          How long to wait while another KEL Administrator changes the server's
                          settings (default 2).
  --help, --version

Exit codes:
  0   done, or already so ("unchanged")
  1   refused before anything changed (unusable folder, folder in use by a queue, no window
      placement record, unknown queue, nothing to set)
  2   failed; everything the command had changed has been taken back
  3   failed, and copies were left in the new directory (listed, or why they stay)
  4   cancelled by Ctrl+C, Ctrl+Break or the console closing; taken back
  5   try again later: another administrator is changing the settings, a job of the queue is
      busy, or the queue's files kept changing
  64  usage error

Refusals and failures are written to standard error with the dialog's texts. Ctrl+C cancels a
move as the dialog's Cancel does.

The server is told of a change by a window message, which reaches only the desktop of the
session that runs the tool. Run through remoting, a scheduled task or a service, the tool stores
the change all the same; a server running in another session picks it up when it next starts.
"notified" in the JSON result says whether the message was posted at all.
)";
