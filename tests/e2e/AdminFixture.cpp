#include "tests/e2e/AdminFixture.h"

#include <windows.h>

void AdminFixture::SetUp()
{
    DeleteTree(kToolsDir);
    DeleteTree(kDataDir);
    DeleteFileA(kSystemProfile);
    DeleteTree(kJournals);
    ASSERT_TRUE(MakeDirectories(kToolsDir));
    ASSERT_TRUE(MakeDirectories(kDataDir));
    const std::string bin = ThisProgramDirectory();
    ASSERT_TRUE(CopyFileA((bin + "kel-admin.exe").c_str(), kToolExe, FALSE));
    ASSERT_TRUE(CopyFileA((bin + "kel-server.exe").c_str(), "C:\\Tools\\kel-server.exe", FALSE));
    ASSERT_TRUE(CopyFileA((bin + "kel-admin-cli.exe").c_str(), kCliExe, FALSE));
}

void AdminFixture::TearDown()
{
    m_tool.Kill();
    m_server.Stop();
}

void AdminFixture::WriteProfile(const std::string& path, const std::string& text)
{
    std::string crlf;
    for (char c : text)
    {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    ASSERT_TRUE(WriteFileText(path, crlf)) << path;
}

void AdminFixture::StartServer()
{
    ASSERT_TRUE(m_server.Start("C:\\Tools\\kel-server.exe", kServerLog));
}

void AdminFixture::StartTool()
{
    ASSERT_TRUE(m_tool.Start(kToolExe)) << "the main dialog did not open";
}

void AdminFixture::CloseTool()
{
    PostMessageA(m_tool.Control(IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(m_tool.WaitForExit(10000));
}

void AdminFixture::FlushBroadcasts()
{
    m_listener.Flush();
    if (m_server.Window() != nullptr)
        m_server.Sync();
}

void AdminFixture::ExpectBoxesOf(CToolProcess& tool, const std::vector<ExpectedBox>& expected)
{
    const std::vector<MessageBoxInfo> boxes = tool.TakeAllMessageBoxes();
    ASSERT_EQ(boxes.size(), expected.size()) << (boxes.empty() ? "" : boxes.front().text);
    for (size_t i = 0; i < boxes.size(); ++i)
    {
        EXPECT_EQ(boxes[i].text, expected[i].text);
        EXPECT_EQ(boxes[i].iconKind, expected[i].iconKind) << boxes[i].text;
    }
}

std::vector<std::string> AdminFixture::TakeTexts()
{
    std::vector<std::string> texts;
    for (const MessageBoxInfo& box : m_tool.TakeAllMessageBoxes())
        texts.push_back(box.text);
    return texts;
}
