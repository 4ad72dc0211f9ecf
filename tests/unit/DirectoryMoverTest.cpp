// The content mover on real directories, under provoked faults. Every case ends by checking
// that nothing of the source was lost.
#include "relocate/DirectoryMover.h"
#include "relocate/CreatedEntries.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/FileCopy.h"
#include "tests/driver/MessageBoxReading.h"
#include "tests/driver/TestFiles.h"
#include "tests/unit/RecordingReporter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace
{
const std::string kRoot = "C:\\kel-unit\\mover";
const std::string kSource = kRoot + "\\src";
const std::string kDestination = kRoot + "\\dst";

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

    // The mover as the commands run it: 1 when it carried everything and the source held
    // still.
    int Move(const std::string& source, const std::string& destination)
    {
        return MoveDirectoryContents(source, destination, m_reporter);
    }
    int Move(const std::string& source, const std::string& destination, CCreatedEntries& created)
    {
        CContentMover mover(source, destination, m_reporter, created);
        return mover.Survey() && mover.Carry() && mover.Settle() == CContentMover::Settled::kSettled
                   ? 1
                   : 0;
    }

    CRecordingReporter m_reporter;
    std::map<std::string, std::string> m_original;
};
} // namespace

TEST_F(DirectoryMoverTest, CopiesEveryFileOverwritingOldCopiesAndComesBack)
{
    AddSourceFiles();
    ASSERT_TRUE(WriteFileText(kDestination + "\\log1.txt", "an older and longer log file"));
    EXPECT_EQ(Move(kSource, kDestination), 1);
    EXPECT_TRUE(m_reporter.messages.empty());
    EXPECT_EQ(SnapshotFiles(kDestination), m_original);
    EXPECT_EQ(CurrentDir(), kRoot) << "the current directory is restored";
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, AnEmptySourceSucceedsAndWritesNothing)
{
    EXPECT_EQ(Move(kSource, kDestination), 1);
    EXPECT_TRUE(SnapshotFiles(kDestination).empty());
    EXPECT_TRUE(m_reporter.messages.empty());
}

TEST_F(DirectoryMoverTest, ASourceThatCannotBeEnteredStopsWithMessage12)
{
    AddSourceFiles();
    EXPECT_EQ(Move(kRoot + "\\missing", kDestination), 0);
    ASSERT_EQ(m_reporter.messages.size(), 1u);
    EXPECT_EQ(LinesOf(m_reporter.Texts()[0]),
              (std::vector<std::string>{
                  "Can't go to dir", "\t" + kRoot + "\\missing :", "No such file or directory"}));
    EXPECT_EQ(m_reporter.messages[0].iconKind, MB_ICONSTOP);
    EXPECT_TRUE(SnapshotFiles(kDestination).empty());
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, AMissingDriveShowsMessage14AsWrittenThenMessage12)
{
    EXPECT_EQ(Move("q:\\logfiles", kDestination), 0);
    EXPECT_EQ(
        m_reporter.Texts(),
        (std::vector<std::string>{"Failed to change to drive q:",
                                  "Can't go to dir\n\tq:\\logfiles :\nNo such file or directory"}));
    ASSERT_EQ(m_reporter.messages.size(), 2u);
    EXPECT_EQ(m_reporter.messages[0].iconKind, MB_ICONINFORMATION);
    EXPECT_EQ(m_reporter.messages[1].iconKind, MB_ICONSTOP);
}

TEST_F(DirectoryMoverTest, AMissingDestinationEndsTheMoveAfterOneMessage9)
{
    AddSourceFiles();
    EXPECT_EQ(Move(kSource, kRoot + "\\nowhere"), 0);
    ASSERT_EQ(m_reporter.messages.size(), 1u) << "every later entry would fail the same way";
    const ReportedMessage& box = m_reporter.messages[0];
    EXPECT_EQ(Narrow(box.text).rfind("Can't open file for writing:\n\t" + kRoot + "\\nowhere\\", 0),
              0u)
        << Narrow(box.text);
    EXPECT_EQ(LinesOf(Narrow(box.text)).back(), "No such file or directory");
    EXPECT_EQ(box.iconKind, MB_ICONEXCLAMATION);
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, SubfoldersAreCarriedAtAnyDepthWithTheTimesOfTheirFiles)
{
    AddSourceFiles();
    const std::string deep = kSource + "\\archive\\2025";
    ASSERT_TRUE(MakeDirectories(deep));
    ASSERT_TRUE(WriteFileText(deep + "\\old.log", "an archived log\r\n"));
    FILETIME year2001 = {0x5c7b8000, 0x01c07385}; // 2001-01-01
    HANDLE old = CreateFileA((deep + "\\old.log").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(SetFileTime(old, nullptr, nullptr, &year2001));
    CloseHandle(old);

    EXPECT_EQ(Move(kSource, kDestination), 1);
    EXPECT_EQ(m_reporter.Texts(), std::vector<std::string>{});
    EXPECT_EQ(SnapshotFiles(kDestination), m_original);
    const std::string copy = kDestination + "\\archive\\2025\\old.log";
    EXPECT_EQ(ReadFileText(copy), "an archived log\r\n");
    WIN32_FILE_ATTRIBUTE_DATA copied;
    ASSERT_TRUE(GetFileAttributesExA(copy.c_str(), GetFileExInfoStandard, &copied));
    EXPECT_EQ(CompareFileTime(&copied.ftLastWriteTime, &year2001), 0) << "the time is kept";
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, ALinkIsNotFollowedAndIsReportedAsUnreadable)
{
    AddSourceFiles();
    ASSERT_TRUE(MakeDirectories(kRoot + "\\elsewhere"));
    ASSERT_TRUE(MakeSymbolicLink(UnixPathOf(kRoot + "\\elsewhere"), kSource + "\\linked"));
    EXPECT_EQ(Move(kSource, kDestination), 0);
    EXPECT_EQ(m_reporter.Texts(),
              std::vector<std::string>(1, "Can't open file for reading:\n\t" + kSource +
                                              "\\linked\nIt is a link to another place, "
                                              "which KEL does not follow."));
    EXPECT_TRUE(SnapshotFiles(kDestination).empty()) << "refused before anything is copied";
    EXPECT_FALSE(FileExists(kDestination + "\\linked"));
}

TEST_F(DirectoryMoverTest, NothingIsCopiedIntoItselfNorOverTheSource)
{
    AddSourceFiles();
    const std::string inside = kSource + "\\sub";
    ASSERT_TRUE(MakeDirectories(inside));
    EXPECT_EQ(Move(kSource, inside), 1);
    EXPECT_EQ(m_reporter.Texts(), std::vector<std::string>{});
    EXPECT_EQ(SnapshotFiles(inside), m_original);
    EXPECT_FALSE(FileExists(inside + "\\sub"));

    // Two levels down: the folder that holds the destination is carried, all but the
    // destination itself.
    const std::string deeper = kSource + "\\a\\b";
    ASSERT_TRUE(MakeDirectories(deeper));
    ASSERT_TRUE(WriteFileText(kSource + "\\a\\kept.txt", "kept"));
    EXPECT_EQ(Move(kSource, deeper), 1);
    EXPECT_EQ(ReadFileText(deeper + "\\a\\kept.txt"), "kept");
    EXPECT_FALSE(FileExists(deeper + "\\a\\b"));
    EXPECT_EQ(SnapshotFiles(deeper), m_original);

    // A destination that holds the source, where a folder of the source's own has the name of
    // one being carried: its originals are never overwritten.
    const std::string nested = kSource + "\\src";
    ASSERT_TRUE(MakeDirectories(nested));
    ASSERT_TRUE(WriteFileText(nested + "\\log1.txt", "the nested original"));
    ASSERT_TRUE(WriteFileText(kSource + "\\log1.txt", "the outer original"));
    m_reporter.messages.clear();
    EXPECT_EQ(Move(kSource, kRoot), 0);
    EXPECT_EQ(m_reporter.Texts(),
              std::vector<std::string>(1, "Can't open file for writing:\n\t" + kSource +
                                              "\nIt is a folder of the directory being "
                                              "moved, whose files it would overwrite."));
    EXPECT_EQ(ReadFileText(kSource + "\\log1.txt"), "the outer original");
    EXPECT_EQ(ReadFileText(nested + "\\log1.txt"), "the nested original");
}

TEST_F(DirectoryMoverTest, AFolderThatCannotBeListedFailsTheMove)
{
    // Listed with its pattern it is longer than the platform's path limit, which its message
    // says; the destination's short path can still hold its copy.
    AddSourceFiles();
    const std::string outer(120, 'o');
    const std::string inner(115, 'i');
    ASSERT_EQ(RunHostScript("mkdir -p " +
                            ShellQuoted(UnixPathOf(kSource) + "/" + outer + "/" + inner) +
                            " && echo deep > " +
                            ShellQuoted(UnixPathOf(kSource) + "/" + outer + "/" + inner + "/d")),
              0);
    const std::string shortDestination = "C:\\kmd";
    DeleteTree(shortDestination);
    ASSERT_TRUE(MakeDirectories(shortDestination));
    EXPECT_EQ(Move(kSource, shortDestination), 0);
    EXPECT_EQ(m_reporter.Texts(),
              std::vector<std::string>(1, "Can't go to dir\n\t" + kSource + "\\" + outer + "\\" +
                                              inner + " :\nFile name too long"));
    EXPECT_TRUE(SnapshotFiles(shortDestination).empty()) << "refused before anything is copied";
    SetCurrentDirectoryA("C:\\");
    DeleteTree(shortDestination);
}

TEST_F(DirectoryMoverTest, WhatTheMoveCreatedCanBeRemovedAndNothingElse)
{
    AddSourceFiles();
    ASSERT_TRUE(MakeDirectories(kSource + "\\archive"));
    ASSERT_TRUE(WriteFileText(kSource + "\\archive\\a.log", "a"));
    ASSERT_TRUE(WriteFileText(kDestination + "\\log1.txt", "there before"));
    ASSERT_TRUE(WriteFileText(kDestination + "\\unrelated", "not the move's"));
    CCreatedEntries created;
    EXPECT_EQ(Move(kSource, kDestination, created), 1);
    created.Undo();
    EXPECT_EQ(SnapshotFiles(kDestination),
              (std::map<std::string, std::string>{{"log1.txt", "there before"},
                                                  {"unrelated", "not the move's"}}))
        << "a replaced file is put back; what the move created is gone";
    EXPECT_FALSE(FileExists(kDestination + "\\archive"));
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, ADestinationFileThatCannotBeExaminedIsNotTruncated)
{
    // A device gives no file information: the open is refused before anything is truncated.
    AddSourceFiles();
    ASSERT_TRUE(MakeSymbolicLink("/dev/full", kDestination + "\\log1.txt"));
    EXPECT_EQ(Move(kSource, kDestination), 0);
    ASSERT_EQ(m_reporter.messages.size(), 2u) << "once per listing";
    for (const ReportedMessage& box : m_reporter.messages)
    {
        EXPECT_EQ(Narrow(box.text), "Can't open file for writing:\n\t" + kDestination +
                                        "\\log1.txt\nInvalid argument");
        EXPECT_EQ(box.iconKind, MB_ICONEXCLAMATION);
    }
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, AFileThatWasThereIsNeverLeftHalfWritten)
{
    AddSourceFiles();
    ASSERT_TRUE(MakeSymbolicLink("/proc/self/mem", kSource + "\\unreadable"));
    ASSERT_TRUE(WriteFileText(kDestination + "\\unreadable", "there before"));
    EXPECT_EQ(Move(kSource, kDestination), 0);
    EXPECT_EQ(ReadFileText(kDestination + "\\unreadable"), "there before");
    std::vector<std::string> left;
    FindNames(kDestination + "\\kel*.tmp", left);
    EXPECT_EQ(left, std::vector<std::string>{}) << "no temporary copy is left";
}

TEST_F(DirectoryMoverTest, AReadErrorFailsTheCopyWithMessage10)
{
    AddSourceFiles();
    ASSERT_TRUE(MakeSymbolicLink("/proc/self/mem", kSource + "\\unreadable"));
    EXPECT_EQ(Move(kSource, kDestination), 0);
    ASSERT_EQ(m_reporter.messages.size(), 2u);
    for (const ReportedMessage& box : m_reporter.messages)
        EXPECT_EQ(Narrow(box.text),
                  "Read error on " + kSource + "\\unreadable:\n" + std::strerror(EINVAL));
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
    EXPECT_EQ(Move(kSource, kDestination), 0);
    ASSERT_EQ(m_reporter.messages.size(), 2u);
    EXPECT_EQ(m_reporter.Texts()[0],
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
        m_reporter.messages.clear();
        EXPECT_EQ(Move(kSource, other), 1) << other;
        EXPECT_EQ(Move(other, kSource), 1) << other;
        EXPECT_TRUE(m_reporter.messages.empty()) << other;
        ExpectSourceIntact();
    }
}

TEST_F(DirectoryMoverTest, PathsBeyondTheLimitFailWithoutHarm)
{
    AddSourceFiles();
    const std::string tooLong = kRoot + "\\" + std::string(300, 'd');
    EXPECT_EQ(Move(kSource, tooLong), 0);
    EXPECT_EQ(m_reporter.messages.size(), 1u);
    EXPECT_EQ(CurrentDir(), kRoot);
    m_reporter.messages.clear();
    EXPECT_EQ(Move(tooLong, kDestination), 0);
    EXPECT_EQ(m_reporter.messages.size(), 1u);
    ExpectSourceIntact();
}

TEST_F(DirectoryMoverTest, LinksInTheDestinationAreNeverWrittenThrough)
{
    AddSourceFiles();
    ASSERT_TRUE(MakeDirectories(kSource + "\\archive"));
    ASSERT_TRUE(WriteFileText(kSource + "\\archive\\a.log", "archived"));
    const std::string elsewhere = kRoot + "\\elsewhere";
    ASSERT_TRUE(MakeDirectories(elsewhere));
    ASSERT_TRUE(WriteFileText(elsewhere + "\\log1.txt", "not to be replaced"));
    ASSERT_TRUE(MakeSymbolicLink(UnixPathOf(elsewhere), kDestination + "\\archive"));
    ASSERT_TRUE(
        MakeSymbolicLink(UnixPathOf(elsewhere + "\\log1.txt"), kDestination + "\\log1.txt"));
    EXPECT_EQ(Move(kSource, kDestination), 0);
    const std::string linkText = "\nIt is a link to another place, which KEL does not follow.";
    const std::vector<std::string> texts = m_reporter.Texts();
    ASSERT_FALSE(texts.empty());
    for (const std::string& text : texts)
        EXPECT_TRUE(
            text == "Can't open file for writing:\n\t" + kDestination + "\\archive" + linkText ||
            text == "Can't open file for writing:\n\t" + kDestination + "\\log1.txt" + linkText)
            << text;
    EXPECT_EQ(SnapshotFiles(elsewhere),
              (std::map<std::string, std::string>{{"log1.txt", "not to be replaced"}}));

    // A folder swapped for a link after the move looked at it is caught as a file is made there.
    FileIdentity destination;
    ASSERT_TRUE(ReadFileIdentity(Widen(kDestination), destination));
    CCreatedEntries created;
    created.SetWithin(destination.finalPath);
    EXPECT_EQ(CopyOneFile(Widen(kSource + "\\log1.txt"), Widen(kDestination + "\\archive\\new"),
                          created, m_reporter, nullptr)
                  .result,
              CopyResult::kSwapped);
    EXPECT_EQ(m_reporter.Texts().back(),
              "Can't open file for writing:\n\t" + kDestination + "\\archive\\new" + linkText);
    EXPECT_EQ(SnapshotFiles(elsewhere).size(), 1u);
}

TEST_F(DirectoryMoverTest, NamesOutsideTheCodePageArriveExactlyBesideTheirLookAlikes)
{
    const std::wstring source = Widen(kSource);
    const std::wstring names[] = {L"alpha.prn", L"\x0101lpha.prn", L"\x65b0.prn"};
    for (const std::wstring& name : names)
    {
        HANDLE file = CreateFileW((source + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, name.c_str(), static_cast<DWORD>(name.size() * sizeof(wchar_t)), &written,
                  nullptr);
        CloseHandle(file);
    }
    EXPECT_EQ(Move(kSource, kDestination), 1);
    EXPECT_EQ(m_reporter.Texts(), std::vector<std::string>{});
    for (const std::wstring& name : names)
    {
        std::wstring copied(name.size(), L'\0');
        HANDLE file = CreateFileW((Widen(kDestination) + L"\\" + name).c_str(), GENERIC_READ, 0,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD read = 0;
        ReadFile(file, &copied[0], static_cast<DWORD>(copied.size() * sizeof(wchar_t)), &read,
                 nullptr);
        CloseHandle(file);
        EXPECT_EQ(copied, name) << "each arrives under its own name with its own contents";
    }
}

// When the first listing is done: a copy identical to its source is left untouched by the
// second, one whose source changed is written again, and one that failed is tried again. A
// file put at a copy's name meanwhile is another's, and comes back with the rollback.
TEST_F(DirectoryMoverTest, TheSecondListingWritesOnlyWhatChanged)
{
    AddSourceFiles();
    const std::string locked = kDestination + "\\empty";
    ASSERT_TRUE(WriteFileText(locked, "read-only at first"));
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    const auto identityOf = [](const std::string& path)
    {
        HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        BY_HANDLE_FILE_INFORMATION info = {};
        FILE_BASIC_INFO basic = {};
        GetFileInformationByHandle(file, &info);
        GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic);
        CloseHandle(file);
        return std::make_pair(info.nFileIndexLow, basic.ChangeTime.QuadPart);
    };
    std::pair<DWORD, LONGLONG> bigAfterFirst;
    m_reporter.onDone = [&](ULONGLONG files)
    {
        if (files != m_original.size() || bigAfterFirst.first != 0)
            return;
        bigAfterFirst = identityOf(kDestination + "\\big.dat");
        Sleep(20);
        WriteFileText(kSource + "\\log1.txt", "changed between the listings");
        DeleteFileA((kDestination + "\\log1.txt").c_str());
        WriteFileText(kDestination + "\\log1.txt", "put there meanwhile");
        SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    };
    CCreatedEntries created;
    Move(kSource, kDestination, created);
    ASSERT_NE(bigAfterFirst.first, 0u);
    EXPECT_EQ(identityOf(kDestination + "\\big.dat"), bigAfterFirst) << "left untouched";
    const auto copies = SnapshotFiles(kDestination);
    for (const auto& file : SnapshotFiles(kSource))
        EXPECT_EQ(copies.at(file.first), file.second) << "changed and failed: again";
    EXPECT_EQ(copies.size(), m_original.size() + 2) << "the originals replaced, kept aside";
    EXPECT_EQ(m_reporter.messages.size(), 1u) << "the first failure only";
    created.Undo();
    EXPECT_EQ(SnapshotFiles(kDestination),
              (std::map<std::string, std::string>{{"empty", "read-only at first"},
                                                  {"log1.txt", "put there meanwhile"}}));
}

// A file of many blocks is copied whole, tail included; a cancel in the middle of its copy
// leaves the file that was there as it was, and no temporary copy beside it.
TEST_F(DirectoryMoverTest, ALargeFileIsCopiedWholeAndACancelMidwayLeavesNothing)
{
    const std::string large = Binary(24 * 1024 * 1024 + 4321);
    ASSERT_TRUE(WriteFileText(kSource + "\\large.prn", large));
    ASSERT_TRUE(WriteFileText(kDestination + "\\large.prn", "there before"));
    int blocks = 0;
    m_reporter.onDone = [&](ULONGLONG) { m_reporter.cancelled = ++blocks == 8; };
    EXPECT_EQ(Move(kSource, kDestination), 0);
    EXPECT_EQ(blocks, 8) << "nothing more after the block that saw the cancel";
    EXPECT_EQ(SnapshotFiles(kDestination),
              (std::map<std::string, std::string>{{"large.prn", "there before"}}));

    m_reporter.onDone = nullptr;
    m_reporter.cancelled = false;
    EXPECT_EQ(Move(kSource, kDestination), 1);
    EXPECT_TRUE(ReadFileText(kDestination + "\\large.prn") == large) << "compared whole";
    EXPECT_TRUE(m_reporter.messages.empty());
}
