// "Set Display" end to end: the record in the server profile, the message box, and the admin
// message as the substitute server receives it.
#include "res/resource.h"
#include "tests/e2e/AdminFixture.h"

#include "config/ProfileFile.h"

namespace
{
const char kRecord[] = "2,1,-1,-1,-1,-1,44,44,684,532";
const LPARAM kDisplayCode = 1;
const int kHidden = 3;
const int kFullScreen = 2;

using Broadcasts = std::vector<std::pair<WPARAM, LPARAM>>;
} // namespace

class SetDisplayTest : public AdminFixture
{
protected:
    void SetUp() override
    {
        AdminFixture::SetUp();
        WriteProfile(kSystemProfile, "[Settings]\nQueueDir=C:\\kel\\root\n");
        WriteRecord(kRecord);
    }

    static void WriteRecord(const std::string& record)
    {
        WriteProfile(kServerProfile, "[WindowPos]\nMain=" + record +
                                         "\n[Queues]\nQueue1=Alpha\n[Alpha]\nqueuedir=C:\\a\n");
    }

    static std::string StoredRecord()
    {
        return CProfileFile(kServerProfile).GetString("WindowPos", "Main");
    }

    void Choose(int mode)
    {
        PostMessageA(m_tool.Control(IDC_DISPLAY_MODE), CB_SETCURSEL, mode, 0);
        m_tool.Click(IDC_SET_DISPLAY);
    }
};

TEST_F(SetDisplayTest, HiddenReplacesOnlyTheShowCommandAndTellsTheServer)
{
    StartServer();
    StartTool();
    Choose(kHidden);

    EXPECT_EQ(m_tool.FindMessageBox(), nullptr) << "success shows nothing";
    EXPECT_EQ(StoredRecord(), "2,0,-1,-1,-1,-1,44,44,684,532");
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received(), (Broadcasts{{0, kDisplayCode}}));
    ASSERT_EQ(m_server.AdminLines().size(), 1u);
    EXPECT_EQ(m_server.AdminLines()[0], "admin code=1 param=0 Main=2,0,-1,-1,-1,-1,44,44,684,532");
    EXPECT_FALSE(IsWindowVisible(m_server.Window())) << "the server applied Hidden";
    EXPECT_EQ(m_tool.ComboSelection(IDC_DISPLAY_MODE), kHidden) << "the list keeps its selection";
}

TEST_F(SetDisplayTest, FullScreenPostsShowCommandThreeAndTheStoredModeStillWrites)
{
    StartServer();
    StartTool();
    Choose(kFullScreen);
    Choose(kFullScreen);

    EXPECT_EQ(StoredRecord(), "2,3,-1,-1,-1,-1,44,44,684,532");
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received(), (Broadcasts{{3, kDisplayCode}, {3, kDisplayCode}}));
    EXPECT_EQ(m_server.AdminLines().size(), 2u);
    EXPECT_TRUE(IsZoomed(m_server.Window())) << "the server applied Full screen";
}

TEST_F(SetDisplayTest, ARecordOfMoreThanTenNumbersIsStoredBackWithTen)
{
    WriteRecord("0,3,-1,-1,-1,-1,10,20,630,470,99,98");
    StartTool();
    PostMessageA(m_tool.Control(IDC_DISPLAY_MODE), CB_SETCURSEL, 1, 0); // Icon
    m_tool.Click(IDC_SET_DISPLAY);
    EXPECT_EQ(StoredRecord(), "0,6,-1,-1,-1,-1,10,20,630,470");
}

TEST_F(SetDisplayTest, MissingOrIncompleteRecordIsRefusedWithMessage3)
{
    StartServer();
    StartTool();
    const char* refused[] = {nullptr, "2,1,-1,-1,-1", "2,1,-1,-1,-1,-1,44,44,684,x"};
    for (const char* record : refused)
    {
        const std::string what = record ? record : "(deleted)";
        if (record == nullptr)
            WriteProfile(kServerProfile, "[Queues]\nQueue1=Alpha\n");
        else
            WriteRecord(record);
        const std::string before = ReadFileText(kServerProfile);

        Choose(kHidden);
        HWND box = m_tool.FindMessageBox();
        ASSERT_NE(box, nullptr) << what;
        EXPECT_EQ(GetWindow(box, GW_OWNER), m_tool.Dialog()) << what;
        const MessageBoxInfo message = m_tool.TakeMessageBox();
        EXPECT_EQ(message.caption, "KEL Administrator 2.1 Win95");
        EXPECT_EQ(message.text, "You need to run KEL before you can use this option.") << what;
        EXPECT_EQ(message.iconKind, MB_ICONEXCLAMATION) << what;
        EXPECT_EQ(message.buttons, std::vector<std::string>{"OK"}) << what;
        EXPECT_EQ(ReadFileText(kServerProfile), before) << what << ": nothing is written";
    }
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received().size(), 0u);
    EXPECT_EQ(m_server.AdminLines().size(), 0u);
}

TEST_F(SetDisplayTest, WithoutASelectionNothingHappens)
{
    WriteRecord("2,2,-1,-1,-1,-1,44,44,684,532"); // show command 2: no mode selected
    StartServer();
    StartTool();
    const std::string before = ReadFileText(kServerProfile);
    ASSERT_EQ(m_tool.ComboSelection(IDC_DISPLAY_MODE), -1);
    m_tool.Click(IDC_SET_DISPLAY);

    EXPECT_EQ(m_tool.FindMessageBox(), nullptr);
    EXPECT_EQ(ReadFileText(kServerProfile), before);
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received().size(), 0u);
    EXPECT_EQ(m_server.AdminLines().size(), 0u);
}

TEST_F(SetDisplayTest, AProfileThatCannotBeWrittenIsReportedAndARetrySucceeds)
{
    StartServer();
    StartTool();
    {
        CImmutableFile locked(kServerProfile);
        if (!locked.Made())
            GTEST_SKIP() << "the host refused chattr +i (it needs root and a file system that "
                            "keeps the attribute)";
        Choose(kHidden);
        ExpectBoxes({{std::string("KEL Administrator cannot change\n\t") + kServerProfile +
                          " :\nPermission denied\nKEL's settings have not been changed.",
                      MB_ICONEXCLAMATION}});
        EXPECT_EQ(StoredRecord(), kRecord);
        FlushBroadcasts();
        EXPECT_EQ(m_listener.Received().size(), 0u) << "nothing is broadcast";
    }
    m_tool.Click(IDC_SET_DISPLAY);
    EXPECT_EQ(m_tool.FindMessageBox(), nullptr);
    EXPECT_EQ(StoredRecord(), "2,0,-1,-1,-1,-1,44,44,684,532");
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received(), (Broadcasts{{0, kDisplayCode}}));
}
