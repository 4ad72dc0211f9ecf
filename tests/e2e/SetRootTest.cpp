// "Browse" and "Set Root" end to end, through the real folder chooser, with the substitute
// server receiving the broadcast.
#include "config/ProfileFile.h"
#include "res/resource.h"
#include "tests/e2e/AdminFixture.h"

namespace
{
const std::string kOldRoot = "C:\\kel\\root";
const std::string kNewRoot = "C:\\kel\\newroot";
const LPARAM kRootCode = 2;
using Broadcasts = std::vector<std::pair<WPARAM, LPARAM>>;
using Texts = std::vector<std::string>;
} // namespace

class SetRootTest : public AdminFixture
{
protected:
    void SetUp() override
    {
        AdminFixture::SetUp();
        SetStoredRoot(kOldRoot);
        WriteProfile(kServerProfile, "[WindowPos]\nMain=0,1,-1,-1,-1,-1,10,20,630,470\n");
        ASSERT_TRUE(MakeDirectories(kOldRoot + "\\logfiles"));
        ASSERT_TRUE(MakeDirectories(kNewRoot));
        for (int day = 1; day <= 3; ++day)
            ASSERT_TRUE(WriteFileText(kOldRoot + "\\logfiles\\kel-0" + std::to_string(day) + ".log",
                                      "log of day " + std::to_string(day) + "\r\n"));
        m_oldLogs = SnapshotFiles(kOldRoot + "\\logfiles");
    }

    static void SetStoredRoot(const std::string& root)
    {
        WriteProfile(kSystemProfile,
                     root.empty() ? "[Settings]\n" : "[Settings]\nQueueDir=" + root + "\n");
    }
    static std::string StoredRoot()
    {
        return CProfileFile(kSystemProfile).GetString("Settings", "QueueDir");
    }

    void BrowseTo(const std::string& folder)
    {
        ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_ROOT, folder)) << folder;
    }

    void ExpectNothingStoredOrPosted(const std::string& systemBefore)
    {
        EXPECT_EQ(ReadFileText(kSystemProfile), systemBefore);
        FlushBroadcasts();
        EXPECT_EQ(m_listener.Received().size(), 0u);
        EXPECT_EQ(m_server.AdminLines().size(), 0u);
        EXPECT_EQ(SnapshotFiles(kOldRoot + "\\logfiles"), m_oldLogs) << "the old logs stay";
    }

    std::map<std::string, std::string> m_oldLogs;
};

TEST_F(SetRootTest, SetRootWithoutBrowseShowsMessage4)
{
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kSystemProfile);
    m_tool.Click(IDC_SET_ROOT);
    ExpectBoxes({{"This directory setting has not changed!", MB_ICONINFORMATION}});
    ExpectNothingStoredOrPosted(before);
}

TEST_F(SetRootTest, BrowseShowsTheChosenFolderAndCancelKeepsTheOld)
{
    StartTool();
    const std::string before = ReadFileText(kSystemProfile);
    m_tool.Click(IDC_BROWSE_ROOT);
    ASSERT_NE(m_tool.FindFolderChooser(), nullptr);
    EXPECT_EQ(GetWindow(m_tool.FindFolderChooser(), GW_OWNER), m_tool.Dialog());
    m_tool.CancelFolderChooser();
    EXPECT_EQ(m_tool.ControlText(IDC_ROOT_DIR), kOldRoot);

    BrowseTo(kNewRoot);
    EXPECT_EQ(m_tool.ControlText(IDC_ROOT_DIR), kNewRoot);
    EXPECT_EQ(ReadFileText(kSystemProfile), before) << "Browse writes nothing";
    EXPECT_FALSE(FileExists(kNewRoot + "\\logfiles"));
}

TEST_F(SetRootTest, ACompletedChangeCarriesTheLogsOverStoresTheRootAndTellsTheServerOnce)
{
    StartServer();
    StartTool();
    BrowseTo(kNewRoot);
    m_tool.Click(IDC_SET_ROOT);

    EXPECT_EQ(TakeTexts(), Texts{}) << "a completed change shows nothing";
    EXPECT_EQ(SnapshotFiles(kNewRoot + "\\logfiles"), m_oldLogs);
    EXPECT_EQ(SnapshotFiles(kOldRoot + "\\logfiles"), m_oldLogs);
    EXPECT_EQ(StoredRoot(), kNewRoot);
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received(), (Broadcasts{{0, kRootCode}}));
    EXPECT_EQ(m_server.AdminLines(), Texts{"admin code=2 param=0 QueueDir=" + kNewRoot});

    m_tool.Click(IDC_SET_ROOT);
    EXPECT_EQ(TakeTexts(), Texts{"This directory setting has not changed!"});
}

TEST_F(SetRootTest, TheSameRootSpelledOtherwiseIsAChangeThatLosesNoFile)
{
    for (const std::string& stored : {std::string("c:\\KEL\\Root"), kOldRoot + "\\"})
    {
        SetStoredRoot(stored);
        CToolProcess tool;
        ASSERT_TRUE(tool.Start(kToolExe));
        ASSERT_TRUE(tool.BrowseTo(IDC_BROWSE_ROOT, kOldRoot));
        tool.Click(IDC_SET_ROOT);
        EXPECT_EQ(tool.TakeAllMessageBoxes().size(), 0u) << stored;
        EXPECT_EQ(StoredRoot(), kOldRoot) << stored;
        EXPECT_EQ(SnapshotFiles(kOldRoot + "\\logfiles"), m_oldLogs) << stored;
    }
}

TEST_F(SetRootTest, ALogDirectoryThatCannotBeCreatedShowsMessage16)
{
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kSystemProfile);

    // A root that has gone since it was chosen.
    ASSERT_TRUE(MakeDirectories("C:\\kel\\gone"));
    BrowseTo("C:\\kel\\gone");
    DeleteTree("C:\\kel\\gone");
    m_tool.Click(IDC_SET_ROOT);
    EXPECT_EQ(TakeTexts(), Texts{"Error creating log directory\n\tC:\\kel\\gone\\logfiles :\n"
                                 "No such file or directory"});

    // A read-only entry named logfiles.
    ASSERT_TRUE(WriteFileText(kNewRoot + "\\logfiles", ""));
    ASSERT_TRUE(SetFileAttributesA((kNewRoot + "\\logfiles").c_str(), FILE_ATTRIBUTE_READONLY));
    BrowseTo(kNewRoot);
    m_tool.Click(IDC_SET_ROOT);
    ExpectBoxes({{"Error creating log directory\n\t" + kNewRoot + "\\logfiles :\nFile exists",
                  MB_ICONEXCLAMATION}});
    SetFileAttributesA((kNewRoot + "\\logfiles").c_str(), FILE_ATTRIBUTE_NORMAL);
    ExpectNothingStoredOrPosted(before);
}

TEST_F(SetRootTest, WithoutAStoredRootTheOldLogDirectoryCannotBeEntered)
{
    SetStoredRoot("");
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kSystemProfile);
    BrowseTo(kNewRoot);
    m_tool.Click(IDC_SET_ROOT);
    ExpectBoxes({{"Failed to change to drive \\:", MB_ICONINFORMATION},
                 {"Can't go to dir\n\t\\logfiles :\nNo such file or directory", MB_ICONSTOP}});
    ExpectNothingStoredOrPosted(before);
}

TEST_F(SetRootTest, AFailedCarryOverStoresNothingAndPostsNothing)
{
    ASSERT_TRUE(MakeSymbolicLink("/proc/self/mem", kOldRoot + "\\logfiles\\unreadable.log"));
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kSystemProfile);
    BrowseTo(kNewRoot);
    m_tool.Click(IDC_SET_ROOT);
    const Texts texts = TakeTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("Read error on " + kOldRoot + "\\logfiles\\unreadable.log:", 0), 0u)
        << texts[0];
    EXPECT_EQ(ReadFileText(kSystemProfile), before);
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received().size(), 0u);
    EXPECT_EQ(m_server.AdminLines().size(), 0u);

    // A log folder that is a link, under either root, is never entered.
    const std::string link = "\nIt is a link to another place, which KEL does not follow.";
    const std::string elsewhere = std::string(kDataDir) + "\\elsewhere";
    ASSERT_TRUE(MakeDirectories(elsewhere));
    DeleteTree(kNewRoot + "\\logfiles");
    ASSERT_TRUE(MakeSymbolicLink(UnixPathOf(elsewhere), kNewRoot + "\\logfiles"));
    m_tool.Click(IDC_SET_ROOT);
    ExpectBoxes({{"Can't open file for writing:\n\t" + kNewRoot + "\\logfiles" + link,
                  MB_ICONEXCLAMATION}});
    DeleteTree(kOldRoot + "\\logfiles");
    ASSERT_TRUE(MakeSymbolicLink(UnixPathOf(elsewhere), kOldRoot + "\\logfiles"));
    ASSERT_EQ(RunHostScript("rm " + ShellQuoted(UnixPathOf(kNewRoot + "\\logfiles"))), 0);
    m_tool.Click(IDC_SET_ROOT);
    ExpectBoxes({{"Can't open file for reading:\n\t" + kOldRoot + "\\logfiles" + link,
                  MB_ICONEXCLAMATION}});
    EXPECT_TRUE(SnapshotFiles(elsewhere).empty());
    EXPECT_EQ(ReadFileText(kSystemProfile), before);
}

TEST_F(SetRootTest, AFolderWhoseNameHoldsALineBreakIsRefusedAtBrowse)
{
    const std::string unixParent = UnixPathOf(kDataDir);
    ASSERT_FALSE(unixParent.empty());
    ASSERT_TRUE(MakeSymbolicLink(unixParent + "/newroot", std::string(kDataDir) + "\\two\nlines"));
    StartTool();
    const std::string before = ReadFileText(kSystemProfile);
    ASSERT_TRUE(m_tool.BrowseTo(IDC_BROWSE_ROOT, std::string(kDataDir) + "\\two\nlines"));
    const MessageBoxInfo box = m_tool.TakeMessageBox();
    EXPECT_EQ(box.text.rfind("The name of this folder holds a line break", 0), 0u) << box.text;
    EXPECT_EQ(box.iconKind, MB_ICONINFORMATION);
    EXPECT_EQ(m_tool.ControlText(IDC_ROOT_DIR), kOldRoot);
    EXPECT_EQ(ReadFileText(kSystemProfile), before);
}

TEST_F(SetRootTest, AProfileThatCannotBeWrittenStoresNothingAndARetrySucceeds)
{
    StartServer();
    StartTool();
    BrowseTo(kNewRoot);
    const std::string before = ReadFileText(kSystemProfile);
    {
        CImmutableFile locked(kSystemProfile);
        if (!locked.Made())
            GTEST_SKIP() << "the host refused chattr +i (it needs root and a file system that "
                            "keeps the attribute)";
        m_tool.Click(IDC_SET_ROOT);
        ExpectBoxes({{std::string("KEL Administrator cannot change\n\t") + kSystemProfile +
                          " :\nPermission denied\nKEL's settings have not been changed.",
                      MB_ICONEXCLAMATION}});
        EXPECT_FALSE(FileExists(kNewRoot + "\\logfiles")) << "refused before anything is made";
        ExpectNothingStoredOrPosted(before);
    }
    m_tool.Click(IDC_SET_ROOT);
    EXPECT_EQ(TakeTexts(), Texts{});
    EXPECT_EQ(StoredRoot(), kNewRoot);
    EXPECT_EQ(SnapshotFiles(kNewRoot + "\\logfiles"), m_oldLogs);
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received(), (Broadcasts{{0, kRootCode}}));
}

TEST_F(SetRootTest, ArchivedLogsInSubfoldersAreCarriedWithTheirTimes)
{
    const std::string archive = kOldRoot + "\\logfiles\\archive\\2025";
    ASSERT_TRUE(MakeDirectories(archive));
    ASSERT_TRUE(WriteFileText(archive + "\\kel-2025-12-31.log", "the last log of 2025\r\n"));
    const FILETIME newYearsEve = {0xd53e8000, 0x01dc79f8}; // about 2025-12-31
    for (const std::string& path :
         {archive + "\\kel-2025-12-31.log", kOldRoot + "\\logfiles\\kel-01.log"})
    {
        HANDLE file =
            CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &newYearsEve));
        CloseHandle(file);
    }
    StartServer();
    StartTool();
    BrowseTo(kNewRoot);
    m_tool.Click(IDC_SET_ROOT);
    EXPECT_EQ(TakeTexts(), Texts{});
    const std::string newArchive = kNewRoot + "\\logfiles\\archive\\2025";
    EXPECT_EQ(SnapshotFiles(newArchive), SnapshotFiles(archive));
    EXPECT_EQ(SnapshotFiles(kNewRoot + "\\logfiles"), m_oldLogs);
    for (const std::string& copy :
         {newArchive + "\\kel-2025-12-31.log", kNewRoot + "\\logfiles\\kel-01.log"})
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExA(copy.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &newYearsEve), 0) << copy;
    }
    EXPECT_EQ(StoredRoot(), kNewRoot);
}
