#include "cli/Commands.h"

#include "base/NumberTexts.h"
#include "base/ResourceText.h"
#include "base/WideText.h"
#include "cli/ConsoleOutput.h"
#include "cli/ConsoleReporter.h"
#include "cli/JsonText.h"
#include "config/DisplayModes.h"
#include "config/QueueList.h"
#include "config/ServerSettings.h"
#include "relocate/AdministratorsFolder.h"
#include "relocate/CommandRun.h"
#include "relocate/DisplayModeChange.h"
#include "relocate/FolderAcceptance.h"
#include "relocate/QueueDirectoryChange.h"
#include "relocate/Reporting.h"
#include "relocate/RootDirectoryChange.h"
#include "res/resource.h"

namespace
{
// What the summary line names.
const wchar_t kDisplaySubject[] = L"Display mode";
const wchar_t kRootSubject[] = L"Root directory";
const wchar_t kQueueSubject[] = L"Queue ";

int ExitCodeOf(CommandOutcome outcome)
{
    switch (outcome)
    {
    case CommandOutcome::kChanged:
    case CommandOutcome::kUnchanged:
        return 0;
    case CommandOutcome::kRefused:
        return 1;
    case CommandOutcome::kFailed:
        return 2;
    case CommandOutcome::kFailedWithLeftovers:
        return 3;
    case CommandOutcome::kCancelled:
        return 4;
    case CommandOutcome::kTryLater:
        return 5;
    }
    return 2;
}

// True for "D:" and "D:spool", which name a drive's current folder, whatever it is now, and for
// any colon after the drive's, which names a stream.
bool NamesNoFolderOfItsOwn(const std::wstring& operand)
{
    const bool drive = operand.size() >= 2 && operand[1] == L':';
    return (drive && (operand.size() == 2 || (operand[2] != L'\\' && operand[2] != L'/'))) ||
           operand.find(L':', drive ? 2 : 0) != std::wstring::npos;
}

// DIR made absolute (a relative one from the current directory) and long (an 8.3 name in its
// long form, as the profile should store it), then accepted as Browse accepts a chosen folder.
bool ResolveFolder(const std::wstring& operand, CReporter& reporter, std::string& folder)
{
    // Whatever its length, never the relative operand itself: a path too long is refused whole.
    std::wstring path(GetFullPathNameW(operand.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD written = GetFullPathNameW(operand.c_str(), static_cast<DWORD>(path.size()),
                                           path.empty() ? nullptr : &path[0], nullptr);
    path.resize(written < path.size() ? written : 0);
    if (NamesNoFolderOfItsOwn(operand) || path.empty())
    {
        ReportFormatted(reporter, IDS_NOT_A_FULL_PATH, MB_ICONINFORMATION, {operand});
        return false;
    }
    wchar_t longer[MAX_PATH] = L"";
    DWORD length = GetLongPathNameW(path.c_str(), longer, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        path = longer;
    // D:\spool\ is D:\spool, as Browse gives it; a drive's root keeps its backslash.
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return AcceptChosenFolder(path, reporter, folder);
}

// One change asked for: what it changes, and the operation that makes it.
struct Change
{
    const char* command;
    std::wstring subject; // "Queue Alpha", "Root directory", "Display mode"
    std::wstring queue;   // set-dir only
    bool carriesFiles;
    CommandResult result;
};

std::wstring CarriedText(const CommandResult& result)
{
    return WidenText(CountText(result.files)) + L" files, " + WidenText(ByteSizeText(result.bytes));
}

// The one line that tells what was done.
std::wstring Summary(const Change& change, bool whatIf)
{
    const CommandResult& result = change.result;
    const std::wstring values =
        change.subject + L": " + WidenText(result.before) + L" -> " + WidenText(result.after);
    if (result.outcome == CommandOutcome::kUnchanged)
        return change.subject + L": unchanged (" + WidenText(result.after) + L").";
    if (whatIf)
        return values +
               (change.carriesFiles ? L" would carry " + CarriedText(result) + L" (" +
                                          WidenText(ByteSizeText(result.freeBytes)) + L" free)"
                                    : std::wstring()) +
               L"; nothing changed (what-if).";
    return values + (change.carriesFiles ? L", " + CarriedText(result) + L" carried" : L"") +
           (result.notified ? L"; server notified."
                            : L"; stored, but no window of this session "
                              L"was told (see --help).");
}

// Told on standard error at every start, and kept for the JSON result.
std::vector<std::wstring> StartWarnings()
{
    std::vector<std::wstring> warnings;
    const std::wstring warning = ProgramFolderWarning();
    if (!warning.empty())
    {
        WriteError(warning + L"\n");
        warnings.push_back(warning);
    }
    return warnings;
}

CJsonObject ChangeJson(const Change& change, bool whatIf, const CConsoleReporter& reporter,
                       const std::vector<std::wstring>& warnings, int exitCode)
{
    const CommandResult& result = change.result;
    CJsonObject json;
    json.Add("command", WidenText(change.command));
    if (!change.queue.empty())
        json.Add("queue", change.queue);
    json.Add("before", WidenText(result.before))
        .Add("after", WidenText(result.after))
        .Add("changed", result.outcome == CommandOutcome::kChanged)
        .Add("whatIf", whatIf);
    if (change.carriesFiles)
        json.Add("files", result.files)
            .Add("bytes", result.bytes)
            .Add("freeBytes", result.freeBytes);
    return json.Add("notified", result.notified)
        .Add("messages", reporter.Messages())
        .Add("warnings", warnings)
        .Add("exitCode", static_cast<ULONGLONG>(exitCode));
}

// Runs the operation the arguments ask for.
void MakeChange(const Arguments& arguments, const ServerProfiles& profiles,
                CConsoleReporter& reporter, Change& change)
{
    CommandOptions options;
    options.whatIf = arguments.whatIf;
    options.lockWaitMs = arguments.waitMs;
    options.leaveUnchanged = true;
    change.result.outcome = CommandOutcome::kRefused;
    const std::wstring& first = arguments.operands[0];
    std::string folder;
    switch (arguments.command)
    {
    case CliCommand::kSetDisplay:
    {
        change = {"set-display", kDisplaySubject, L"", false, change.result};
        UINT showCommand = 0;
        FindDisplayMode(first, showCommand);
        change.result = ChangeDisplayMode(profiles.server, showCommand, reporter, options);
        break;
    }
    case CliCommand::kSetRoot:
        change = {"set-root", kRootSubject, L"", true, change.result};
        if (ResolveFolder(first, reporter, folder))
            change.result =
                ChangeRootDirectory(profiles.system, profiles.server, folder, reporter, options);
        break;
    case CliCommand::kSetDir:
    {
        change = {"set-dir", L"", first, true, change.result};
        std::string queue;
        if (!FindQueueName(profiles.server, first, queue))
        {
            ReportFormatted(reporter, IDS_NO_SUCH_QUEUE, MB_ICONINFORMATION, {first});
            break;
        }
        change.queue = WidenText(queue);
        change.subject = kQueueSubject + change.queue;
        if (ResolveFolder(arguments.operands[1], reporter, folder))
            change.result = ChangeQueueDirectory(profiles.server, queue, folder, reporter, options);
        break;
    }
    default:
        break;
    }
}
} // namespace

// `show` changes nothing: a move left unfinished is told of, and left for the next change to
// clean up. A machine whose server profile does not exist is not taken for a configured one.
int RunShow(const Arguments& arguments)
{
    const std::vector<std::wstring> warnings = StartWarnings();
    const ServerSettings settings = ReadServerSettings();
    const ServerProfiles& profiles = settings.profiles;
    const std::wstring serverProfile = WidenText(profiles.server.GetPath());
    const bool found = GetFileAttributesW(serverProfile.c_str()) != INVALID_FILE_ATTRIBUTES;
    const std::wstring root = WidenText(settings.root);
    const std::wstring display = ShownDisplayMode(settings.showCommand);
    std::vector<CJsonObject> queues;
    std::wstring queueLines;
    for (const std::string& name : settings.queueNames)
    {
        const std::wstring dir = WidenText(settings.QueueDir(name));
        queues.push_back(CJsonObject().Add("name", WidenText(name)).Add("dir", dir));
        queueLines += L"  " + WidenText(name) + L"\t" + dir + L"\n";
    }
    std::vector<CJsonObject> interrupted;
    std::wstring interruptedLines;
    for (const InterruptedMove& move : FindInterruptedMoves(profiles.server.GetPath()))
    {
        interrupted.push_back(CJsonObject()
                                  .Add("destination", move.destination)
                                  .Add("entries", static_cast<ULONGLONG>(move.entries)));
        interruptedLines += L"Interrupted:    " + move.destination + L" (" +
                            WidenText(CountText(move.entries)) +
                            L" entries), left for the next change\n";
    }
    if (!found)
        WriteError(FormatMessageText(IDS_NO_SERVER_PROFILE, {serverProfile}) + L"\n");
    if (arguments.json)
        WriteOutAscii(CJsonObject()
                          .Add("systemProfile", WidenText(profiles.system.GetPath()))
                          .Add("serverProfile", serverProfile)
                          .Add("serverProfileFound", found)
                          .Add("display", display)
                          .Add("root", root)
                          .Add("queues", queues)
                          .Add("interrupted", interrupted)
                          .Add("warnings", warnings)
                          .Text() +
                      "\n");
    else
        WriteOut(L"System profile: " + WidenText(profiles.system.GetPath()) +
                 L"\nServer profile: " + serverProfile + L"\nDisplay mode:   " + display +
                 L"\nRoot directory: " + root + L"\nQueues:\n" + queueLines + interruptedLines);
    return found ? 0 : 1;
}

int RunChange(const Arguments& arguments)
{
    const std::vector<std::wstring> warnings = StartWarnings();
    const ServerProfiles profiles = LocateServerProfiles();
    CConsoleReporter reporter(!arguments.quiet && !arguments.json);
    Change change; // each operation first cleans up after an interrupted one
    MakeChange(arguments, profiles, reporter, change);
    const int exitCode = ExitCodeOf(change.result.outcome);
    if (arguments.json)
        WriteOutAscii(ChangeJson(change, arguments.whatIf, reporter, warnings, exitCode).Text() +
                      "\n");
    else if (!arguments.quiet && exitCode == 0)
        WriteOut(Summary(change, arguments.whatIf) + L"\n");
    return exitCode;
}
