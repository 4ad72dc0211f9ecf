// "Browse" and "Set Dir" for a queue end to end, through the real folder chooser, with the
// substitute server receiving the broadcast.
#include "config/ProfileFile.h"
#include "res/resource.h"
#include "tests/driver/MoveHold.h"
#include "tests/driver/ResponsivenessProbe.h"
#include "tests/e2e/QueueSite.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace
{
const LPARAM kQueueCode = 3;
using Broadcasts = std::vector<std::pair<WPARAM, LPARAM>>;
using Texts = std::vector<std::string>;

// How often `key` stands in [section] of a profile, whatever its letter case.
int CountKeys(const std::string& text, const std::string& section, const std::string& key)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return std::tolower(c); });
    const size_t start = lower.find("[" + section + "]");
    if (start == std::string::npos)
        return 0;
    const size_t end = lower.find("\n[", start + 1);
    int count = 0;
    for (size_t at = lower.find("\n" + key + "=", start); at < end && at != std::string::npos;
         at = lower.find("\n" + key + "=", at + 1))
        ++count;
    return count;
}
} // namespace

class SetDirTest : public QueueSiteFixture
{
protected:
    void BrowseTo(const std::string& folder)
    {
        ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_QUEUE, folder)) << folder;
    }

    // Starts the server and the tool, chooses `folder` for Alpha and keeps the server profile
    // as it then stands.
    void StartChoosing(const std::string& folder)
    {
        StartServer();
        StartTool();
        BrowseTo(folder);
        m_serverProfileBefore = ReadFileText(kServerProfile);
    }

    // Replaces Alpha's directory by a long queue and starts the tool with the new directory
    // chosen, its move to be held at `holdAt` (none when null).
    void StartWithLongQueue(const char* holdAt = "copy")
    {
        MakeAlphaLong();
        if (holdAt != nullptr)
            m_hold = std::make_unique<CMoveHold>(holdAt);
        StartChoosing(kNewDir);
    }

    // Clicks "Set Dir" and waits until the move is held and its progress window shows the
    // counts; false when it never does.
    bool StartSetDirAndWaitHeld(HWND& progress)
    {
        PostMessageA(m_tool.Control(IDC_SET_DIR), BM_CLICK, 0, 0);
        return m_hold->WaitHeld() &&
               WaitUntil(
                   [&]
                   {
                       progress = m_tool.FindProgressWindow();
                       return progress != nullptr &&
                              !WindowTextOf(GetDlgItem(progress, IDC_PROGRESS_FILES)).empty();
                   },
                   20000);
    }

    std::unique_ptr<CMoveHold> m_hold;
    std::string m_serverProfileBefore;
};

TEST_F(SetDirTest, ACompletedChangeCarriesTheQueueOverAndTellsTheServerOnce)
{
    // Stale duplicate keys of a hand-edited profile end as one; a job control file of another
    // queue that the new directory held already stays as it was.
    std::string withDuplicates = ReadFileText(kServerProfile);
    const std::string alphaKey = "queuedir=" + kAlphaDir + "\r\n";
    withDuplicates.insert(withDuplicates.find(alphaKey) + alphaKey.size(),
                          "queuedir=C:\\stale1\r\nqueuedir=C:\\stale2\r\n");
    ASSERT_TRUE(WriteFileText(kServerProfile, withDuplicates));
    const std::string otherJob = JobFile("C:\\kel\\queues\\other", "9", 0, 0);
    ASSERT_TRUE(WriteFileText(kNewDir + "\\cf9.ini", otherJob));
    StartServer();
    StartTool();
    ASSERT_EQ(m_tool.ComboText(IDC_QUEUE_LIST, m_tool.ComboSelection(IDC_QUEUE_LIST)), "Alpha");
    BrowseTo(kNewDir);
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), kNewDir);
    m_tool.Click(IDC_SET_DIR);
    EXPECT_EQ(TakeTexts(), Texts{});

    auto carried = SnapshotFiles(kNewDir);
    EXPECT_EQ(carried["cf9.ini"], otherJob);
    carried.erase("cf9.ini");
    EXPECT_EQ(carried.size(), m_alphaFiles.size());
    for (const auto& file : m_alphaFiles)
    {
        if (file.first.rfind("cf", 0) != 0 && file.first.rfind("CF", 0) != 0)
        {
            EXPECT_EQ(carried[file.first], file.second) << file.first << " copied byte for byte";
        }
    }
    EXPECT_EQ(SnapshotFiles(kAlphaDir), m_alphaFiles) << "the old directory keeps everything";
    ExpectJobsPointAt(kNewDir);

    const std::string profile = ReadFileText(kServerProfile);
    EXPECT_EQ(StoredDir("Alpha"), kNewDir);
    EXPECT_EQ(CountKeys(profile, "alpha", "queuedir"), 1) << profile;
    EXPECT_EQ(StoredDir("Beta"), kBetaDir);
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received(), (Broadcasts{{0, kQueueCode}}));
    EXPECT_EQ(m_server.AdminLines(), Texts{"admin code=3 param=0 queuedirs: Beta=" + kBetaDir +
                                           " Alpha=" + kNewDir + " Gamma="});

    m_tool.Click(IDC_SET_DIR);
    EXPECT_EQ(TakeTexts(), Texts{"This directory setting has not changed!"});
}

TEST_F(SetDirTest, ABusyQueueIsRefusedOnceAndNothingIsCopied)
{
    DeleteTree(kAlphaDir);
    MakeQueue(kAlphaDir, 1, 1);
    m_alphaFiles = SnapshotFiles(kAlphaDir);
    StartChoosing(kNewDir);
    m_tool.Click(IDC_SET_DIR);
    // A click given while the box is up waits until the command has ended.
    m_tool.Click(IDC_ABOUT);
    const auto boxes = m_tool.TakeAllMessageBoxes();
    HWND about = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&]
        { return (about = m_tool.FindWindowByCaption("About KEL Administrator")) != nullptr; }));
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This queue is busy now!\nPlease try again in a moment.\n"
                             "You might consider using KEL to disable the queue temporarily.");
    EXPECT_EQ(boxes[0].iconKind, MB_ICONINFORMATION);
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());
    ExpectNothingCarriedStoredOrPosted(m_serverProfileBefore);
}

TEST_F(SetDirTest, AFolderOfAnotherQueueIsRefusedAtBrowseAndAtSetDir)
{
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kServerProfile);
    ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_QUEUE, kBetaDir));
    ExpectBoxes({{"This directory is already in use by another queue.", MB_ICONINFORMATION}});
    // Named by Beta's profile, it is Beta's even without its queue.ini; so is the root's.
    ASSERT_TRUE(DeleteFileA((kBetaDir + "\\queue.ini").c_str()));
    for (const std::string& used : {kBetaDir, kBetaDir + "\\sub", std::string("C:\\kel\\root")})
    {
        ASSERT_TRUE(MakeDirectories(used));
        ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_QUEUE, used)) << used;
        ExpectBoxes({{"This directory is already in use by another queue.", MB_ICONINFORMATION}});
    }
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), kAlphaDir);

    BrowseTo(kNewDir);
    ASSERT_TRUE(WriteFileText(kNewDir + "\\queue.ini", "[Queue]\r\n"));
    m_tool.Click(IDC_SET_DIR);
    EXPECT_EQ(TakeTexts(), Texts{"This directory is already in use by another queue."});
    auto inNew = SnapshotFiles(kNewDir);
    EXPECT_EQ(inNew.size(), 1u) << "nothing was copied";
    ExpectNothingCarriedStoredOrPosted(before);
}

TEST_F(SetDirTest, AQueueWithoutADirectoryCannotBeEntered)
{
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kServerProfile);
    HWND queues = m_tool.Control(IDC_QUEUE_LIST);
    PostMessageA(queues, CB_SETCURSEL, 2, 0); // Gamma
    m_tool.OpenAndCloseDropDown(IDC_QUEUE_LIST);
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), "");
    m_tool.Click(IDC_SET_DIR);
    EXPECT_EQ(TakeTexts(), Texts{"This directory setting has not changed!"});

    BrowseTo(kNewDir);
    m_tool.Click(IDC_SET_DIR);
    ExpectBoxes({{"Trying to chdir to an empty dir", MB_ICONEXCLAMATION},
                 {"Can't go to queue dir '' : No such file or directory", MB_ICONEXCLAMATION}});
    ExpectNothingCarriedStoredOrPosted(before);
}

TEST_F(SetDirTest, ASelectionMovedByArrowKeysActsOnTheNewQueueWithTheShownDirectory)
{
    StartServer();
    StartTool();
    BrowseTo(kNewDir);
    m_tool.PressKey(m_tool.Control(IDC_QUEUE_LIST), VK_DOWN);
    ASSERT_EQ(m_tool.ComboText(IDC_QUEUE_LIST, m_tool.ComboSelection(IDC_QUEUE_LIST)), "Beta");
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), kNewDir);
    m_tool.Click(IDC_SET_DIR);
    EXPECT_EQ(TakeTexts(), Texts{});
    EXPECT_EQ(StoredDir("Beta"), kNewDir);
    EXPECT_EQ(StoredDir("Alpha"), kAlphaDir);
    ExpectJobsPointAt(kNewDir);
    FlushBroadcasts();
    EXPECT_EQ(m_server.AdminLines().size(), 1u);
}

TEST_F(SetDirTest, AFailedCarryOverStoresNothingAndPostsNothing)
{
    ASSERT_TRUE(MakeSymbolicLink("/proc/self/mem", kAlphaDir + "\\unreadable"));
    m_alphaFiles = SnapshotFiles(kAlphaDir);
    StartChoosing(kNewDir);
    m_tool.Click(IDC_SET_DIR);
    const Texts texts = TakeTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("Read error on " + kAlphaDir + "\\unreadable:", 0), 0u) << texts[0];
    ExpectNothingCarriedStoredOrPosted(m_serverProfileBefore);
}

TEST_F(SetDirTest, WithoutQueuesSetDirDoesNothing)
{
    WriteProfile(kServerProfile, "[Queues]\n");
    StartTool();
    m_tool.Click(IDC_SET_DIR);
    EXPECT_EQ(m_tool.FindMessageBox(), nullptr);
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received().size(), 0u);
}

TEST_F(SetDirTest, AProfileThatCannotBeWrittenStoresNothingAndARetrySucceeds)
{
    StartChoosing(kNewDir);
    {
        CImmutableFile locked(kServerProfile);
        if (!locked.Made())
            GTEST_SKIP() << "the host refused chattr +i (it needs root and a file system that "
                            "keeps the attribute)";
        m_tool.Click(IDC_SET_DIR);
        ExpectBoxes({{std::string("KEL Administrator cannot change\n\t") + kServerProfile +
                          " :\nPermission denied\nKEL's settings have not been changed.",
                      MB_ICONEXCLAMATION}});
        EXPECT_TRUE(SnapshotFiles(kNewDir).empty()) << "the new directory is as it was";
        ExpectNothingCarriedStoredOrPosted(m_serverProfileBefore);
    }
    m_tool.Click(IDC_SET_DIR);
    EXPECT_EQ(TakeTexts(), Texts{});
    EXPECT_EQ(StoredDir("Alpha"), kNewDir);
    ExpectJobsPointAt(kNewDir);
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received(), (Broadcasts{{0, kQueueCode}}));
}

TEST_F(SetDirTest, FoldersTheServerCannotUseAreRefusedAtBrowse)
{
    const std::wstring parent = Widen(kDataDir) + L"\\queues\\";
    const std::wstring unusable[] = {
        parent + L"\x043d\x043e\x0432\x0430\x044f", // Cyrillic
        parent + L"\x65b0\x3057\x3044",             // CJK
        parent + L"\x0101lpha2",                    // best-fit would make it alpha2
    };
    ASSERT_TRUE(MakeDirectories(kDataDir + std::string("\\queues\\alpha2")));
    for (const std::wstring& folder : unusable)
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    StartTool();
    for (const std::wstring& folder : unusable)
    {
        ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_QUEUE, folder));
        ExpectBoxes({{"KEL can only use a folder on a lettered drive whose name uses this "
                      "system's characters.\nPlease choose another folder.",
                      MB_ICONINFORMATION}});
        EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), kAlphaDir);
    }
}

TEST_F(SetDirTest, AnEmptyTargetIsRefusedBeforeAnythingElse)
{
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kServerProfile);
    PostMessageA(m_tool.Control(IDC_QUEUE_LIST), CB_SETCURSEL, 2, 0); // Gamma, no directory
    m_tool.OpenAndCloseDropDown(IDC_QUEUE_LIST);
    m_tool.PressKey(m_tool.Control(IDC_QUEUE_LIST), VK_UP);
    ASSERT_EQ(m_tool.ComboText(IDC_QUEUE_LIST, m_tool.ComboSelection(IDC_QUEUE_LIST)), "Beta");
    ASSERT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), "");
    m_tool.Click(IDC_SET_DIR);
    ExpectBoxes({{"Please choose a directory first, with the Browse button.", MB_ICONINFORMATION}});
    ExpectNothingCarriedStoredOrPosted(before);
}

TEST_F(SetDirTest, ADirectoryInsideTheOldOneIsFilledWithoutCopyingItIntoItself)
{
    const std::string inside = kAlphaDir + "\\sub";
    ASSERT_TRUE(MakeDirectories(inside));
    StartServer();
    StartTool();
    BrowseTo(inside);
    m_tool.Click(IDC_SET_DIR);
    EXPECT_EQ(TakeTexts(), Texts{});
    EXPECT_EQ(SnapshotFiles(inside).size(), m_alphaFiles.size());
    EXPECT_FALSE(FileExists(inside + "\\sub"));
    EXPECT_EQ(StoredDir("Alpha"), inside);
    ExpectJobsPointAt(inside);
}

TEST_F(SetDirTest, ADiskThatFillsDuringTheCarryOverGivesOneMessageAndIsLeftAsItWas)
{
    // Each small file takes a 4 KB page of the 48 KB disk: the bytes fit, the files do not.
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(WriteFileText(kAlphaDir + "\\note" + std::to_string(i) + ".txt", "n"));
    m_alphaFiles = SnapshotFiles(kAlphaDir);
    const std::string small = kDataDir + std::string("\\small");
    CSmallDisk disk(small, 48);
    if (!disk.Mounted())
        GTEST_SKIP() << "the host refused to mount a tmpfs (it needs root)";
    StartChoosing(small);
    m_tool.ClickAndWait(IDC_SET_DIR, 30000);
    const auto boxes = m_tool.TakeAllMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << "one message for a full destination";
    EXPECT_EQ(LastLine(boxes[0].text), "No space left on device") << boxes[0].text;
    EXPECT_TRUE(SnapshotFiles(small).empty()) << "what the move created is removed";
    ExpectNothingCarriedStoredOrPosted(m_serverProfileBefore);
}

TEST_F(SetDirTest, ADiskThatFillsDuringTheJobRewriteStoresNothing)
{
    // One job whose control file, rewritten with the longer new directory, outgrows its page,
    // on a disk that holds the queue's four files exactly.
    DeleteTree(kAlphaDir);
    ASSERT_TRUE(MakeDirectories(kAlphaDir));
    ASSERT_TRUE(WriteFileText(kAlphaDir + "\\queue.ini", "[Queue]\r\n"));
    ASSERT_TRUE(WriteFileText(kAlphaDir + "\\d1a", "a"));
    ASSERT_TRUE(WriteFileText(kAlphaDir + "\\d1b", "b"));
    const std::string job = kAlphaDir + "\\cf1.ini";
    const std::string padding(4096 - 200, 'x');
    ASSERT_TRUE(WriteFileText(job, "[Settings]\r\nTotalDataFiles=2\r\nCurrentDataFile=1\r\n"
                                   "[Files]\r\nFile1=Xd1a\r\nFile2=Xd1b\r\nd1a=" +
                                       kAlphaDir + "\\d1a\r\nd1b=" + kAlphaDir +
                                       "\\d1b\r\n[Padding]\r\nx=" + padding + "\r\n"));
    ASSERT_LT(ReadFileText(job).size(), 4096u);
    m_alphaFiles = SnapshotFiles(kAlphaDir);
    const std::string small = kDataDir + std::string("\\small");
    CSmallDisk disk(small, 16);
    if (!disk.Mounted())
        GTEST_SKIP() << "the host refused to mount a tmpfs (it needs root)";
    const std::string longer = small + "\\a-new-queue-directory-with-a-longer-name";
    ASSERT_TRUE(MakeDirectories(longer));
    StartChoosing(longer);
    m_tool.Click(IDC_SET_DIR);
    const auto boxes = m_tool.TakeAllMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can't store the new setting in\n\t" + longer +
                                 "\\cf1.ini :\nNo space left on device");
    EXPECT_TRUE(SnapshotFiles(longer).empty()) << "what the move created is removed";
    ExpectNothingCarriedStoredOrPosted(m_serverProfileBefore);
}

TEST_F(SetDirTest, TooLittleFreeSpaceIsRefusedBeforeAnythingIsCopied)
{
    ASSERT_TRUE(WriteFileText(kAlphaDir + "\\big.prn", std::string(200 * 1024, 'b')));
    m_alphaFiles = SnapshotFiles(kAlphaDir);
    const std::string small = kDataDir + std::string("\\small");
    CSmallDisk disk(small, 64);
    if (!disk.Mounted())
        GTEST_SKIP() << "the host refused to mount a tmpfs (it needs root)";
    StartChoosing(small);
    m_tool.Click(IDC_SET_DIR);
    const auto boxes = m_tool.TakeAllMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    const std::string start =
        "There is not enough free space on " + small + " for the files of\n\t" + kAlphaDir + "\n(";
    EXPECT_TRUE(StartsWith(boxes[0].text, start)) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find(" KB needed, 64.0 KB free)."), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[0].iconKind, MB_ICONEXCLAMATION);
    EXPECT_TRUE(SnapshotFiles(small).empty());
    ExpectNothingCarriedStoredOrPosted(m_serverProfileBefore);
}

TEST_F(SetDirTest, ALongMoveStaysResponsiveAndShowsItsProgress)
{
    StartWithLongQueue();
    // The window never hangs: the figures that matter are the benchmark's.
    CResponsivenessProbe probe(m_tool.Dialog(), 50, 5000);
    HWND progress = nullptr;
    ASSERT_TRUE(StartSetDirAndWaitHeld(progress));
    EXPECT_EQ(WindowTextOf(GetDlgItem(progress, IDC_PROGRESS_STEP)), "Copying files to " + kNewDir);
    EXPECT_EQ(WindowTextOf(progress), "KEL Administrator 2.1 Win95");
    EXPECT_EQ(GetWindow(progress, GW_OWNER), m_tool.Dialog());
    EXPECT_FALSE(IsWindowEnabled(m_tool.Dialog())) << "the main dialog waits";
    const std::string files = WindowTextOf(GetDlgItem(progress, IDC_PROGRESS_FILES));
    EXPECT_NE(files.find(" of 1,501 files"), std::string::npos) << files;
    EXPECT_NE(WindowTextOf(GetDlgItem(progress, IDC_PROGRESS_BYTES)).find(" of "),
              std::string::npos);
    // Only Cancel ends it early: an OK, which Enter gives a dialog without a default button,
    // does nothing.
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(progress, WM_COMMAND, IDOK, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_TRUE(IsWindowVisible(progress));
    // A log-off or shutdown meanwhile is asked to wait.
    answer = 1;
    SendMessageTimeoutA(m_tool.Dialog(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer);
    EXPECT_EQ(answer, 0u);
    ASSERT_TRUE(WaitUntil([&] { return probe.Sent() > 10; }));

    m_hold->Release();
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 60000)) << "the window closes";
    m_tool.Sync(60000);
    probe.Stop();
    EXPECT_EQ(probe.Unanswered(), 0) << "longest wait " << probe.LongestWaitMs() << " ms";
    EXPECT_EQ(TakeTexts(), Texts{});
    EXPECT_EQ(StoredDir("Alpha"), kNewDir);
    EXPECT_EQ(SnapshotFiles(kNewDir).size(), m_alphaFiles.size());
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received(), (Broadcasts{{0, kQueueCode}}));
}

TEST_F(SetDirTest, CancelLeavesBothDirectoriesTheProfileAndTheServerAsTheyWere)
{
    // A file of the queue's that the new directory holds already: never left half-written.
    ASSERT_TRUE(WriteFileText(kNewDir + "\\df1.prn", "there before"));
    StartWithLongQueue();
    HWND progress = nullptr;
    ASSERT_TRUE(StartSetDirAndWaitHeld(progress));
    m_tool.PressKey(GetDlgItem(progress, IDCANCEL), VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return m_tool.FindMessageBox() != nullptr; }, 20000));
    ExpectBoxes(
        {{"The move was cancelled. KEL's settings have not been changed.", MB_ICONINFORMATION}});
    EXPECT_FALSE(IsWindow(progress));
    EXPECT_EQ(SnapshotFiles(kNewDir),
              (std::map<std::string, std::string>{{"df1.prn", "there before"}}))
        << "only what was there, put back byte for byte";
    ExpectNothingCarriedStoredOrPosted(m_serverProfileBefore);
}

TEST_F(SetDirTest, ADestinationRemovedDuringTheCarryOverGivesOneMessage)
{
    StartWithLongQueue();
    HWND progress = nullptr;
    ASSERT_TRUE(StartSetDirAndWaitHeld(progress));
    // Renamed away from the host in one step, so that it is gone at once.
    ASSERT_EQ(RunHostScript("mv " + ShellQuoted(UnixPathOf(kNewDir)) + " " +
                            ShellQuoted(UnixPathOf(kDataDir) + "/gone")),
              0);
    m_hold->Release();
    ASSERT_TRUE(WaitUntil([&] { return m_tool.FindMessageBox() != nullptr; }, 20000));
    const auto boxes = m_tool.TakeAllMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(LastLine(boxes[0].text), "No such file or directory") << boxes[0].text;
    ExpectNothingCarriedStoredOrPosted(m_serverProfileBefore);
}

TEST_F(SetDirTest, ADestinationPathBeyondTheLimitIsRefusedBeforeAnythingIsCopied)
{
    const std::string longDir = kDataDir + std::string("\\queues\\") + std::string(236, 'x');
    ASSERT_EQ(longDir.size(), 250u);
    ASSERT_TRUE(MakeDirectories(longDir));
    StartChoosing(longDir);
    m_tool.Click(IDC_SET_DIR);
    const auto boxes = m_tool.TakeAllMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(StartsWith(boxes[0].text, "Can't open file for writing:\n\t" + longDir));
    EXPECT_EQ(LastLine(boxes[0].text), "File name too long");
    EXPECT_TRUE(SnapshotFiles(longDir).empty());
    ExpectNothingCarriedStoredOrPosted(m_serverProfileBefore);
}

TEST_F(SetDirTest, ADestinationThatRefusesEveryWriteGivesOneMessage)
{
    StartWithLongQueue(nullptr);
    CImmutableFile locked(kNewDir);
    if (!locked.Made())
        GTEST_SKIP() << "the host refused chattr +i (it needs root)";
    m_tool.ClickAndWait(IDC_SET_DIR, 60000);
    const auto boxes = m_tool.TakeAllMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << "not one per file";
    EXPECT_EQ(LastLine(boxes[0].text), "Permission denied");
    ExpectNothingCarriedStoredOrPosted(m_serverProfileBefore);
}

TEST_F(SetDirTest, TwoAdministratorsAtOnceChangeTheQueueOneAfterTheOther)
{
    StartWithLongQueue();
    const std::string otherDir = kDataDir + std::string("\\queues\\other");
    ASSERT_TRUE(MakeDirectories(otherDir));
    CToolProcess second;
    ASSERT_TRUE(second.Start(kToolExe));
    ASSERT_TRUE(second.BrowseTo(IDC_BROWSE_QUEUE, otherDir));
    HWND progress = nullptr;
    ASSERT_TRUE(StartSetDirAndWaitHeld(progress));
    second.ClickAndWait(IDC_SET_DIR, 20000);
    ExpectBoxesOf(second, {{"Another KEL Administrator is changing the server's settings.\n"
                            "Please try again when it has finished.",
                            MB_ICONINFORMATION}});
    m_hold->Release();
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 60000));
    m_tool.Sync(60000);
    EXPECT_EQ(TakeTexts(), Texts{});
    EXPECT_EQ(StoredDir("Alpha"), kNewDir);
    EXPECT_EQ(SnapshotFiles(kNewDir).size(), m_alphaFiles.size());
    EXPECT_TRUE(SnapshotFiles(otherDir).empty());
    EXPECT_EQ(CProfileFile(kNewDir + "\\cf750.ini").GetString("Files", "df750.prn"),
              kNewDir + "\\df750.prn");
}

// The server spools, appends and prints from the old directory while the job control files are
// pointed at the new one: the last look at it comes just before the store.
TEST_F(SetDirTest, AServerThatKeepsSpoolingIsFollowedUntilTheStore)
{
    StartWithLongQueue("rewrite");
    HWND progress = nullptr;
    ASSERT_TRUE(StartSetDirAndWaitHeld(progress));
    ASSERT_TRUE(WriteFileText(kAlphaDir + "\\df900.prn", "spooled meanwhile"));
    ASSERT_TRUE(WriteFileText(kAlphaDir + "\\cf900.ini", JobFile(kAlphaDir, "900", 0, 0)));
    ASSERT_TRUE(WriteFileText(kAlphaDir + "\\df1.prn", m_alphaFiles["df1.prn"] + "appended"));
    ASSERT_TRUE(DeleteFileA((kAlphaDir + "\\df2.prn").c_str()));
    ASSERT_TRUE(DeleteFileA((kAlphaDir + "\\cf2.ini").c_str()));
    m_hold->Release();
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(progress); }, 60000));
    m_tool.Sync(60000);
    EXPECT_EQ(TakeTexts(), Texts{});
    // The old directory as it stood at the store: data byte for byte, jobs by name.
    const auto expected = SnapshotFiles(kAlphaDir);
    auto carried = SnapshotFiles(kNewDir);
    for (auto& file : carried)
        if (StartsWith(file.first, "cf") && expected.count(file.first) != 0)
            file.second = expected.at(file.first);
    EXPECT_EQ(carried, expected);
    EXPECT_EQ(CProfileFile(kNewDir + "\\cf900.ini").GetString("Files", "d900a"),
              kNewDir + "\\d900a");
    EXPECT_EQ(StoredDir("Alpha"), kNewDir);
}

// A job that starts printing while the job control files are rewritten stops the move, though
// its control file keeps its size and its time.
TEST_F(SetDirTest, AJobThatTurnsBusyBeforeTheStoreStopsTheMove)
{
    m_hold = std::make_unique<CMoveHold>("rewrite");
    StartChoosing(kNewDir);
    PostMessageA(m_tool.Control(IDC_SET_DIR), BM_CLICK, 0, 0);
    ASSERT_TRUE(m_hold->WaitHeld());
    const std::string job = kAlphaDir + "\\CF3.INI";
    WIN32_FILE_ATTRIBUTE_DATA before = {};
    ASSERT_TRUE(GetFileAttributesExA(job.c_str(), GetFileExInfoStandard, &before));
    ASSERT_TRUE(WriteFileText(job, JobFile(kAlphaDir, "3", 0, 1)));
    HANDLE file =
        CreateFileA(job.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &before.ftLastWriteTime));
    CloseHandle(file);
    m_hold->Release();
    m_tool.Sync(60000);
    EXPECT_EQ(TakeTexts(), Texts{"This queue is busy now!\nPlease try again in a moment.\nYou "
                                 "might consider using KEL to disable the queue temporarily."});
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());
    EXPECT_EQ(ReadFileText(kServerProfile), m_serverProfileBefore);
}

// Each last look at the old folder finds a data file grown since the one before.
TEST_F(SetDirTest, ASpoolThatNeverHoldsStillEndsTheMoveWithItsOwnMessage)
{
    m_hold = std::make_unique<CMoveHold>("listing", true);
    StartChoosing(kNewDir);
    PostMessageA(m_tool.Control(IDC_SET_DIR), BM_CLICK, 0, 0);
    const std::string data = kAlphaDir + "\\d1a";
    for (int listing = 1; listing <= 3; ++listing)
    {
        ASSERT_TRUE(m_hold->WaitHeld()) << listing;
        ASSERT_TRUE(WriteFileText(data, ReadFileText(data) + "x"));
        m_hold->Release();
    }
    m_tool.Sync(60000);
    const auto boxes = m_tool.TakeAllMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The files of\n\t" + kAlphaDir +
                                 "\nkept changing while they were carried over. KEL's settings "
                                 "have not been changed.\nPlease pause the queue and try again.");
    EXPECT_EQ(boxes[0].iconKind, MB_ICONEXCLAMATION);
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());
    EXPECT_EQ(ReadFileText(kServerProfile), m_serverProfileBefore);
}

TEST_F(SetDirTest, CopiesThatCannotBeRemovedAfterACancelAreListed)
{
    StartWithLongQueue("rewrite");
    CImmutableFile appendOnly(kNewDir, 'a');
    if (!appendOnly.Made())
        GTEST_SKIP() << "the host refused chattr +a (it needs root)";
    HWND progress = nullptr;
    ASSERT_TRUE(StartSetDirAndWaitHeld(progress));
    m_tool.PressKey(GetDlgItem(progress, IDCANCEL), VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return m_tool.FindMessageBox() != nullptr; }, 20000));
    const auto boxes = m_tool.TakeAllMessageBoxes();
    appendOnly.Undo();
    ASSERT_EQ(boxes.size(), 1u) << "instead of the cancel's";
    const std::vector<std::string> lines = LinesOf(boxes[0].text);
    ASSERT_EQ(lines.size(), 13u) << boxes[0].text;
    EXPECT_EQ(lines[0], "These copies could not be removed:");
    for (size_t i = 1; i <= 10; ++i)
        EXPECT_TRUE(StartsWith(lines[i], "\t" + kNewDir + "\\")) << lines[i];
    EXPECT_TRUE(StartsWith(lines[11], "and ") && lines[11].size() > 9) << lines[11];
    EXPECT_EQ(lines[12], "Please remove them by hand.");
    EXPECT_EQ(boxes[0].iconKind, MB_ICONEXCLAMATION);
    EXPECT_EQ(ReadFileText(kServerProfile), m_serverProfileBefore);
}
