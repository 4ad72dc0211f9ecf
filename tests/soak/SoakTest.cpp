// Long runs and hostile input through the real dialog, with the substitute server receiving
// every broadcast: many moves in a row, a tool killed in the middle of a carry-over, and
// malformed files that must end in a clear outcome.
#include "config/ProfileFile.h"
#include "res/resource.h"
#include "tests/driver/MoveHold.h"
#include "tests/e2e/AdminFixture.h"

#include <algorithm>

namespace
{
const std::string kQueues = "C:\\kel\\queues";
const int kQueueMoves = 100;
const int kRootChanges = 50;

std::string Numbered(const std::string& base, int n)
{
    return base + std::to_string(n);
}

std::string Bytes(size_t size, unsigned seed)
{
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    return data;
}

// A queue directory with three jobs of two data files each.
void MakeQueue(const std::string& dir, std::map<std::string, std::string>& dataFiles)
{
    ASSERT_TRUE(MakeDirectories(dir));
    ASSERT_TRUE(WriteFileText(dir + "\\queue.ini", "[Queue]\r\nName=Alpha\r\n"));
    for (int job = 1; job <= 3; ++job)
    {
        const std::string id = std::to_string(job);
        std::string files = "[Settings]\r\nXfer=0\r\nPrint=0\r\nTotalDataFiles=2\r\n"
                            "CurrentDataFile=1\r\n[Files]\r\n";
        for (int part = 1; part <= 2; ++part)
        {
            const std::string name = "df" + id + "_" + std::to_string(part) + ".prn";
            files += "File" + std::to_string(part) + "=X" + name + "\r\n" + name + "=" + dir +
                     "\\" + name + "\r\n";
            dataFiles[name] = Bytes(3000 * job + part, static_cast<unsigned>(job * 7 + part));
            ASSERT_TRUE(WriteFileText(dir + "\\" + name, dataFiles[name]));
        }
        ASSERT_TRUE(WriteFileText(dir + "\\cf" + id + ".ini", files));
    }
}

int CountLinesStartingWith(const std::vector<std::string>& lines, const std::string& start)
{
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& line)
                                          { return line.rfind(start, 0) == 0; }));
}
} // namespace

class SoakTest : public AdminFixture
{
protected:
    void SetUp() override
    {
        AdminFixture::SetUp();
        WriteProfile(kSystemProfile, "[Settings]\nQueueDir=C:\\kel\\root0\n");
        WriteProfile(kServerProfile, "[WindowPos]\nMain=0,1,-1,-1,-1,-1,10,20,630,470\n"
                                     "[Queues]\nQueue1=Alpha\n[Alpha]\nqueuedir=" +
                                         Numbered(kQueues + "\\q", 0) + "\n");
    }

    std::vector<std::string> OpenBoxes() { return OpenBoxes(m_tool); }
    static std::vector<std::string> OpenBoxes(CToolProcess& tool)
    {
        std::vector<std::string> texts;
        for (const MessageBoxInfo& box : tool.TakeAllMessageBoxes())
            texts.push_back(box.text);
        return texts;
    }
};

TEST_F(SoakTest, AHundredQueueMovesInARowLoseNothing)
{
    std::map<std::string, std::string> dataFiles;
    MakeQueue(Numbered(kQueues + "\\q", 0), dataFiles);
    for (int i = 1; i <= kQueueMoves; ++i)
        ASSERT_TRUE(MakeDirectories(Numbered(kQueues + "\\q", i)));
    StartServer();
    StartTool();

    for (int i = 1; i <= kQueueMoves; ++i)
    {
        const std::string dir = Numbered(kQueues + "\\q", i);
        ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_QUEUE, dir)) << dir;
        m_tool.Click(IDC_SET_DIR);
        ASSERT_EQ(OpenBoxes(), std::vector<std::string>{}) << dir;
        for (const auto& data : dataFiles)
            ASSERT_EQ(ReadFileText(dir + "\\" + data.first), data.second)
                << dir << " " << data.first;
        for (int job = 1; job <= 3; ++job)
        {
            const CProfileFile file(dir + "\\cf" + std::to_string(job) + ".ini");
            for (int part = 1; part <= 2; ++part)
            {
                const std::string name =
                    "df" + std::to_string(job) + "_" + std::to_string(part) + ".prn";
                ASSERT_EQ(file.GetString("Files", name.c_str()), dir + "\\" + name);
            }
            ASSERT_EQ(file.GetString("Settings", "CurrentDataFile"), "");
        }
        ASSERT_EQ(CProfileFile(kServerProfile).GetString("Alpha", "queuedir"), dir);
        ASSERT_TRUE(FileExists(Numbered(kQueues + "\\q", i - 1) + "\\queue.ini"))
            << "the old directory keeps its copy";
    }
    FlushBroadcasts();
    EXPECT_EQ(CountLinesStartingWith(m_server.AdminLines(), "admin code=3 param=0"), kQueueMoves);
    EXPECT_EQ(m_server.AdminLines().size(), static_cast<size_t>(kQueueMoves));
    EXPECT_EQ(m_listener.Received().size(), static_cast<size_t>(kQueueMoves));
}

TEST_F(SoakTest, FiftyRootChangesInARowLoseNothing)
{
    const std::string firstLogs = "C:\\kel\\root0\\logfiles";
    ASSERT_TRUE(MakeDirectories(firstLogs));
    for (int day = 1; day <= 3; ++day)
        ASSERT_TRUE(WriteFileText(firstLogs + "\\kel-" + std::to_string(day) + ".log",
                                  Bytes(5000 * day, static_cast<unsigned>(day))));
    const auto logs = SnapshotFiles(firstLogs);
    for (int i = 1; i <= kRootChanges; ++i)
        ASSERT_TRUE(MakeDirectories(Numbered("C:\\kel\\root", i)));
    StartServer();
    StartTool();

    for (int i = 1; i <= kRootChanges; ++i)
    {
        const std::string root = Numbered("C:\\kel\\root", i);
        ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_ROOT, root)) << root;
        m_tool.Click(IDC_SET_ROOT);
        ASSERT_EQ(OpenBoxes(), std::vector<std::string>{}) << root;
        ASSERT_EQ(SnapshotFiles(root + "\\logfiles"), logs) << root;
        ASSERT_EQ(CProfileFile(kSystemProfile).GetString("Settings", "QueueDir"), root);
    }
    EXPECT_EQ(SnapshotFiles(firstLogs), logs);
    FlushBroadcasts();
    EXPECT_EQ(CountLinesStartingWith(m_server.AdminLines(), "admin code=2 param=0"), kRootChanges);
    EXPECT_EQ(m_listener.Received().size(), static_cast<size_t>(kRootChanges));
}

TEST_F(SoakTest, KillingTheToolInTheMiddleOfACarryOverLeavesTheOldDirectoryInForceForARetry)
{
    const std::string oldDir = Numbered(kQueues + "\\q", 0);
    const std::string newDir = kQueues + "\\next";
    std::map<std::string, std::string> dataFiles;
    MakeQueue(oldDir, dataFiles);
    const auto before = SnapshotFiles(oldDir);
    ASSERT_TRUE(MakeDirectories(newDir));
    StartServer();
    {
        // Killed while its move is held after the first file.
        CMoveHold hold("copy");
        StartTool();
        ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_QUEUE, newDir));
        PostMessageA(m_tool.Control(IDC_SET_DIR), BM_CLICK, 0, 0);
        ASSERT_TRUE(hold.WaitHeld());
        m_tool.Kill();
    }

    EXPECT_EQ(SnapshotFiles(oldDir), before) << "the old directory is intact";
    EXPECT_EQ(CProfileFile(kServerProfile).GetString("Alpha", "queuedir"), oldDir);
    FlushBroadcasts();
    EXPECT_EQ(m_server.AdminLines().size(), 0u);

    // Started again, the tool first removes what the killed one had copied; a retry completes.
    CToolProcess again;
    ASSERT_TRUE(again.Start(kToolExe));
    ASSERT_EQ(again.StartupBoxes().size(), 1u);
    EXPECT_EQ(
        again.StartupBoxes()[0].text,
        "An earlier change of KEL's settings was interrupted.\nThe copies it had made in\n\t" +
            newDir + "\nhave been removed.");
    EXPECT_EQ(again.StartupBoxes()[0].iconKind, MB_ICONINFORMATION);
    EXPECT_TRUE(SnapshotFiles(newDir).empty());

    // Killed again once every file is copied; one copy is replaced by hand meanwhile, and the
    // next start removes every other, keeps that one and says so.
    {
        CMoveHold hold("rewrite");
        CToolProcess killed;
        ASSERT_TRUE(killed.Start(kToolExe));
        ASSERT_TRUE(killed.BrowseTo(IDC_BROWSE_QUEUE, newDir));
        PostMessageA(killed.Control(IDC_SET_DIR), BM_CLICK, 0, 0);
        ASSERT_TRUE(hold.WaitHeld());
        killed.Kill();
    }
    const std::string replaced = newDir + "\\" + dataFiles.begin()->first;
    ASSERT_TRUE(WriteFileText(replaced, "put there by hand"));
    CToolProcess last;
    ASSERT_TRUE(last.Start(kToolExe));
    ASSERT_EQ(last.StartupBoxes().size(), 1u);
    EXPECT_EQ(last.StartupBoxes()[0].text, "These copies could not be removed:\n\t" + replaced +
                                               "\nPlease remove them by hand.");
    EXPECT_EQ(SnapshotFiles(newDir).size(), 1u) << "only the one put there by hand";
    ASSERT_TRUE(DeleteFileA(replaced.c_str()));
    ASSERT_TRUE(last.BrowseTo(IDC_BROWSE_QUEUE, newDir));
    last.ClickAndWait(IDC_SET_DIR, 120000);
    EXPECT_EQ(OpenBoxes(last), std::vector<std::string>{});
    EXPECT_EQ(CProfileFile(kServerProfile).GetString("Alpha", "queuedir"), newDir);
}

TEST_F(SoakTest, MalformedProfilesEndInAClearOutcome)
{
    struct Case
    {
        const char* what;
        std::string systemProfile;
        std::string serverProfile;
    };
    std::string longLine = "[Queues]\r\nQueue1=" + std::string(100000, 'q') +
                           "\r\n[Alpha]\r\nqueuedir=" + std::string(100000, 'd') + "\r\n";
    std::string manyQueues = "[Queues]\r\n";
    for (int n = 1; n <= 5000; ++n)
        manyQueues += "Queue" + std::to_string(n) + "=Queue " + std::to_string(n) + "\r\n";
    const Case cases[] = {
        {"binary server profile", "[Settings]\r\n", Bytes(64 * 1024, 5)},
        {"binary system profile", Bytes(64 * 1024, 6), "[Queues]\r\nQueue1=Alpha\r\n"},
        {"100,000-character lines", "[Settings]\r\nQueueDir=" + std::string(100000, 'r') + "\r\n",
         longLine},
        {"5,000 queues", "[Settings]\r\n", manyQueues},
        {"a queue number beyond int", "[Settings]\r\n",
         "[Queues]\r\nQueue1=Alpha\r\nQueue4000000000=x\r\n"},
    };
    for (const Case& c : cases)
    {
        ASSERT_TRUE(WriteFileText(kSystemProfile, c.systemProfile));
        ASSERT_TRUE(WriteFileText(kServerProfile, c.serverProfile));
        CToolProcess tool;
        const ULONGLONG start = GetTickCount64();
        ASSERT_TRUE(tool.Start(kToolExe)) << c.what << ": the dialog opens";
        std::printf("%s: the dialog opened in %llu ms\n", c.what, GetTickCount64() - start);
        EXPECT_EQ(tool.FindMessageBox(), nullptr) << c.what;
        PostMessageA(tool.Control(IDOK), BM_CLICK, 0, 0);
        DWORD exitCode = 1;
        EXPECT_TRUE(tool.WaitForExit(10000, &exitCode)) << c.what;
        EXPECT_EQ(exitCode, 0u) << c.what;
    }
    // The 5,000 queues are all listed; the long name comes back cut at 1023 characters.
    ASSERT_TRUE(WriteFileText(kServerProfile, manyQueues));
    CToolProcess many;
    ASSERT_TRUE(many.Start(kToolExe));
    EXPECT_EQ(many.ComboCount(IDC_QUEUE_LIST), 5000);
    ASSERT_TRUE(WriteFileText(kServerProfile, longLine));
    CToolProcess longNames;
    ASSERT_TRUE(longNames.Start(kToolExe));
    EXPECT_EQ(longNames.ComboText(IDC_QUEUE_LIST, 0), std::string(1023, 'q'));
}

TEST_F(SoakTest, ARecordThatCannotBeWrittenBackAsItWasIsRefusedWithoutChangingIt)
{
    for (const std::string record : {"2,1,-1", "2,1,-1,-1,-1,-1,99999999999,44,684,532"})
    {
        WriteProfile(kServerProfile, "[WindowPos]\nMain=" + record + "\n[Queues]\nQueue1=Alpha\n");
        CToolProcess tool;
        ASSERT_TRUE(tool.Start(kToolExe));
        PostMessageA(tool.Control(IDC_DISPLAY_MODE), CB_SETCURSEL, 3, 0);
        tool.Click(IDC_SET_DISPLAY);
        const auto boxes = tool.TakeAllMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << record;
        EXPECT_EQ(boxes[0].text, "You need to run KEL before you can use this option.");
        EXPECT_EQ(CProfileFile(kServerProfile).GetString("WindowPos", "Main"), record);
    }
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received().size(), 0u);
}

TEST_F(SoakTest, AJobWithTwoBillionDataFilesIsMovedInBoundedTime)
{
    const std::string oldDir = Numbered(kQueues + "\\q", 0);
    const std::string newDir = kQueues + "\\next";
    std::map<std::string, std::string> dataFiles;
    MakeQueue(oldDir, dataFiles);
    ASSERT_TRUE(WriteFileText(oldDir + "\\cf9.ini",
                              "[Settings]\r\nTotalDataFiles=2000000000\r\n[Files]\r\nFile1=Xdf9\r\n"
                              "df9=" +
                                  oldDir + "\\df9\r\n"));
    ASSERT_TRUE(MakeDirectories(newDir));
    StartServer();
    StartTool();
    ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_QUEUE, newDir));
    const ULONGLONG start = GetTickCount64();
    m_tool.Click(IDC_SET_DIR);
    EXPECT_LT(GetTickCount64() - start, 10000u);
    EXPECT_EQ(OpenBoxes(), std::vector<std::string>{});
    EXPECT_EQ(CProfileFile(newDir + "\\cf9.ini").GetString("Files", "df9"), newDir + "\\df9");
    FlushBroadcasts();
    EXPECT_EQ(m_server.AdminLines().size(), 1u);
}
