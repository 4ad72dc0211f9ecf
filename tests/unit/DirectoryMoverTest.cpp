// The content mover on real directories, under provoked faults. Every case ends by checking
// that nothing of the source was lost.
#include "relocate/DirectoryMover.h"
#include "tests/driver/TestFiles.h"
#include "tests/unit/MessageBoxCatcher.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace
{
const std::string kRoot = "C:\\kel-unit\\mover";
const std::string kSource = kRoot + "\\src";
const std::string kDestination = kRoot + "\\dst";

std::string CurrentDir()
{
    char buffer[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, buffer);
    return buffer;
}

std::string Binary(size_t size)
{
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 131 + 7) % 256);
    return data;
}

class DirectoryMoverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetCurrentDirectoryA("C:\\");
        DeleteTree(kRoot);
        ASSERT_TRUE(MakeDirectories(kSource));
        ASSERT_TRUE(MakeDirectories(kDestination));
        ASSERT_TRUE(SetCurrentDirectoryA(kRoot.c_str()));
    }
    void TearDown() override
    {
        SetCurrentDirectoryA("C:\\");
        DeleteTree(kRoot);
    }

    void AddSourceFiles()
    {
        ASSERT_TRUE(WriteFileText(kSource + "\\log1.txt", "first log\r\n"));
        ASSERT_TRUE(WriteFileText(kSource + "\\empty", ""));
        ASSERT_TRUE(WriteFileText(kSource + "\\big.dat", Binary(200 * 1024 + 17)));
        m_original = SnapshotFiles(kSource);
    }

    // Nothing of the source is lost: every file is still there, byte for byte.
    void ExpectSourceIntact() { EXPECT_EQ(SnapshotFiles(kSource), m_original); }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const CaughtBox& box : m_boxes.Boxes())
            texts.push_back(box.text);
        return texts;
    }

    CMessageBoxCatcher m_boxes;
    std::map<std::string, std::string> m_original;
};
} // namespace

TEST_F(DirectoryMoverTest, CopiesEveryFileOverwritingOldCopiesAndComesBack)
{
    AddSourceFiles();
    ASSERT_TRUE(WriteFileText(kDestination + "\\log1.txt", "an older and longer log file"));
    EXPECT_EQ(MoveDirectoryContents(kSource, kDestination), 1);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_EQ(SnapshotFiles(kDestination), m_original);
    EXPECT_EQ(CurrentDir(), kRoot) << "the current directory is restored";
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, AnEmptySourceSucceedsAndWritesNothing)
{
    EXPECT_EQ(MoveDirectoryContents(kSource, kDestination), 1);
    EXPECT_TRUE(SnapshotFiles(kDestination).empty());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(DirectoryMoverTest, ASourceThatCannotBeEnteredStopsWithMessage12)
{
    AddSourceFiles();
    EXPECT_EQ(MoveDirectoryContents(kRoot + "\\missing", kDestination), 0);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(LinesOf(m_boxes.Boxes()[0].text),
              (std::vector<std::string>{
                  "Can't go to dir", "\t" + kRoot + "\\missing :", "No such file or directory"}));
    EXPECT_EQ(m_boxes.Boxes()[0].iconKind, MB_ICONSTOP);
    EXPECT_TRUE(SnapshotFiles(kDestination).empty());
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, AMissingDriveShowsMessage14AsWrittenThenMessage12)
{
    EXPECT_EQ(MoveDirectoryContents("q:\\logfiles", kDestination), 0);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "Failed to change to drive q:",
                           "Can't go to dir\n\tq:\\logfiles :\nNo such file or directory"}));
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].iconKind, MB_ICONINFORMATION);
    EXPECT_EQ(m_boxes.Boxes()[1].iconKind, MB_ICONSTOP);
}

TEST_F(DirectoryMoverTest, AMissingDestinationFailsEveryEntryWithMessage9)
{
    AddSourceFiles();
    EXPECT_EQ(MoveDirectoryContents(kSource, kRoot + "\\nowhere"), 0);
    ASSERT_EQ(m_boxes.Boxes().size(), 6u) << "three files, each listed twice";
    for (const CaughtBox& box : m_boxes.Boxes())
    {
        EXPECT_EQ(box.text.rfind("Can't open file for writing:\n\t" + kRoot + "\\nowhere\\", 0), 0u)
            << box.text;
        EXPECT_EQ(LinesOf(box.text).back(), "No such file or directory");
        EXPECT_EQ(box.iconKind, MB_ICONEXCLAMATION);
    }
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, ASubdirectoryIsReportedTwiceAndTheMoveFails)
{
    AddSourceFiles();
    ASSERT_TRUE(MakeDirectories(kSource + "\\old"));
    EXPECT_EQ(MoveDirectoryContents(kSource, kDestination), 0)
        << "a failed entry fails the move, wherever it stands in the listing";
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    for (const CaughtBox& box : m_boxes.Boxes())
        EXPECT_EQ(box.text,
                  "Can't open file for reading:\n\t" + kSource + "\\old\nPermission denied");
    EXPECT_EQ(SnapshotFiles(kDestination), m_original) << "the files were still copied";
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, AFullDiskFailsTheCopyWithMessage11)
{
    AddSourceFiles();
    ASSERT_TRUE(MakeSymbolicLink("/dev/full", kDestination + "\\log1.txt"));
    EXPECT_EQ(MoveDirectoryContents(kSource, kDestination), 0);
    ASSERT_EQ(m_boxes.Boxes().size(), 2u) << "once per listing";
    for (const CaughtBox& box : m_boxes.Boxes())
    {
        EXPECT_EQ(box.text,
                  "Write error on " + kDestination + "\\log1.txt:\nNo space left on device");
        EXPECT_EQ(box.iconKind, MB_ICONEXCLAMATION);
    }
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, AReadErrorFailsTheCopyWithMessage10)
{
    AddSourceFiles();
    ASSERT_TRUE(MakeSymbolicLink("/proc/self/mem", kSource + "\\unreadable"));
    EXPECT_EQ(MoveDirectoryContents(kSource, kDestination), 0);
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    for (const CaughtBox& box : m_boxes.Boxes())
        EXPECT_EQ(box.text, "Read error on " + kSource + "\\unreadable:\n" + std::strerror(EINVAL));
    auto copied = SnapshotFiles(kDestination);
    copied.erase("unreadable");
    EXPECT_EQ(copied, m_original);
    auto source = SnapshotFiles(kSource);
    source.erase("unreadable");
    EXPECT_EQ(source, m_original);
}

TEST_F(DirectoryMoverTest, AReadOnlyDestinationFileIsLeftAsItWas)
{
    AddSourceFiles();
    const std::string locked = kDestination + "\\log1.txt";
    ASSERT_TRUE(WriteFileText(locked, "kept"));
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(MoveDirectoryContents(kSource, kDestination), 0);
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].text,
              "Can't open file for writing:\n\t" + locked + "\nPermission denied");
    EXPECT_EQ(ReadFileText(locked), "kept");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, TheSameDirectoryInAnotherFormIsLeftUntouched)
{
    AddSourceFiles();
    const std::string unixForm = UnixPathOf(kSource);
    ASSERT_FALSE(unixForm.empty());
    std::string zForm = "Z:" + unixForm;
    for (char& c : zForm)
        if (c == '/')
            c = '\\';
    for (const std::string& other :
         {std::string("c:\\KEL-UNIT\\Mover\\SRC"), kSource + "\\", zForm})
    {
        m_boxes.Clear();
        EXPECT_EQ(MoveDirectoryContents(kSource, other), 1) << other;
        EXPECT_EQ(MoveDirectoryContents(other, kSource), 1) << other;
        EXPECT_TRUE(m_boxes.Boxes().empty()) << other;
        ExpectSourceIntact();
    }
}

TEST_F(DirectoryMoverTest, PathsBeyondTheLimitFailWithoutHarm)
{
    AddSourceFiles();
    const std::string tooLong = kRoot + "\\" + std::string(300, 'd');
    EXPECT_EQ(MoveDirectoryContents(kSource, tooLong), 0);
    EXPECT_EQ(m_boxes.Boxes().size(), 6u);
    EXPECT_EQ(CurrentDir(), kRoot);
    m_boxes.Clear();
    EXPECT_EQ(MoveDirectoryContents(tooLong, kDestination), 0);
    EXPECT_EQ(m_boxes.Boxes().size(), 1u);
    ExpectSourceIntact();
}
