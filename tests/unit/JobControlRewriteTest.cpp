// The job control file rewrite on real profile files.
#include "relocate/JobControlRewrite.h"
#include "config/ProfileFile.h"
#include "tests/driver/MessageBoxReading.h"
#include "tests/driver/TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace
{
const std::string kDir = "C:\\kel-unit\\jobs";
const std::string kJob = kDir + "\\cf1.ini";

class JobControlRewriteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DeleteTree(kDir);
        ASSERT_TRUE(MakeDirectories(kDir));
    }
    void TearDown() override { DeleteTree(kDir); }

    // Writes a job control file: [Settings] lines, then [Files] lines.
    static void WriteJob(const std::string& settings, const std::string& files)
    {
        ASSERT_TRUE(WriteFileText(kJob, "[Settings]\r\n" + settings + "[Files]\r\n" + files));
    }
    static std::string Files(const char* key)
    {
        return CProfileFile(kJob).GetString("Files", key, "(absent)");
    }
    static std::string Settings(const char* key)
    {
        return CProfileFile(kJob).GetString("Settings", key, "(absent)");
    }
};
} // namespace

TEST_F(JobControlRewriteTest, PointsEachDataFileAtTheNewDirectory)
{
    WriteJob(
        "Xfer=0\r\nTotalDataFiles=2\r\nCurrentDataFile=1\r\n",
        "File1=Xdata1\r\nFile2=Ydata2\r\ndata1=C:\\old\\data1\r\ndata2=c:\\OLD\\sub\\data2\r\n");
    RewriteJobControlFile(Widen(kJob), "C:\\old", "D:\\new");
    EXPECT_EQ(Files("data1"), "D:\\new\\data1");
    EXPECT_EQ(Files("data2"), "D:\\new\\sub\\data2") << "a subfolder stays a subfolder";
    EXPECT_EQ(Files("File1"), "Xdata1") << "entries are never rewritten";
    EXPECT_EQ(Files("File2"), "Ydata2");
    EXPECT_EQ(Settings("CurrentDataFile"), "(absent)");
    EXPECT_EQ(Settings("Xfer"), "0") << "other keys stay";
}

TEST_F(JobControlRewriteTest, NoCountMeansNoEntriesButCurrentDataFileStillGoes)
{
    for (const char* count : {"", "TotalDataFiles=0\r\n", "TotalDataFiles=-3\r\n"})
    {
        WriteJob(std::string(count) + "CurrentDataFile=2\r\n",
                 "File1=Xdata1\r\ndata1=C:\\old\\data1\r\n");
        RewriteJobControlFile(Widen(kJob), "C:\\old", "D:\\new");
        EXPECT_EQ(Files("data1"), "C:\\old\\data1") << count;
        EXPECT_EQ(Settings("CurrentDataFile"), "(absent)") << count;
    }
}

// Only what the move carried is pointed at the new directory: a file printed by reference from
// elsewhere keeps its path, which still reaches it.
TEST_F(JobControlRewriteTest, OnlyPathsInTheOldDirectoryMove)
{
    WriteJob("TotalDataFiles=5\r\n",
             "File1=Xplain\r\nFile2=Xrooted\r\nFile3=Xdeep\r\nfile4 = X QUOTED \r\n"
             "File5=Xalike\r\nplain=data1\r\nrooted=\\data1\r\ndeep=C:\\a\\b\\c\\data3\r\n"
             "quoted = \"C:\\old\\q\"\r\nalike=C:\\older\\data5\r\n");
    RewriteJobControlFile(Widen(kJob), "C:\\old", "E:\\");
    EXPECT_EQ(Files("plain"), "data1");
    EXPECT_EQ(Files("rooted"), "\\data1");
    EXPECT_EQ(Files("deep"), "C:\\a\\b\\c\\data3");
    EXPECT_EQ(Files("alike"), "C:\\older\\data5") << "a folder that only begins alike";
    EXPECT_EQ(Files("quoted"), "E:\\\\q") << "read as one key is: blanks, case and quotes aside";
}

TEST_F(JobControlRewriteTest, OnlyEntriesOneToCountThatHoldAKeyAreVisited)
{
    WriteJob("TotalDataFiles=3\r\n", "File1=Xa\r\nFile3=Xa\r\nFile4=Xd\r\nFile2=X\r\n"
                                     "a=C:\\old\\a\r\nd=C:\\old\\d\r\n");
    RewriteJobControlFile(Widen(kJob), "C:\\old", "D:\\new");
    EXPECT_EQ(Files("a"), "D:\\new\\a") << "two entries naming one key give one result";
    EXPECT_EQ(Files("d"), "C:\\old\\d") << "File4 lies beyond the count";
    EXPECT_EQ(Files("X"), "(absent)") << "a one-character entry is skipped";
}

TEST_F(JobControlRewriteTest, AnAbsentDataFileKeyIsWrittenEmpty)
{
    WriteJob("TotalDataFiles=1\r\n", "File1=Xmissing\r\n");
    RewriteJobControlFile(Widen(kJob), "C:\\old", "D:\\new");
    const std::string text = ReadFileText(kJob);
    EXPECT_NE(text.find("missing=\r\n"), std::string::npos) << text;
}

TEST_F(JobControlRewriteTest, AHugeCountEndsQuicklyWithThePlainLoopsResult)
{
    WriteJob("TotalDataFiles=2000000000\r\nCurrentDataFile=1\r\n",
             "File1=Xdata1\r\nfile12=Xdata2\r\nFile07=Xdata3\r\n"
             "data1=C:\\old\\data1\r\ndata2=C:\\old\\data2\r\ndata3=C:\\old\\data3\r\n");
    const ULONGLONG start = GetTickCount64();
    RewriteJobControlFile(Widen(kJob), "C:\\old", "D:\\new");
    EXPECT_LT(GetTickCount64() - start, 2000u);
    EXPECT_EQ(Files("data1"), "D:\\new\\data1");
    EXPECT_EQ(Files("data2"), "D:\\new\\data2") << "keys match in any letter case";
    EXPECT_EQ(Files("data3"), "C:\\old\\data3") << "File07 is not the key File7";
    EXPECT_EQ(Settings("CurrentDataFile"), "(absent)");
}

TEST_F(JobControlRewriteTest, AMissingFileOnlyLosesItsCurrentDataFile)
{
    RewriteJobControlFile(Widen(kDir + "\\absent.ini"), "C:\\old", "D:\\new");
    EXPECT_FALSE(FileExists(kDir + "\\absent.ini")) << "deleting from a missing file creates none";
}

TEST_F(JobControlRewriteTest, CountsBeyondIntKeysOfMillionsAndDuplicateKeysEndRight)
{
    WriteJob(
        "TotalDataFiles=3000000000\r\nCurrentDataFile=1\r\nCurrentDataFile=2\r\n"
        "CurrentDataFile=3\r\n",
        "File2=Xdata2\r\nFile9999999=Xdata9\r\ndata2=C:\\old\\data2\r\ndata9=C:\\old\\data9\r\n");
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RewriteJobControlFile(Widen(kJob), "C:\\old", "D:\\new").stored);
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_EQ(Files("data2"), "D:\\new\\data2");
    EXPECT_EQ(Files("data9"), "D:\\new\\data9");
    EXPECT_EQ(Settings("CurrentDataFile"), "(absent)") << "every one of the three is gone";
}

TEST_F(JobControlRewriteTest, ANameTheCodePageCannotWriteFailsInsteadOfABestFit)
{
    // A job written in UTF-16, naming its data file with a character the host code page lacks.
    const std::wstring text =
        L"\xfeff[Settings]\r\nTotalDataFiles=1\r\n[Files]\r\nFile1=X\x0101lpha.prn\r\n"
        L"\x0101lpha.prn=C:\\old\\\x0101lpha.prn\r\n";
    ASSERT_TRUE(WriteFileText(kJob, std::string(reinterpret_cast<const char*>(text.data()),
                                                text.size() * sizeof(wchar_t))));
    const StoreResult result = RewriteJobControlFile(Widen(kJob), "C:\\old", "D:\\new");
    EXPECT_FALSE(result.stored);
    EXPECT_EQ(result.error, static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

// A job that cannot be written gives the platform's error; one whose rewrite outgrows a full
// disk, which the platform cuts short without an error, gives a full disk.
TEST_F(JobControlRewriteTest, AFailedRewriteNamesItsCause)
{
    WriteJob("TotalDataFiles=1\r\nCurrentDataFile=1\r\n", "File1=Xd\r\nd=C:\\old\\d\r\n");
    {
        CImmutableFile locked(kJob);
        if (locked.Made())
        {
            const StoreResult result = RewriteJobControlFile(Widen(kJob), "C:\\old", "D:\\new");
            EXPECT_FALSE(result.stored);
            EXPECT_EQ(result.error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
        }
    }
    const std::string small = kDir + "\\small";
    CSmallDisk disk(small, 16);
    if (!disk.Mounted())
        GTEST_SKIP() << "the host refused to mount a tmpfs (it needs root)";
    const std::string job = small + "\\cf1.ini";
    ASSERT_TRUE(WriteFileText(job, "[Settings]\r\nTotalDataFiles=1\r\n[Files]\r\nFile1=Xd\r\n"
                                   "d=C:\\old\\d\r\n[Padding]\r\nx=" +
                                       std::string(3896, 'x') + "\r\n"));
    WriteFileText(small + "\\filler", std::string(64 * 1024, 'f')); // fills the disk up
    const StoreResult full =
        RewriteJobControlFile(Widen(job), "C:\\old", "D:\\" + std::string(200, 'n'));
    EXPECT_FALSE(full.stored);
    EXPECT_EQ(full.error, static_cast<DWORD>(ERROR_DISK_FULL));
}
