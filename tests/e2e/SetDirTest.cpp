// "Browse" and "Set Dir" for a queue end to end, through the real folder chooser, with the
// substitute server receiving the broadcast.
#include "config/ProfileFile.h"
#include "res/resource.h"
#include "tests/e2e/AdminFixture.h"

#include <algorithm>
#include <cctype>

namespace
{
const std::string kAlphaDir = "C:\\kel\\queues\\alpha";
const std::string kBetaDir = "C:\\kel\\queues\\beta";
const std::string kNewDir = "C:\\kel\\queues\\new";
const LPARAM kQueueCode = 3;
using Broadcasts = std::vector<std::pair<WPARAM, LPARAM>>;
using Texts = std::vector<std::string>;

std::string JobFile(const std::string& dir, const std::string& id, int xfer, int print)
{
    return "[Settings]\r\nXfer=" + std::to_string(xfer) + "\r\nPrint=" + std::to_string(print) +
           "\r\nTotalDataFiles=2\r\nCurrentDataFile=1\r\n[Files]\r\nFile1=Xd" + id +
           "a\r\nFile2=Yd" + id + "b\r\nd" + id + "a=" + dir + "\\d" + id + "a\r\nd" + id +
           "b=" + dir + "\\d" + id + "b\r\n";
}

void MakeQueue(const std::string& dir, int xfer2 = 0, int print3 = 0)
{
    ASSERT_TRUE(MakeDirectories(dir));
    ASSERT_TRUE(WriteFileText(dir + "\\queue.ini", "[Queue]\r\nName=q\r\n"));
    ASSERT_TRUE(WriteFileText(dir + "\\cf1.ini", JobFile(dir, "1", 0, 0)));
    ASSERT_TRUE(WriteFileText(dir + "\\cf2.ini", JobFile(dir, "2", xfer2, 0)));
    ASSERT_TRUE(WriteFileText(dir + "\\CF3.INI", JobFile(dir, "3", 0, print3)));
    for (const char* name : {"d1a", "d1b", "d2a", "d2b", "d3a", "d3b"})
        ASSERT_TRUE(WriteFileText(dir + "\\" + name, std::string("data of ") + name + "\r\n"));
}

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

class SetDirTest : public AdminFixture
{
protected:
    void SetUp() override
    {
        AdminFixture::SetUp();
        WriteProfile(kSystemProfile, "[Settings]\nQueueDir=C:\\kel\\root\n");
        WriteProfile(kServerProfile, "[WindowPos]\nMain=0,1,-1,-1,-1,-1,10,20,630,470\n"
                                     "[Queues]\nQueue1=Beta\nQueue2=Alpha\nQueue3=Gamma\n"
                                     "[Alpha]\nqueuedir=" +
                                         kAlphaDir +
                                         "\n"
                                         "[Beta]\nqueuedir=" +
                                         kBetaDir + "\n[Gamma]\n");
        MakeQueue(kAlphaDir);
        MakeQueue(kBetaDir);
        ASSERT_TRUE(MakeDirectories(kNewDir));
        m_alphaFiles = SnapshotFiles(kAlphaDir);
    }

    static std::string StoredDir(const char* queue)
    {
        return CProfileFile(kServerProfile).GetString(queue, "queuedir");
    }

    void BrowseTo(const std::string& folder)
    {
        ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_QUEUE, folder)) << folder;
    }

    Texts TakeTexts()
    {
        Texts texts;
        for (const MessageBoxInfo& box : m_tool.TakeAllMessageBoxes())
            texts.push_back(box.text);
        return texts;
    }

    void ExpectNothingCarriedStoredOrPosted(const std::string& serverBefore)
    {
        EXPECT_EQ(ReadFileText(kServerProfile), serverBefore);
        EXPECT_EQ(SnapshotFiles(kAlphaDir), m_alphaFiles) << "the old directory keeps its files";
        FlushBroadcasts();
        EXPECT_EQ(m_listener.Received().size(), 0u);
        EXPECT_EQ(m_server.AdminLines().size(), 0u);
    }

    // After a completed move every job control file in `dir` points at `dir`.
    static void ExpectJobsPointAt(const std::string& dir)
    {
        for (const char* job : {"cf1.ini", "cf2.ini", "CF3.INI"})
        {
            const CProfileFile file(dir + "\\" + job);
            EXPECT_EQ(file.GetString("Settings", "CurrentDataFile", "(absent)"), "(absent)") << job;
            for (const std::string& entry :
                 {file.GetString("Files", "File1"), file.GetString("Files", "File2")})
            {
                const std::string path = file.GetString("Files", entry.substr(1).c_str());
                EXPECT_EQ(path, dir + "\\" + entry.substr(1)) << job;
            }
        }
    }

    std::map<std::string, std::string> m_alphaFiles;
};

TEST_F(SetDirTest, ACompletedChangeCarriesTheQueueOverAndTellsTheServerOnce)
{
    StartServer();
    StartTool();
    ASSERT_EQ(m_tool.ComboText(IDC_QUEUE_LIST, m_tool.ComboSelection(IDC_QUEUE_LIST)), "Alpha");
    BrowseTo(kNewDir);
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), kNewDir);
    m_tool.Click(IDC_SET_DIR);
    EXPECT_EQ(TakeTexts(), Texts{});

    auto carried = SnapshotFiles(kNewDir);
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
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kServerProfile);
    BrowseTo(kNewDir);
    m_tool.Click(IDC_SET_DIR);
    const auto boxes = m_tool.TakeAllMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This queue is busy now!\nPlease try again in a moment.\n"
                             "You might consider using KEL to disable the queue temporarily.");
    EXPECT_EQ(boxes[0].iconKind, MB_ICONINFORMATION);
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());
    ExpectNothingCarriedStoredOrPosted(before);
}

TEST_F(SetDirTest, AFolderOfAnotherQueueIsRefusedAtBrowseAndAtSetDir)
{
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kServerProfile);
    ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_QUEUE, kBetaDir));
    const MessageBoxInfo box = m_tool.TakeMessageBox();
    EXPECT_EQ(box.text, "This directory is already in use by another queue.");
    EXPECT_EQ(box.iconKind, MB_ICONINFORMATION);
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
    const auto boxes = m_tool.TakeAllMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Trying to chdir to an empty dir");
    EXPECT_EQ(boxes[0].iconKind, MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[1].text, "Can't go to queue dir '' : No such file or directory");
    EXPECT_EQ(boxes[1].iconKind, MB_ICONEXCLAMATION);
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
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kServerProfile);
    BrowseTo(kNewDir);
    m_tool.Click(IDC_SET_DIR);
    const Texts texts = TakeTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("Read error on " + kAlphaDir + "\\unreadable:", 0), 0u) << texts[0];
    ExpectNothingCarriedStoredOrPosted(before);
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
