// Start-up of the tool as a user sees it: what the main dialog shows from the profiles, the
// queue list, About, and closing without side effects.
#include "res/resource.h"
#include "tests/e2e/AdminFixture.h"

#include <functional>

namespace
{
const char kQueuesProfile[] = "[WindowPos]\n"
                              "Main=2,6,-1,-1,-1,-1,44,44,684,532\n"
                              "[Queues]\n"
                              "Queue1=Beta\n"
                              "Queue2=Alpha\n"
                              "Queue4=Delta\n"
                              "[Alpha]\n"
                              "queuedir=C:\\kel\\queues\\alpha\n"
                              "[Beta]\n"
                              "queuedir=C:\\kel\\queues\\beta\n"
                              "[Delta]\n"
                              "queuedir=C:\\kel\\queues\\delta\n";
} // namespace

class StartupTest : public AdminFixture
{
protected:
    void SetUp() override
    {
        AdminFixture::SetUp();
        WriteProfile(kSystemProfile, "[Settings]\nQueueDir=C:\\kel\\root\n");
        WriteProfile(kServerProfile, kQueuesProfile);
    }
};

TEST_F(StartupTest, ShowsRootQueuesAndDisplayModeFromTheProfilesBesideTheProgram)
{
    StartTool();

    EXPECT_EQ(m_tool.ControlText(IDC_ROOT_DIR), "C:\\kel\\root");

    // Queue1 Beta, Queue2 Alpha, Queue3 missing: Delta (Queue4) is never read.
    ASSERT_EQ(m_tool.ComboCount(IDC_QUEUE_LIST), 2);
    EXPECT_EQ(m_tool.ComboText(IDC_QUEUE_LIST, 0), "Alpha");
    EXPECT_EQ(m_tool.ComboText(IDC_QUEUE_LIST, 1), "Beta");
    EXPECT_EQ(m_tool.ComboSelection(IDC_QUEUE_LIST), 0);
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), "C:\\kel\\queues\\alpha");

    ASSERT_EQ(m_tool.ComboCount(IDC_DISPLAY_MODE), 4);
    const char* names[] = {"Normal", "Icon", "Full screen", "Hidden"};
    const LRESULT showCommands[] = {1, 6, 3, 0};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(m_tool.ComboText(IDC_DISPLAY_MODE, i), names[i]);
        EXPECT_EQ(m_tool.ComboItemData(IDC_DISPLAY_MODE, i), showCommands[i]);
    }
    EXPECT_EQ(m_tool.ComboSelection(IDC_DISPLAY_MODE), 1) << "show command 6 is Icon";
    EXPECT_TRUE(m_tool.IsEnabled(IDC_SET_DISPLAY));
    EXPECT_EQ(m_tool.OtherDialogs().size(), 0u) << "start-up shows no message";
}

TEST_F(StartupTest, DisplayModeSelectionFollowsTheRecordsSecondField)
{
    struct Case
    {
        const char* record; // null: no record at all
        int selection;
        bool setDisplayEnabled;
    } cases[] = {
        {"0,1,-1,-1,-1,-1,10,20,630,470", 0, true},
        {"0,3,-1,-1,-1,-1,10,20,630,470", 2, true},
        {"0,0,-1,-1,-1,-1,10,20,630,470", 3, true},
        {"2,2,-1,-1,-1,-1,44,44,684,532", -1, true}, // no mode carries show command 2
        {nullptr, -1, false},
        {"", -1, false},
    };
    for (const Case& c : cases)
    {
        std::string profile = "[Queues]\nQueue1=Alpha\n";
        if (c.record != nullptr)
            profile += std::string("[WindowPos]\nMain=") + c.record + "\n";
        WriteProfile(kServerProfile, profile);
        CToolProcess tool;
        ASSERT_TRUE(tool.Start(kToolExe));
        const std::string record = c.record ? c.record : "(none)";
        EXPECT_EQ(tool.ComboSelection(IDC_DISPLAY_MODE), c.selection) << record;
        EXPECT_EQ(tool.IsEnabled(IDC_SET_DISPLAY), c.setDisplayEnabled) << record;
        EXPECT_EQ(tool.ComboCount(IDC_DISPLAY_MODE), 4) << record;
    }
}

TEST_F(StartupTest, ServerProfileComesFromTheSystemProfilesIniSetting)
{
    ASSERT_TRUE(MakeDirectories("C:\\kel\\server"));
    WriteProfile(kSystemProfile, "[Settings]\nIni=C:\\kel\\server\\other.ini\n");
    WriteProfile("C:\\kel\\server\\other.ini", "[Queues]\nQueue1=Gamma\n[Gamma]\nQueueDir=D:\\g\n");
    StartTool();

    EXPECT_EQ(m_tool.ControlText(IDC_ROOT_DIR), "");
    ASSERT_EQ(m_tool.ComboCount(IDC_QUEUE_LIST), 1);
    EXPECT_EQ(m_tool.ComboText(IDC_QUEUE_LIST, 0), "Gamma");
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), "D:\\g") << "key names match in any case";
    EXPECT_FALSE(m_tool.IsEnabled(IDC_SET_DISPLAY)) << "other.ini holds no record";
}

TEST_F(StartupTest, WithoutQueue1TheQueueListIsEmpty)
{
    WriteProfile(kServerProfile, "[Queues]\nQueue2=Alpha\n[Alpha]\nqueuedir=C:\\a\n");
    StartTool();

    EXPECT_EQ(m_tool.ComboCount(IDC_QUEUE_LIST), 0);
    EXPECT_EQ(m_tool.ComboSelection(IDC_QUEUE_LIST), -1);
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), "");
}

TEST_F(StartupTest, ClosingTheDropDownShowsTheSelectedQueuesStoredDirectory)
{
    StartTool();
    HWND queueList = m_tool.Control(IDC_QUEUE_LIST);
    SetForegroundWindow(m_tool.Dialog());

    // The arrow key moves the selection; with the drop-down closed nothing is re-read.
    m_tool.PressKey(queueList, VK_DOWN);
    EXPECT_EQ(m_tool.ComboSelection(IDC_QUEUE_LIST), 1);
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), "C:\\kel\\queues\\alpha");

    m_tool.OpenAndCloseDropDown(IDC_QUEUE_LIST);
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), "C:\\kel\\queues\\beta");

    // Closing it again re-reads the profile, even without a new selection.
    WriteProfile(kServerProfile, "[Queues]\nQueue1=Beta\n[Beta]\nqueuedir=C:\\moved\\beta\n");
    m_tool.OpenAndCloseDropDown(IDC_QUEUE_LIST);
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), "C:\\moved\\beta");
}

TEST_F(StartupTest, AboutBoxOpensOverTheDialogAndClosesWithOk)
{
    StartTool();
    m_tool.Click(IDC_ABOUT);
    HWND about = m_tool.FindWindowByCaption("About KEL Administrator");
    ASSERT_NE(about, nullptr);
    // A modal dialog without WS_VISIBLE is shown once its loop first runs idle.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(about) != FALSE; }));
    EXPECT_EQ(GetWindow(about, GW_OWNER), m_tool.Dialog());
    EXPECT_FALSE(IsWindowEnabled(m_tool.Dialog())) << "the About box is modal";

    PostMessageA(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    m_tool.Sync();
    EXPECT_TRUE(IsWindowEnabled(m_tool.Dialog()));
}

TEST_F(StartupTest, EveryWayOfClosingWritesNothingAndBroadcastsNothing)
{
    StartServer();
    const std::string systemBefore = ReadFileText(kSystemProfile);
    const std::string serverBefore = ReadFileText(kServerProfile);

    const std::pair<const char*, std::function<void(CToolProcess&)>> ways[] = {
        {"Close", [](CToolProcess& tool) { PostMessageA(tool.Control(IDOK), BM_CLICK, 0, 0); }},
        {"Enter", [](CToolProcess& tool) { tool.PressKey(tool.Control(IDOK), VK_RETURN); }},
        {"Escape", [](CToolProcess& tool) { tool.PressKey(tool.Control(IDOK), VK_ESCAPE); }},
        {"system menu",
         [](CToolProcess& tool) { PostMessageA(tool.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& way : ways)
    {
        CToolProcess tool;
        ASSERT_TRUE(tool.Start(kToolExe));
        way.second(tool);
        DWORD exitCode = 1;
        EXPECT_TRUE(tool.WaitForExit(10000, &exitCode)) << way.first;
        EXPECT_EQ(exitCode, 0u) << way.first;
    }
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received().size(), 0u);
    EXPECT_EQ(m_server.AdminLines().size(), 0u);
    EXPECT_EQ(ReadFileText(kSystemProfile), systemBefore);
    EXPECT_EQ(ReadFileText(kServerProfile), serverBefore);
}

TEST_F(StartupTest, LongPathsAndNamesStayReadable)
{
    const std::string longRoot = "C:\\kel\\" + std::string(90, 'r') + "\\" + std::string(90, 's');
    const std::string longQueueDir = "C:\\kel\\" + std::string(90, 'q') + "\\end";
    const std::string longName = "Colour laser printers on the second floor of the east wing";
    WriteProfile(kSystemProfile, "[Settings]\nQueueDir=" + longRoot + "\n");
    WriteProfile(kServerProfile, "[Queues]\nQueue1=" + longName + "\nQueue2=Alpha\n[" + longName +
                                     "]\nqueuedir=" + longQueueDir + "\n");
    StartTool();

    // The controls shorten a long path in its middle but hold it whole, and show it as a tip.
    EXPECT_EQ(m_tool.ControlText(IDC_ROOT_DIR), longRoot);
    EXPECT_EQ(m_tool.ToolTipText(IDC_ROOT_DIR), longRoot);
    PostMessageA(m_tool.Control(IDC_QUEUE_LIST), CB_SETCURSEL, 1, 0);
    m_tool.OpenAndCloseDropDown(IDC_QUEUE_LIST);
    ASSERT_EQ(m_tool.ComboText(IDC_QUEUE_LIST, 1), longName);
    EXPECT_EQ(m_tool.ControlText(IDC_QUEUE_DIR), longQueueDir);
    EXPECT_EQ(m_tool.ToolTipText(IDC_QUEUE_DIR), longQueueDir);

    // The drop-down is wide enough for the long name, though the box keeps its size.
    RECT box;
    GetWindowRect(m_tool.Control(IDC_QUEUE_LIST), &box);
    const LRESULT dropped = SendMessageW(m_tool.Control(IDC_QUEUE_LIST), CB_GETDROPPEDWIDTH, 0, 0);
    EXPECT_GT(dropped, box.right - box.left);
    EXPECT_GE(dropped, static_cast<LRESULT>(4 * longName.size())) << "about 4 pixels a letter";
}
