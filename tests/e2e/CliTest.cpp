// kel-admin-cli.exe run as a script would run it, on the site of the dialog's tests, with the
// substitute server receiving the broadcasts: its output, its JSON and its exit codes.
#include "config/ProfileFile.h"
#include "res/resource.h"
#include "tests/driver/CliProcess.h"
#include "tests/driver/MoveHold.h"
#include "tests/driver/ToolProcess.h"
#include "tests/e2e/QueueSite.h"

#include <aclapi.h>

namespace
{
using Json = std::map<std::string, std::string>;

// The members of a flat JSON object: strings unescaped, everything else as written. Throws on
// text that is not one JSON object.
Json ParseObject(const std::string& text)
{
    Json members;
    size_t at = text.find_first_not_of(" \r\n");
    const auto expect = [&](char c)
    {
        at = text.find_first_not_of(" \r\n", at);
        if (at == std::string::npos || text[at++] != c)
            throw std::runtime_error("not JSON: " + text);
    };
    const auto readString = [&]
    {
        expect('"');
        std::string value;
        for (; text.at(at) != '"'; ++at)
        {
            if (text[at] != '\\')
                value += text[at];
            else if (text[++at] == 'u')
                value += Narrow(std::wstring(
                    1, static_cast<wchar_t>(std::stoul(text.substr(at + 1, 4), nullptr, 16)))),
                    at += 4;
            else
                value += text[at] == 'n' ? '\n' : text[at] == 't' ? '\t' : text[at];
        }
        ++at;
        return value;
    };
    expect('{');
    while (text.find_first_not_of(" \r\n", at) != std::string::npos &&
           text[text.find_first_not_of(" \r\n", at)] != '}')
    {
        const std::string name = readString();
        expect(':');
        at = text.find_first_not_of(' ', at);
        if (text[at] == '"')
            members[name] = readString();
        else
        {
            const size_t end = text.find_first_of(",}", text[at] == '[' ? text.find(']', at) : at);
            members[name] = text.substr(at, end - at);
            at = end;
        }
        if (text.find_first_not_of(" \r\n", at) != std::string::npos &&
            text[text.find_first_not_of(" \r\n", at)] == ',')
            expect(',');
    }
    expect('}');
    if (text.find_first_not_of(" \r\n", at) != std::string::npos)
        throw std::runtime_error("more than one object: " + text);
    return members;
}
// `text` as it stands inside a JSON string: each backslash doubled.
std::string JsonEscaped(const std::string& text)
{
    std::string escaped;
    for (char c : text)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
}

// Whether the list of `path` grants Everyone a right to write there.
bool EveryoneMayWrite(const std::string& path)
{
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool writes = list == nullptr;
    for (DWORD i = 0; list != nullptr && i < list->AceCount; ++i)
    {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (GetAce(list, i, reinterpret_cast<void**>(&ace)) &&
            ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            IsWellKnownSid(&ace->SidStart, WinWorldSid))
            writes = writes || (ace->Mask & (FILE_WRITE_DATA | FILE_ADD_SUBDIRECTORY)) != 0;
    }
    LocalFree(descriptor);
    return writes;
}
} // namespace

class CliTest : public QueueSiteFixture
{
protected:
    CliOutcome Cli(const std::string& arguments) { return RunCli(kCliExe, arguments); }
    Json CliJson(const std::string& arguments, DWORD exitCode)
    {
        const CliOutcome outcome = Cli(arguments + " --json");
        EXPECT_EQ(outcome.exitCode, exitCode) << arguments << "\n" << outcome.err;
        return ParseObject(outcome.out);
    }
    size_t Broadcasts()
    {
        FlushBroadcasts();
        return m_listener.Received().size();
    }
};

TEST_F(CliTest, ShowAndSetDisplayAsTextAndAsJson)
{
    StartServer();
    const CliOutcome shown = Cli("show");
    EXPECT_EQ(shown.exitCode, 0u);
    EXPECT_EQ(shown.out, "System profile: C:\\windows\\kel.ini\r\nServer profile: "
                         "C:\\Tools\\kel.ini\r\nDisplay mode:   Normal\r\nRoot directory: "
                         "C:\\kel\\root\r\nQueues:\r\n  Beta\t" +
                             kBetaDir + "\r\n  Alpha\t" + kAlphaDir + "\r\n  Gamma\t\r\n");
    const Json settings = CliJson("show", 0);
    EXPECT_EQ(settings.at("serverProfile"), "C:\\Tools\\kel.ini");
    EXPECT_EQ(settings.at("display"), "Normal");
    EXPECT_EQ(settings.at("queues").substr(0, 47),
              "[{\"name\": \"Beta\", \"dir\": \"C:\\\\kel\\\\queues\\\\beta");

    const CliOutcome hidden = Cli("set-display hidden");
    EXPECT_EQ(hidden.exitCode, 0u) << hidden.err;
    EXPECT_EQ(hidden.out, "Display mode: Normal -> Hidden; server notified.\r\n");
    EXPECT_EQ(Broadcasts(), 1u);
    // The event log's record, as Wine's event log channel shows the call (Wine stores none);
    // run from the host's shell, which keeps Wine's own output apart.
    const std::string trace = "/tmp/kel-eventlog-" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(RunHostScript("WINEDEBUG=+eventlog wine " + ShellQuoted(kCliExe) +
                            " set-display normal 2>" + trace),
              0);
    const std::string log = ReadFileText("Z:" + trace);
    RunHostScript("rm -f " + trace);
    EXPECT_NE(log.find(",0x0004,0x0000,0x000003e8,"), std::string::npos) << log;
    EXPECT_NE(log.find("ReportEventW L\"display mode\"\n"), std::string::npos);
    EXPECT_NE(log.find("ReportEventW L\"Normal\"\n"), std::string::npos);
    EXPECT_EQ(Cli("set-display hidden").exitCode, 0u);
    const Json again = CliJson("set-display HIDDEN", 0);
    EXPECT_EQ(again.at("changed"), "false") << "unchanged on a second identical run";
    EXPECT_EQ(again.at("messages"), "[]");
    EXPECT_EQ(Broadcasts(), 3u) << "hidden, normal, hidden; not the unchanged one";
    EXPECT_EQ(Cli("set-display Full screen").out,
              "Display mode: Hidden -> Full screen; server notified.\r\n");

    for (const char* misuse :
         {"set-display sideways", "show --bogus", "frobnicate", "set-dir Alpha"})
    {
        const CliOutcome usage = Cli(misuse);
        EXPECT_EQ(usage.exitCode, 64u) << misuse;
        EXPECT_NE(usage.err.find("Usage: kel-admin-cli"), std::string::npos) << misuse;
    }
}

TEST_F(CliTest, SetDirAndSetRootWhatIfThenDoneThenUnchanged)
{
    StartServer();
    const std::string before = ReadFileText(kServerProfile);
    const Json whatIf = CliJson("set-dir alpha " + kNewDir + " --what-if", 0);
    EXPECT_EQ(whatIf.at("whatIf"), "true");
    EXPECT_EQ(whatIf.at("files"), "10");
    EXPECT_EQ(whatIf.at("notified"), "false");
    ExpectNothingCarriedStoredOrPosted(before);
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());

    const CliOutcome moved = Cli("set-dir alpha " + kNewDir);
    EXPECT_EQ(moved.exitCode, 0u) << moved.err;
    EXPECT_TRUE(
        StartsWith(moved.out, "Queue Alpha: " + kAlphaDir + " -> " + kNewDir + ", 10 files, "))
        << moved.out;
    EXPECT_NE(moved.out.find(" carried; server notified.\r\n"), std::string::npos) << moved.out;
    ExpectJobsPointAt(kNewDir);
    EXPECT_EQ(Cli("set-dir Alpha " + kNewDir).out, "Queue Alpha: unchanged (" + kNewDir + ").\r\n");
    EXPECT_EQ(Cli("set-dir Alpha c:\\KEL\\queues\\NEW\\").exitCode, 0u) << "another spelling";

    ASSERT_TRUE(MakeDirectories("C:\\kel\\root\\logfiles"));
    ASSERT_TRUE(WriteFileText("C:\\kel\\root\\logfiles\\day1.log", "log"));
    ASSERT_TRUE(MakeDirectories("C:\\kel\\root2"));
    const Json root = CliJson("set-root C:\\kel\\root2", 0);
    EXPECT_EQ(root.at("command"), "set-root");
    EXPECT_EQ(root.at("after"), "C:\\kel\\root2");
    EXPECT_EQ(root.at("changed"), "true");
    EXPECT_EQ(root.at("notified"), "true");
    EXPECT_EQ(ReadFileText("C:\\kel\\root2\\logfiles\\day1.log"), "log");
    EXPECT_EQ(Broadcasts(), 2u);
}

TEST_F(CliTest, RefusalsAndFailuresGiveTheirExitCodesAndTheDialogsTexts)
{
    const CliOutcome unknown = Cli("set-dir Delta " + kNewDir);
    EXPECT_EQ(unknown.exitCode, 1u);
    EXPECT_EQ(unknown.err, "There is no queue named Delta.\r\n");
    const Json inUse = CliJson("set-dir Alpha " + kBetaDir, 1);
    EXPECT_EQ(inUse.at("messages"), "[\"This directory is already in use by another queue.\"]");

    ASSERT_TRUE(MakeSymbolicLink("/proc/self/mem", kAlphaDir + "\\unreadable"));
    const CliOutcome failed = Cli("set-dir Alpha " + kNewDir);
    EXPECT_EQ(failed.exitCode, 2u);
    EXPECT_TRUE(StartsWith(failed.err, "Read error on " + kAlphaDir + "\\unreadable:"))
        << failed.err;
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty()) << "taken back";
    {
        CImmutableFile appendOnly(kNewDir, 'a');
        if (appendOnly.Made())
        {
            EXPECT_EQ(Cli("set-dir Alpha " + kNewDir).exitCode, 3u) << "copies left";
        }
    }
    DeleteTree(kAlphaDir);
    MakeQueue(kAlphaDir, 1);
    // Copies left just now are cleaned up first, once they can be.
    const std::string busy = CliJson("set-dir Alpha " + kNewDir, 5).at("messages");
    EXPECT_NE(busy.find("\"This queue is busy now!\\nPlease try again in a moment.\\nYou might "
                        "consider using KEL to disable the queue temporarily.\"]"),
              std::string::npos)
        << busy;
}

TEST_F(CliTest, CtrlCTakesTheMoveBackAndARunningDialogHoldsTheLock)
{
    CliOutcome cancelled;
    {
        CMoveHold hold("copy");
        CCliProcess cli;
        ASSERT_TRUE(cli.Start(kCliExe, "set-dir Alpha " + kNewDir));
        ASSERT_TRUE(hold.WaitHeld());
        cli.PressCtrlC();
        ASSERT_TRUE(cli.Wait(60000, cancelled));
    }
    EXPECT_EQ(cancelled.exitCode, 4u) << cancelled.err;
    EXPECT_EQ(cancelled.err, "The move was cancelled. KEL's settings have not been changed.\r\n");
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());
    EXPECT_EQ(StoredDir("Alpha"), kAlphaDir);

    CMoveHold hold("copy");
    StartTool();
    ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_QUEUE, kNewDir));
    PostMessageA(m_tool.Control(IDC_SET_DIR), BM_CLICK, 0, 0);
    ASSERT_TRUE(hold.WaitHeld());
    const Json busy = CliJson("set-display Normal --wait 1", 5);
    EXPECT_EQ(busy.at("messages"), "[\"Another KEL Administrator is changing the server's "
                                   "settings.\\nPlease try again when it has finished.\"]");
}

// Nothing is copied by a run that could not store its change, nor past a link, nor into a
// folder that the command line cannot name exactly; a machine without a server is no server.
TEST_F(CliTest, RunsThatCouldNotEndWellAreRefusedBeforeAnythingIsCopied)
{
    {
        CImmutableFile locked(kServerProfile);
        if (locked.Made())
            for (const char* whatIf : {" --what-if", ""})
            {
                const std::string messages =
                    CliJson("set-dir Alpha " + kNewDir + whatIf, 1).at("messages");
                EXPECT_NE(messages.find("KEL Administrator cannot change"), std::string::npos)
                    << messages;
            }
    }
    ASSERT_TRUE(MakeDirectories("C:\\kel\\elsewhere"));
    ASSERT_TRUE(MakeSymbolicLink(UnixPathOf("C:\\kel\\elsewhere"), kAlphaDir + "\\linked"));
    const std::string link = "Can't open file for reading:\\n\\t" + JsonEscaped(kAlphaDir) +
                             "\\\\linked\\nIt is a link to another place";
    EXPECT_NE(CliJson("set-dir Alpha " + kNewDir + " --what-if", 1).at("messages").find(link),
              std::string::npos);
    EXPECT_EQ(Cli("set-dir Alpha " + kNewDir).exitCode, 1u) << "what-if foresaw the run";
    for (const std::string& partial : {std::string("C:"), kNewDir + "::$INDEX_ALLOCATION"})
    {
        const CliOutcome refused = Cli("set-dir Alpha " + partial);
        EXPECT_EQ(refused.exitCode, 1u) << partial;
        EXPECT_TRUE(StartsWith(refused.err, "Please give the full path of a folder")) << partial;
    }
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());

    ASSERT_TRUE(DeleteFileA(kServerProfile));
    const CliOutcome none = Cli("show --json");
    EXPECT_EQ(none.exitCode, 1u);
    EXPECT_TRUE(StartsWith(none.err, "There is no server profile")) << none.err;
    EXPECT_EQ(ParseObject(none.out).at("serverProfileFound"), "false");
}

// The journals' folder and the programs' own are the administrators': a right that others were
// given to change the first is taken back, or the move refused; the second is warned of.
TEST_F(CliTest, FoldersThatOthersMayChangeAreMendedRefusedOrWarnedOf)
{
    ASSERT_TRUE(MakeDirectories(kJournals));
    const std::string journals = ShellQuoted(UnixPathOf(kJournals));
    ASSERT_EQ(RunHostScript("chmod 777 " + journals), 0);
    EXPECT_EQ(Cli("set-display Hidden").exitCode, 0u);
    EXPECT_FALSE(EveryoneMayWrite(kJournals)) << "mended";
    ASSERT_EQ(RunHostScript("chmod 777 " + journals), 0);
    {
        CImmutableFile locked(kJournals);
        if (locked.Made())
        {
            const CliOutcome refused = Cli("set-dir Alpha " + kNewDir);
            EXPECT_EQ(refused.exitCode, 1u);
            EXPECT_TRUE(StartsWith(refused.err, "KEL Administrator keeps the journals of its "
                                                "moves in\r\n\t" +
                                                    std::string(kJournals)))
                << refused.err;
            EXPECT_TRUE(SnapshotFiles(kNewDir).empty());
        }
    }
    ASSERT_EQ(RunHostScript("chmod 777 " + ShellQuoted(UnixPathOf(kToolsDir))), 0);
    const std::string warnings = CliJson("show", 0).at("warnings");
    EXPECT_NE(warnings.find("runs with an administrator's rights from\\n\\tC:\\\\Tools\\n"),
              std::string::npos)
        << warnings;
}

// A move cut short is told of by show and what-if, which change nothing; the next command
// leaves its copies where the server has taken the folder into use meanwhile.
TEST_F(CliTest, AMoveCutShortIsToldOfThenLeftWhereTheServerNowUsesItsFolder)
{
    {
        CMoveHold hold("copy");
        CCliProcess cli;
        ASSERT_TRUE(cli.Start(kCliExe, "set-dir Alpha " + kNewDir));
        ASSERT_TRUE(hold.WaitHeld());
    }
    const auto copies = SnapshotFiles(kNewDir);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_TRUE(StartsWith(ParseObject(Cli("show --json").out).at("interrupted"),
                           "[{\"destination\": \"C:\\\\kel\\\\queues\\\\new\", \"entries\": "));
    EXPECT_NE(CliJson("set-display Hidden --what-if", 0)
                  .at("messages")
                  .find("will be removed by "
                        "the next change"),
              std::string::npos);
    EXPECT_EQ(SnapshotFiles(kNewDir), copies) << "show and what-if change nothing";

    ASSERT_TRUE(CProfileFile(kServerProfile).WriteString("Gamma", "queuedir", kNewDir.c_str()));
    EXPECT_NE(CliJson("set-display Hidden", 0)
                  .at("messages")
                  .find("stay, since the server now "
                        "uses that folder"),
              std::string::npos);
    EXPECT_EQ(SnapshotFiles(kNewDir), copies);
    EXPECT_EQ(CliJson("show", 0).at("interrupted"), "[]") << "the journal is ended";
}

// A folder of the destination swapped for a link once the move has entered it leads nowhere:
// nothing is made through it, and the move is taken back.
TEST_F(CliTest, AFolderSwappedForALinkMidMoveStopsIt)
{
    ASSERT_TRUE(MakeDirectories(kAlphaDir + "\\sub"));
    ASSERT_TRUE(MakeDirectories("C:\\kel\\elsewhere"));
    ASSERT_TRUE(WriteFileText(kAlphaDir + "\\sub\\a.dat", "job data"));
    CMoveHold hold("folder");
    CCliProcess cli;
    ASSERT_TRUE(cli.Start(kCliExe, "set-dir Alpha " + kNewDir));
    ASSERT_TRUE(hold.WaitHeld());
    ASSERT_TRUE(RemoveDirectoryA((kNewDir + "\\sub").c_str()));
    ASSERT_TRUE(MakeSymbolicLink(UnixPathOf("C:\\kel\\elsewhere"), kNewDir + "\\sub"));
    hold.Release();
    CliOutcome stopped;
    ASSERT_TRUE(cli.Wait(60000, stopped));
    EXPECT_EQ(stopped.exitCode, 2u) << stopped.err;
    EXPECT_NE(stopped.err.find("a.dat\r\nIt is a link to another place"), std::string::npos)
        << stopped.err;
    EXPECT_TRUE(SnapshotFiles("C:\\kel\\elsewhere").empty());
    EXPECT_EQ(StoredDir("Alpha"), kAlphaDir);
}

// A console program hears a log-off or shutdown only through a window: it holds the shutdown
// up while a move runs, and takes the move back when the session ends all the same.
TEST_F(CliTest, ASessionEndingUnderAMoveTakesItBack)
{
    CMoveHold hold("copy");
    CCliProcess cli;
    ASSERT_TRUE(cli.Start(kCliExe, "set-dir Alpha " + kNewDir));
    ASSERT_TRUE(hold.WaitHeld());
    HWND session = nullptr;
    for (HWND window : TopLevelWindowsOf(cli.Id()))
    {
        wchar_t name[64] = L"";
        GetClassNameW(window, name, 64);
        session = std::wstring(name) == L"KelAdministratorCommandLine" ? window : session;
    }
    ASSERT_NE(session, nullptr);
    DWORD_PTR answer = 1;
    SendMessageTimeoutW(session, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_EQ(answer, 0u);
    SendMessageTimeoutW(session, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 30000, &answer);
    CliOutcome ended;
    ASSERT_TRUE(cli.Wait(60000, ended));
    EXPECT_EQ(ended.exitCode, 4u) << ended.err;
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());
    EXPECT_EQ(StoredDir("Alpha"), kAlphaDir);
}
