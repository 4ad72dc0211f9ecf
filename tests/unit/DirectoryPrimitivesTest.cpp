// The directory primitives against the real file system, with their messages read back.
#include "relocate/DirectoryPrimitives.h"
#include "base/ErrorTexts.h"
#include "relocate/AdministratorsOnly.h"
#include "relocate/FileIdentity.h"
#include "tests/driver/MessageBoxReading.h"
#include "tests/driver/TestFiles.h"
#include "tests/unit/RecordingReporter.h"

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

namespace
{
const char kDir[] = "C:\\kel-unit\\prim";

class DirectoryPrimitivesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DeleteTree(kDir);
        ASSERT_TRUE(MakeDirectories(kDir));
        ASSERT_TRUE(SetCurrentDirectoryA(kDir));
    }
    void TearDown() override
    {
        SetCurrentDirectoryA("C:\\");
        DeleteTree(kDir);
    }
    CRecordingReporter m_reporter;
};
} // namespace

TEST_F(DirectoryPrimitivesTest, EmptyPathShowsMessage13AndLeavesErrorNumber2)
{
    errno = 0;
    EXPECT_EQ(ChangeDirectory("", m_reporter), -1);
    EXPECT_EQ(errno, ENOENT);
    ASSERT_EQ(m_reporter.messages.size(), 1u);
    EXPECT_EQ(m_reporter.Texts()[0], "Trying to chdir to an empty dir");
    EXPECT_EQ(m_reporter.messages[0].iconKind, MB_ICONEXCLAMATION);
    EXPECT_EQ(CurrentDir(), kDir);
}

TEST_F(DirectoryPrimitivesTest, EntersDirectoriesOnTheCurrentDriveInEitherLetterCase)
{
    ASSERT_TRUE(MakeDirectories(std::string(kDir) + "\\sub"));
    EXPECT_EQ(ChangeDirectory("c:\\kel-unit\\prim\\sub", m_reporter), 0);
    EXPECT_EQ(lstrcmpiA(CurrentDir().c_str(), "C:\\kel-unit\\prim\\sub"), 0) << CurrentDir();
    EXPECT_EQ(ChangeDirectory("Z:\\", m_reporter), 0) << "another drive is selected first";
    EXPECT_EQ(CurrentDir(), "Z:\\");
    EXPECT_EQ(ChangeDirectory(kDir, m_reporter), 0);
    EXPECT_EQ(CurrentDir(), kDir);
    EXPECT_TRUE(m_reporter.messages.empty());
}

TEST_F(DirectoryPrimitivesTest, ADriveThatCannotBeSelectedShowsMessage14AsWritten)
{
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    for (const char* path : {"q:\\spool", "\\logfiles"})
    {
        m_reporter.messages.clear();
        errno = 0;
        EXPECT_EQ(ChangeDirectory(path, m_reporter), -1) << path;
        EXPECT_EQ(errno, ENOENT) << path;
        ASSERT_EQ(m_reporter.messages.size(), 1u) << path;
        EXPECT_EQ(m_reporter.Texts()[0], std::string("Failed to change to drive ") + path[0] + ":");
        EXPECT_EQ(m_reporter.messages[0].iconKind, MB_ICONINFORMATION) << path;
        EXPECT_EQ(CurrentDir(), kDir) << path << ": the current drive and directory stay";
    }
    EXPECT_EQ(SetErrorMode(previousMode), static_cast<UINT>(SEM_FAILCRITICALERRORS))
        << "the error mode is restored";
}

TEST_F(DirectoryPrimitivesTest, ADirectoryThatCannotBeEnteredShowsNothing)
{
    errno = 0;
    EXPECT_EQ(ChangeDirectory("C:\\kel-unit\\prim\\missing", m_reporter), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(m_reporter.messages.empty());
}

TEST_F(DirectoryPrimitivesTest, CheckAccessTellsExistenceAndWritability)
{
    const std::string file = std::string(kDir) + "\\file.txt";
    const std::string locked = std::string(kDir) + "\\locked.txt";
    ASSERT_TRUE(WriteFileText(file, "x"));
    ASSERT_TRUE(WriteFileText(locked, "x"));
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(CheckAccess(file, kAccessExists), 0);
    EXPECT_EQ(CheckAccess(file, kAccessWritable), 0);
    EXPECT_EQ(CheckAccess(kDir, kAccessWritable), 0);
    EXPECT_EQ(CheckAccess(locked, kAccessExists), 0);
    errno = 0;
    EXPECT_EQ(CheckAccess(locked, kAccessWritable), -1);
    EXPECT_EQ(errno, EACCES);
    errno = 0;
    EXPECT_EQ(CheckAccess(std::string(kDir) + "\\none", kAccessExists), -1);
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_EQ(CheckAccess("q:\\none", kAccessExists), -1);
    EXPECT_EQ(errno, ENOENT);
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DirectoryPrimitivesTest, MakeDirectoryCreatesOneLevel)
{
    const std::string fresh = std::string(kDir) + "\\fresh";
    EXPECT_EQ(MakeDirectory(fresh), 0);
    EXPECT_TRUE(FileExists(fresh));
    errno = 0;
    EXPECT_EQ(MakeDirectory(fresh), -1);
    EXPECT_EQ(errno, EEXIST);
    errno = 0;
    EXPECT_EQ(MakeDirectory(std::string(kDir) + "\\no\\such"), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(DirectoryPrimitivesTest, FindNamesListsEveryMatchUnfiltered)
{
    ASSERT_TRUE(WriteFileText(std::string(kDir) + "\\CF1.INI", ""));
    ASSERT_TRUE(WriteFileText(std::string(kDir) + "\\cf2.ini", ""));
    ASSERT_TRUE(WriteFileText(std::string(kDir) + "\\noext", ""));
    ASSERT_TRUE(MakeDirectories(std::string(kDir) + "\\cfdir.ini"));

    std::vector<std::string> all;
    FindNames("*", all);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all,
              (std::vector<std::string>{".", "..", "CF1.INI", "cf2.ini", "cfdir.ini", "noext"}));

    std::vector<std::string> dotted = {"kept"};
    FindNames("*.*", dotted);
    EXPECT_EQ(dotted.size(), 7u) << "appends, and *.* matches names without a dot too";

    std::vector<std::string> jobs;
    FindNames("cf*.ini", jobs);
    std::sort(jobs.begin(), jobs.end());
    EXPECT_EQ(jobs, (std::vector<std::string>{"CF1.INI", "cf2.ini", "cfdir.ini"}));

    std::vector<std::string> none;
    FindNames("nothing*", none);
    EXPECT_TRUE(none.empty());
}

TEST(PlatformErrorsTest, MapsPlatformCodesAsTheRunTimeLibraryDoes)
{
    EXPECT_EQ(ErrnoFromPlatformError(ERROR_FILE_NOT_FOUND), ENOENT);
    EXPECT_EQ(ErrnoFromPlatformError(ERROR_PATH_NOT_FOUND), ENOENT);
    EXPECT_EQ(ErrnoFromPlatformError(ERROR_NO_MORE_FILES), ENOENT);
    for (DWORD code = 19; code <= 36; ++code)
        EXPECT_EQ(ErrnoFromPlatformError(code), EACCES) << code;
    EXPECT_EQ(ErrnoFromPlatformError(ERROR_ACCESS_DENIED), EACCES);
    EXPECT_EQ(ErrnoFromPlatformError(ERROR_FILE_EXISTS), EEXIST);
    EXPECT_EQ(ErrnoFromPlatformError(ERROR_ALREADY_EXISTS), EEXIST);
    EXPECT_EQ(ErrnoFromPlatformError(ERROR_NOT_SAME_DEVICE), EXDEV);
    EXPECT_EQ(ErrnoFromPlatformError(ERROR_TOO_MANY_OPEN_FILES), EMFILE);
    EXPECT_EQ(ErrnoFromPlatformError(ERROR_DISK_FULL), ENOSPC);
    EXPECT_EQ(ErrnoFromPlatformError(99999), EINVAL);
    EXPECT_EQ(ErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(ErrorText(EEXIST), "File exists");
    EXPECT_EQ(ErrorText(ENOSPC), "No space left on device");
}

TEST(FileIdentityTest, AnIndexOfZeroIsUnknownAndAMatchNeedsTheSameFinalName)
{
    const FileIdentity known{7, 42, L"\\\\?\\C:\\kel\\queues"};
    const FileIdentity sameIndexOtherName{7, 42, L"\\\\?\\C:\\kel\\other"};
    const FileIdentity noIndexSameName{7, 0, L"\\\\?\\c:\\KEL\\Queues"};
    const FileIdentity noIndexOtherName{7, 0, L"\\\\?\\C:\\kel\\other"};
    const FileIdentity noIndexNoName{7, 0, L""};
    EXPECT_TRUE(IsSameObject(known, known));
    EXPECT_FALSE(IsSameObject(known, sameIndexOtherName));
    EXPECT_TRUE(IsSameObject(known, noIndexSameName));
    EXPECT_FALSE(IsSameObject(noIndexSameName, noIndexOtherName));
    EXPECT_FALSE(IsSameObject(noIndexNoName, noIndexNoName)) << "nothing known, nothing matched";

    const FileIdentity inner{7, 43, L"\\\\?\\C:\\kel\\queues\\alpha\\sub"};
    const FileIdentity lookAlike{7, 44, L"\\\\?\\C:\\kel\\queues2"};
    EXPECT_TRUE(IsOrHolds(known, inner));
    EXPECT_FALSE(IsOrHolds(inner, known));
    EXPECT_FALSE(IsOrHolds(known, lookAlike)) << "a name that only begins alike";
}

// A job file held open while the profile functions rewrite it is proved from the handle only
// while its path still shows the same file.
TEST_F(DirectoryPrimitivesTest, AHeldEntryProvesARewriteInPlaceButNotAReplacement)
{
    const std::string job = std::string(kDir) + "\\cf1.ini";
    WriteFileText(job, "[Settings]\r\n");
    const std::wstring path(job.begin(), job.end());
    FileIdentity rewritten;
    {
        const CHeldEntry held(path);
        ASSERT_TRUE(
            WritePrivateProfileStringA("Files", "df1.prn", "C:\\new\\df1.prn", job.c_str()));
        ASSERT_TRUE(held.ReadRewritten(rewritten));
        EXPECT_EQ(rewritten.size, ReadFileText(job).size());
    }
    const CHeldEntry held(path);
    ASSERT_TRUE(MoveFileA(job.c_str(), (job + ".old").c_str()));
    WriteFileText(job, "[Settings]\r\nput there meanwhile\r\n");
    EXPECT_FALSE(held.ReadRewritten(rewritten));
}

// The owner and the list decide who may change the journals' folder or a program's; Wine keeps
// neither an owner nor a protected list, so they are judged here as descriptors.
TEST(AdministratorsOnlyTest, OnlyAnAdministratorsOwnerAndListLeaveTheFolderToAdministrators)
{
    const std::pair<const wchar_t*, Changers> cases[] = {
        {L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", Changers::kAdministratorsOnly},
        {L"O:BAD:(A;;FA;;;BA)(A;;0x1200a9;;;WD)(A;;0x1200a9;;;BU)", Changers::kAdministratorsOnly},
        {L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;FA;;;BA)",
         Changers::kAdministratorsOnly},
        {L"O:BUD:(A;;FA;;;BA)", Changers::kOthersOwn},
        {L"O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;AU)", Changers::kOthersWrite},
        {L"O:BAD:(A;;FA;;;BA)(A;OICI;0x100002;;;BU)", Changers::kOthersWrite},
        {L"O:BA", Changers::kOthersWrite},
    };
    for (const auto& c : cases)
    {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.first, SDDL_REVISION_1,
                                                                         &descriptor, nullptr));
        EXPECT_EQ(ChangersOf(descriptor), c.second) << Narrow(c.first);
        LocalFree(descriptor);
    }
    // An entry of another kind that grants the right to change counts as granting it to others.
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    BYTE admins[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof admins;
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size));
    SetSecurityDescriptorOwner(&descriptor, admins, FALSE);
    alignas(DWORD) BYTE list[256];
    InitializeAcl(reinterpret_cast<PACL>(list), sizeof list, ACL_REVISION_DS);
    // An object entry naming no object kind: its account follows its flags at once.
    alignas(DWORD) BYTE entry[64] = {};
    const WORD entrySize = static_cast<WORD>(3 * sizeof(DWORD) + GetLengthSid(admins));
    *reinterpret_cast<ACE_HEADER*>(entry) = {ACCESS_ALLOWED_OBJECT_ACE_TYPE, 0, entrySize};
    reinterpret_cast<DWORD*>(entry)[1] = FILE_ALL_ACCESS;
    CopySid(GetLengthSid(admins), entry + 3 * sizeof(DWORD), admins);
    ASSERT_TRUE(AddAce(reinterpret_cast<PACL>(list), ACL_REVISION_DS, MAXDWORD, entry, entrySize));
    SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(list), FALSE);
    EXPECT_EQ(ChangersOf(&descriptor), Changers::kOthersWrite);
}
