// The two relocation operations called directly, as the dialog's handlers call them: their
// result, the broadcast of a stored change only, and rules simpler to show here than through
// the dialog.
#include "config/ProfileFile.h"
#include "notify/AdminMessage.h"
#include "notify/ChangeAudit.h"
#include "relocate/CommandRun.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/QueueDirectoryChange.h"
#include "relocate/RootDirectoryChange.h"
#include "tests/driver/BroadcastListener.h"
#include "tests/driver/MessageBoxReading.h"
#include "tests/driver/TestFiles.h"
#include "tests/unit/RecordingReporter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

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
        DeleteTree("C:\\ProgramData\\KEL Administrator"); // journals that earlier runs kept
        ASSERT_TRUE(MakeDirectories(kOldDir));
        ASSERT_TRUE(MakeDirectories(kOldRoot + "\\logfiles"));
        ASSERT_TRUE(MakeDirectories(kNewDir));
        ASSERT_TRUE(WriteFileText(kOldDir + "\\queue.ini", "[Queue]\r\n"));
        ASSERT_TRUE(WriteFileText(kOldDir + "\\cf1.ini", "[Settings]\r\nXfer=0\r\n"));
        ASSERT_TRUE(WriteFileText(kOldRoot + "\\logfiles\\day1.log", "log\r\n"));
        ASSERT_TRUE(WriteFileText(kProfile, "[Settings]\r\nQueueDir=" + kOldRoot +
                                                "\r\n[Alpha]\r\nqueuedir=" + kOldDir + "\r\n"));
        SetAuditWriter([this](const AuditRecord& record) { m_records.push_back(record); });
    }
    void TearDown() override
    {
        SetAuditWriter(nullptr);
        SetCurrentDirectoryA("C:\\");
        DeleteTree(kRoot);
    }

    size_t Broadcasts()
    {
        m_listener.Flush();
        return m_listener.Received().size();
    }

    // The operations as the dialog runs them: true when the change was stored.
    bool SetDir(const std::string& dir)
    {
        return ChangeQueueDirectory(m_profile, "Alpha", dir, m_reporter).outcome ==
               CommandOutcome::kChanged;
    }
    bool SetRoot(const std::string& root)
    {
        return ChangeRootDirectory(m_profile, m_profile, root, m_reporter).outcome ==
               CommandOutcome::kChanged;
    }

    CProfileFile m_profile{kProfile};
    CRecordingReporter m_reporter;
    std::vector<AuditRecord> m_records;
    CBroadcastListener m_listener;
};
} // namespace

TEST_F(DirectoryChangeTest, OnlyAStoredChangeReportsSuccessAndIsBroadcast)
{
    EXPECT_TRUE(SetDir(kNewDir));
    EXPECT_EQ(m_profile.GetString("Alpha", "queuedir"), kNewDir);
    EXPECT_TRUE(SetRoot(kNewDir));
    EXPECT_EQ(m_profile.GetString("Settings", "QueueDir"), kNewDir);
    EXPECT_EQ(ReadFileText(kNewDir + "\\logfiles\\day1.log"), "log\r\n");
    EXPECT_EQ(m_reporter.Texts(), Texts{});
    EXPECT_EQ(Broadcasts(), 2u);
    ASSERT_EQ(m_records.size(), 2u) << "one record of each stored change";
    EXPECT_EQ(m_records[0].eventId, 1000u);
    EXPECT_EQ(m_records[0].type, EVENTLOG_INFORMATION_TYPE);
    EXPECT_EQ(m_records[0].strings,
              (std::vector<std::wstring>{L"directory of queue Alpha", Widen(kOldDir),
                                         Widen(kNewDir), CurrentAccountName()}));
    EXPECT_NE(CurrentAccountName().find(L'\\'), std::wstring::npos) << "DOMAIN\\user";
    EXPECT_EQ(m_records[1].strings[0], L"root directory");

    EXPECT_FALSE(SetRoot(kNewDir));
    EXPECT_EQ(m_reporter.Texts(), Texts{"This directory setting has not changed!"});
    EXPECT_EQ(Broadcasts(), 2u);
}

TEST_F(DirectoryChangeTest, EveryCommandReturnsToTheCurrentDirectoryItFound)
{
    ASSERT_TRUE(SetCurrentDirectoryA(kRoot.c_str()));
    EXPECT_FALSE(SetDir(kOldDir)) << "unchanged";
    EXPECT_FALSE(SetDir(kRoot + "\\missing")) << "carry fails";
    EXPECT_EQ(CurrentDir(), kRoot);
    EXPECT_TRUE(SetDir(kNewDir));
    EXPECT_EQ(CurrentDir(), kRoot) << "the old directory is not held as current";
}

TEST_F(DirectoryChangeTest, AnEmptyRootToSetIsRefusedWhileOneIsStored)
{
    EXPECT_FALSE(SetRoot(""));
    EXPECT_EQ(m_reporter.Texts(),
              Texts{"Please choose a directory first, with the Browse button."});
    EXPECT_EQ(m_reporter.messages[0].iconKind, MB_ICONINFORMATION);
    EXPECT_FALSE(FileExists("\\logfiles")) << "nothing is made in the drive's root";
    EXPECT_EQ(m_profile.GetString("Settings", "QueueDir"), kOldRoot);
}

TEST_F(DirectoryChangeTest, ANewRootInsideTheOldLogDirectoryCompletes)
{
    const std::string inside = kOldRoot + "\\logfiles\\newroot";
    ASSERT_TRUE(MakeDirectories(inside));
    EXPECT_TRUE(SetRoot(inside));
    EXPECT_EQ(m_reporter.Texts(), Texts{});
    EXPECT_EQ(ReadFileText(inside + "\\logfiles\\day1.log"), "log\r\n");
    EXPECT_FALSE(FileExists(inside + "\\logfiles\\newroot\\logfiles"))
        << "nothing copied into itself";
}

// Provoked at the start of the re-listing, once the files are carried: the copies go again,
// message 27 says why, and the next command finds the lock free. A cancel or another
// program's change just before the store takes them back too.
TEST_F(DirectoryChangeTest, AnExceptionACancelOrAChangeMeanwhileTakesBackTheCopies)
{
    m_reporter.onStep = [](const std::wstring& step)
    {
        if (step.rfind(L"Checking the copies", 0) == 0)
            throw std::runtime_error("provoked");
    };
    EXPECT_FALSE(SetDir(kNewDir));
    EXPECT_EQ(m_reporter.Texts(),
              Texts{"The command stopped: provoked\nKEL's settings have not been changed."});
    EXPECT_EQ(m_reporter.messages[0].iconKind, MB_ICONSTOP);
    ASSERT_EQ(m_records.size(), 1u);
    EXPECT_EQ(m_records[0].eventId, 1001u);
    EXPECT_EQ(m_records[0].type, EVENTLOG_WARNING_TYPE);
    EXPECT_EQ(Narrow(m_records[0].strings[1]), m_reporter.Texts()[0]);
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());

    // A cancel as the last job control file is done still comes before the store.
    m_reporter.messages.clear();
    bool rewriting = false;
    m_reporter.onStep = [&](const std::wstring& step)
    { rewriting = step == L"Updating job files"; };
    m_reporter.onDone = [&](ULONGLONG) { m_reporter.cancelled |= rewriting; };
    EXPECT_FALSE(SetDir(kNewDir));
    EXPECT_EQ(m_reporter.Texts(),
              Texts{"The move was cancelled. KEL's settings have not been changed."});
    EXPECT_EQ(m_profile.GetString("Alpha", "queuedir"), kOldDir);
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());
    m_reporter.onDone = nullptr;
    m_reporter.cancelled = false;

    // Another program stores a directory while the command runs: its change is not lost.
    m_reporter.messages.clear();
    m_reporter.onStep = [this](const std::wstring& step)
    {
        if (step == L"Updating job files")
            m_profile.WriteString("Alpha", "queuedir", "C:\\elsewhere");
    };
    EXPECT_FALSE(SetDir(kNewDir));
    EXPECT_EQ(m_reporter.Texts(),
              Texts{"Can't store the new setting in\n\t" + kProfile +
                    " :\nthe file was changed by another program at the same time"});
    EXPECT_EQ(m_profile.GetString("Alpha", "queuedir"), "C:\\elsewhere");
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());
    EXPECT_EQ(Broadcasts(), 0u);

    // A copy of a job replaced by another program before its rewrite is not the move's to write.
    m_profile.WriteString("Alpha", "queuedir", kOldDir.c_str());
    m_reporter.messages.clear();
    const std::string job = kNewDir + "\\cf1.ini";
    m_reporter.onStep = [&](const std::wstring& step)
    {
        if (step == L"Updating job files")
            DeleteFileA(job.c_str()), WriteFileText(job, "another's");
    };
    EXPECT_FALSE(SetDir(kNewDir));
    EXPECT_EQ(m_reporter.Texts(),
              Texts{"Can't open file for writing:\n\t" + job +
                    "\nthe file was changed by another program at the same time"});
    EXPECT_EQ(SnapshotFiles(kNewDir),
              (std::map<std::string, std::string>{{"cf1.ini", "another's"}}));
    ASSERT_TRUE(DeleteFileA(job.c_str()));

    // After the store, an exception tells the truth: the change stands, and is recorded.
    m_reporter.messages.clear();
    m_records.clear();
    m_reporter.onStep = nullptr;
    bool thrown = false;
    m_reporter.onEnd = [&]
    {
        if (!thrown && m_profile.GetString("Alpha", "queuedir") == kNewDir)
            thrown = true, throw std::runtime_error("provoked");
    };
    m_profile.WriteString("Alpha", "queuedir", kOldDir.c_str());
    EXPECT_TRUE(SetDir(kNewDir));
    EXPECT_EQ(m_reporter.Texts(),
              Texts{"The new setting was stored, but the command then stopped: provoked"});
    ASSERT_EQ(m_records.size(), 1u);
    EXPECT_EQ(m_records[0].eventId, 1000u);
    EXPECT_EQ(Broadcasts(), 1u);
}

// No move without its journal: one that cannot be made refuses the move before anything is
// copied; one that can no longer be written stops it, and what was copied goes again.
TEST_F(DirectoryChangeTest, AJournalThatCannotBeKeptRefusesOrStopsTheMove)
{
    const std::string folder = "C:\\ProgramData\\KEL Administrator";
    const auto journalOfTheRun = [&](const char* extension)
    {
        std::vector<std::string> names;
        FindNames(folder + "\\*" + extension, names);
        return names.empty() ? std::string() : folder + "\\" + names[0];
    };
    std::unique_ptr<CImmutableFile> sealed;
    m_reporter.onStep = [&](const std::wstring& step)
    {
        if (step.rfind(L"Copying", 0) == 0 && !sealed)
            sealed = std::make_unique<CImmutableFile>(folder);
    };
    const CommandOutcome refused =
        ChangeQueueDirectory(m_profile, "Alpha", kNewDir, m_reporter).outcome;
    if (!sealed->Made())
        GTEST_SKIP() << "the host refused chattr +i (it needs root)";
    sealed.reset();
    EXPECT_EQ(refused, CommandOutcome::kRefused);
    const std::string refusal =
        "KEL Administrator cannot keep the journal of this move in\n\t" + folder + " :\n";
    ASSERT_EQ(m_reporter.Texts().size(), 1u);
    EXPECT_TRUE(m_reporter.Texts()[0].rfind(refusal, 0) == 0) << m_reporter.Texts()[0];
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());

    std::unique_ptr<CImmutableFile> locked;
    m_reporter.onStep = nullptr;
    m_reporter.messages.clear();
    m_reporter.onDone = [&](ULONGLONG)
    {
        if (!locked && !journalOfTheRun(".journal").empty())
            locked = std::make_unique<CImmutableFile>(journalOfTheRun(".journal"));
    };
    const CommandResult stopped = ChangeQueueDirectory(m_profile, "Alpha", kNewDir, m_reporter);
    ASSERT_TRUE(locked->Made());
    EXPECT_EQ(stopped.outcome, CommandOutcome::kFailed);
    ASSERT_FALSE(m_reporter.Texts().empty());
    EXPECT_TRUE(m_reporter.Texts()[0].rfind(refusal, 0) == 0) << m_reporter.Texts()[0];
    EXPECT_TRUE(SnapshotFiles(kNewDir).empty());
    EXPECT_EQ(m_profile.GetString("Alpha", "queuedir"), kOldDir);
}

TEST_F(DirectoryChangeTest, CopiesThatCannotBeRemovedAreListedAndRecorded)
{
    CImmutableFile appendOnly(kNewDir, 'a');
    if (!appendOnly.Made())
        GTEST_SKIP() << "the host refused chattr +a (it needs root)";
    m_reporter.onStep = [](const std::wstring& step)
    {
        if (step.rfind(L"Checking the copies", 0) == 0)
            throw std::runtime_error("provoked");
    };
    EXPECT_FALSE(SetDir(kNewDir));
    const Texts shown = m_reporter.Texts();
    ASSERT_EQ(shown.size(), 2u);
    std::vector<std::string> lines = LinesOf(shown[1]);
    std::sort(lines.begin() + 1, lines.end() - 1); // the copies in the order they were removed
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "These copies could not be removed:", "\t" + kNewDir + "\\cf1.ini",
                         "\t" + kNewDir + "\\queue.ini", "Please remove them by hand."}))
        << shown[1];
    ASSERT_EQ(m_records.size(), 2u);
    EXPECT_EQ(m_records[0].eventId, 1001u);
    EXPECT_EQ(m_records[1].eventId, 1002u);
    EXPECT_EQ(m_records[1].type, EVENTLOG_ERROR_TYPE);
    EXPECT_NE(m_records[1].strings[1].find(Widen(kNewDir + "\\queue.ini")), std::wstring::npos);

    // A later run makes a journal of its own: the one that accounts for these copies stays.
    m_reporter.onStep = nullptr;
    CommandOptions whatIf;
    whatIf.whatIf = true;
    ChangeQueueDirectory(m_profile, "Alpha", kNewDir, m_reporter, whatIf);
    EXPECT_EQ(FindInterruptedMoves(kProfile).size(), 1u);
    appendOnly.Undo();
}
