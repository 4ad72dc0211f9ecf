// The two relocation operations called directly, as the dialog's handlers call them: their
// result, the broadcast of a stored change only, and rules simpler to show here than through
// the dialog.
#include "config/ProfileFile.h"
#include "notify/AdminMessage.h"
#include "relocate/QueueDirectoryChange.h"
#include "relocate/RootDirectoryChange.h"
#include "tests/driver/BroadcastListener.h"
#include "tests/driver/TestFiles.h"
#include "tests/unit/MessageBoxCatcher.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace
{
const std::string kRoot = "C:\\kel-unit\\change";
const std::string kProfile = kRoot + "\\kel.ini";
const std::string kOldDir = kRoot + "\\old";
const std::string kNewDir = kRoot + "\\new";
const std::string kOldRoot = kRoot + "\\root";
using Texts = std::vector<std::string>;

class DirectoryChangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterAdminMessage();
        SetCurrentDirectoryA("C:\\");
        DeleteTree(kRoot);
        ASSERT_TRUE(MakeDirectories(kOldDir));
        ASSERT_TRUE(MakeDirectories(kOldRoot + "\\logfiles"));
        ASSERT_TRUE(MakeDirectories(kNewDir));
        ASSERT_TRUE(WriteFileText(kOldDir + "\\queue.ini", "[Queue]\r\n"));
        ASSERT_TRUE(WriteFileText(kOldDir + "\\cf1.ini", "[Settings]\r\nXfer=0\r\n"));
        ASSERT_TRUE(WriteFileText(kOldRoot + "\\logfiles\\day1.log", "log\r\n"));
        ASSERT_TRUE(WriteFileText(kProfile, "[Settings]\r\nQueueDir=" + kOldRoot +
                                                "\r\n[Alpha]\r\nqueuedir=" + kOldDir + "\r\n"));
    }
    void TearDown() override
    {
        SetCurrentDirectoryA("C:\\");
        DeleteTree(kRoot);
    }

    static std::string CurrentDir()
    {
        char buffer[MAX_PATH] = "";
        GetCurrentDirectoryA(MAX_PATH, buffer);
        return buffer;
    }

    Texts Shown() const
    {
        Texts texts;
        for (const CaughtBox& box : m_boxes.Boxes())
            texts.push_back(box.text);
        return texts;
    }
    size_t Broadcasts()
    {
        m_listener.Flush();
        return m_listener.Received().size();
    }

    CProfileFile m_profile{kProfile};
    CMessageBoxCatcher m_boxes;
    CBroadcastListener m_listener;
};
} // namespace

TEST_F(DirectoryChangeTest, OnlyAStoredChangeReportsSuccessAndIsBroadcast)
{
    EXPECT_TRUE(ChangeQueueDirectory(m_profile, "Alpha", kNewDir));
    EXPECT_EQ(m_profile.GetString("Alpha", "queuedir"), kNewDir);
    EXPECT_TRUE(ChangeRootDirectory(m_profile, kNewDir));
    EXPECT_EQ(m_profile.GetString("Settings", "QueueDir"), kNewDir);
    EXPECT_EQ(ReadFileText(kNewDir + "\\logfiles\\day1.log"), "log\r\n");
    EXPECT_EQ(Shown(), Texts{});
    EXPECT_EQ(Broadcasts(), 2u);

    EXPECT_FALSE(ChangeRootDirectory(m_profile, kNewDir));
    EXPECT_EQ(Shown(), Texts{"This directory setting has not changed!"});
    EXPECT_EQ(Broadcasts(), 2u);
}

TEST_F(DirectoryChangeTest, EveryCommandReturnsToTheCurrentDirectoryItFound)
{
    ASSERT_TRUE(SetCurrentDirectoryA(kRoot.c_str()));
    EXPECT_FALSE(ChangeQueueDirectory(m_profile, "Alpha", kOldDir)) << "unchanged";
    EXPECT_FALSE(ChangeQueueDirectory(m_profile, "Alpha", kRoot + "\\missing")) << "carry fails";
    EXPECT_EQ(CurrentDir(), kRoot);
    EXPECT_TRUE(ChangeQueueDirectory(m_profile, "Alpha", kNewDir));
    EXPECT_EQ(CurrentDir(), kRoot) << "the old directory is not held as current";
}

TEST_F(DirectoryChangeTest, AnEmptyRootToSetIsRefusedWhileOneIsStored)
{
    EXPECT_FALSE(ChangeRootDirectory(m_profile, ""));
    EXPECT_EQ(Shown(), Texts{"Please choose a directory first, with the Browse button."});
    EXPECT_EQ(m_boxes.Boxes()[0].iconKind, MB_ICONINFORMATION);
    EXPECT_FALSE(FileExists("\\logfiles")) << "nothing is made in the drive's root";
    EXPECT_EQ(m_profile.GetString("Settings", "QueueDir"), kOldRoot);
}

TEST_F(DirectoryChangeTest, ANewRootInsideTheOldLogDirectoryCompletes)
{
    const std::string inside = kOldRoot + "\\logfiles\\newroot";
    ASSERT_TRUE(MakeDirectories(inside));
    EXPECT_TRUE(ChangeRootDirectory(m_profile, inside));
    EXPECT_EQ(Shown(), Texts{});
    EXPECT_EQ(ReadFileText(inside + "\\logfiles\\day1.log"), "log\r\n");
    EXPECT_FALSE(FileExists(inside + "\\logfiles\\newroot\\logfiles"))
        << "nothing copied into itself";
}
