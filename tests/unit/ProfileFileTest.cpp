// CProfileFile against the platform's own private-profile functions: the semantics that the
// tool and the print server rely on.
#include "config/ProfileFile.h"
#include "base/ErrorTexts.h"
#include "config/ProfileStore.h"
#include "tests/driver/TestFiles.h"

#include <gtest/gtest.h>

namespace
{
const char kDir[] = "C:\\kel-unit\\profile";

class ProfileFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DeleteTree(kDir);
        ASSERT_TRUE(MakeDirectories(kDir));
    }
    void TearDown() override { DeleteTree(kDir); }

    static std::string PathOf(const char* name) { return std::string(kDir) + "\\" + name; }

    static CProfileFile Prepared(const char* name, const std::string& text)
    {
        EXPECT_TRUE(WriteFileText(PathOf(name), text));
        return CProfileFile(PathOf(name));
    }
};
} // namespace

TEST_F(ProfileFileTest, EmptyValueMissingKeyMissingSectionAndMissingFileReadAlike)
{
    CProfileFile file = Prepared("a.ini", "[S]\r\nEmpty=\r\nFull=x\r\n");
    CProfileFile absent(PathOf("absent.ini"));
    EXPECT_EQ(file.GetString("S", "Full"), "x");
    EXPECT_EQ(file.GetString("S", "Empty"), "");
    EXPECT_EQ(file.GetString("S", "Empty", "dflt"), "dflt");
    EXPECT_EQ(file.GetString("S", "Missing", "dflt"), "dflt");
    EXPECT_EQ(file.GetString("Nowhere", "Full"), "");
    EXPECT_EQ(absent.GetString("S", "Full"), "");
    EXPECT_EQ(absent.GetString("S", "Full", "dflt"), "dflt");
    EXPECT_FALSE(FileExists(PathOf("absent.ini"))) << "a read never creates a file";
}

TEST_F(ProfileFileTest, LongValueIsCutTo1023Characters)
{
    const std::string value(1500, 'v');
    CProfileFile file = Prepared("long.ini", "[S]\r\nKey=" + value + "\r\n");
    EXPECT_EQ(file.GetString("S", "Key"), value.substr(0, 1023));
}

TEST_F(ProfileFileTest, WriteCreatesFileSectionAndKeyAndLeavesOthersAlone)
{
    CProfileFile file(PathOf("new.ini"));
    EXPECT_NE(file.WriteString("Settings", "QueueDir", "C:\\root 100%\\x"), FALSE);
    EXPECT_EQ(file.GetString("Settings", "QueueDir"), "C:\\root 100%\\x");

    file.WriteString("Other", "Key", "1");
    file.WriteString("Settings", "QueueDir", "D:\\next");
    EXPECT_EQ(file.GetString("Settings", "QueueDir"), "D:\\next");
    EXPECT_EQ(file.GetString("Other", "Key"), "1");
}

TEST_F(ProfileFileTest, SectionAndKeyNamesMatchInAnyCase)
{
    CProfileFile file = Prepared("case.ini", "[ALPHA]\r\nQUEUEDIR=C:\\q\\alpha\r\n");
    EXPECT_EQ(file.GetString("Alpha", "queuedir"), "C:\\q\\alpha");
    file.WriteString("alpha", "QueueDir", "C:\\q\\new");
    EXPECT_EQ(file.GetString("ALPHA", "QUEUEDIR"), "C:\\q\\new");
    const std::string text = ReadFileText(PathOf("case.ini"));
    EXPECT_EQ(text.find("QueueDir="), std::string::npos) << "the existing key was replaced:\n"
                                                         << text;
}

TEST_F(ProfileFileTest, IntegersAndFlags)
{
    CProfileFile file = Prepared("job.ini", "[Settings]\r\nXfer=2\r\nPrint=0\r\nTotal=17\r\n");
    EXPECT_EQ(file.GetInt("Settings", "Total", 0), 17u);
    EXPECT_EQ(file.GetInt("Settings", "Missing", 0), 0u);
    EXPECT_EQ(file.GetInt("Settings", "Missing", 5), 5u);
    EXPECT_EQ(file.GetFlag("Settings", "Xfer", 0), 1);
    EXPECT_EQ(file.GetFlag("Settings", "Print", 0), 0);
    EXPECT_EQ(file.GetFlag("Settings", "Missing", 0), 0);
}

TEST_F(ProfileFileTest, DeleteRemovesOneKeyAndAFlushDeletesNothing)
{
    const std::string text = "[Settings]\r\nKeep=1\r\nCurrentDataFile=3\r\n[Files]\r\nFile1=Xd\r\n";
    CProfileFile file = Prepared("del.ini", text);

    file.DeleteKey("Settings", "NotThere");
    file.DeleteKey(nullptr, nullptr);
    EXPECT_EQ(file.GetString("Settings", "Keep"), "1");
    EXPECT_EQ(file.GetString("Settings", "CurrentDataFile"), "3");
    EXPECT_EQ(file.GetString("Files", "File1"), "Xd");

    file.DeleteKey("Settings", "CurrentDataFile");
    file.DeleteKey(nullptr, nullptr);
    EXPECT_EQ(file.GetString("Settings", "CurrentDataFile"), "");
    EXPECT_EQ(file.GetString("Settings", "Keep"), "1");
    const std::string after = ReadFileText(PathOf("del.ini"));
    EXPECT_EQ(after.find("CurrentDataFile"), std::string::npos) << after;
    EXPECT_NE(after.find("File1=Xd"), std::string::npos) << after;
}

TEST_F(ProfileFileTest, RebindingReadsTheNewFile)
{
    Prepared("one.ini", "[Settings]\r\nXfer=0\r\n");
    Prepared("two.ini", "[Settings]\r\nXfer=1\r\n");
    CProfileFile file;
    EXPECT_EQ(file.GetPath(), "");
    file.SetPath(PathOf("one.ini"));
    EXPECT_EQ(file.GetFlag("Settings", "Xfer", 0), 0);
    file.SetPath(PathOf("two.ini"));
    EXPECT_EQ(file.GetFlag("Settings", "Xfer", 0), 1);
}

TEST_F(ProfileFileTest, ACheckedStoreOnlySucceedsWhenTheValueReadsBack)
{
    CProfileFile file = Prepared("store.ini", "[S]\r\nk=old\r\nother=kept\r\n");
    const StoreResult done = StoreSetting(file, {"S", "k", "old", "new", false});
    EXPECT_TRUE(done.stored);
    EXPECT_EQ(file.GetString("S", "k"), "new");

    // A value that another program changed since it was read is not overwritten.
    const StoreResult differs = StoreSetting(file, {"S", "k", "old", "newer", true});
    EXPECT_FALSE(differs.stored);
    EXPECT_EQ(differs.error, 0u) << "another program changed it: no platform error";
    EXPECT_EQ(file.GetString("S", "k"), "new");
    EXPECT_EQ(file.GetString("S", "other"), "kept");

    // A failed call gives the platform's error, and later changes are not made.
    CProfileFile nowhere(PathOf("missing\\dir.ini"));
    CCheckedChanges changes(nowhere);
    EXPECT_FALSE(changes.Write("S", "k", "v"));
    EXPECT_FALSE(changes.Remove("S", "k"));
    EXPECT_EQ(changes.Finish().error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// A full volume: a store whose file fits still lands (its read-back decides), and the texts of
// a full volume and of a path too long read as what they are.
TEST_F(ProfileFileTest, AStoreOnAFullVolumeIsJudgedByItsReadBack)
{
    EXPECT_EQ(ErrorText(ErrnoFromPlatformError(ERROR_HANDLE_DISK_FULL)), "No space left on device");
    EXPECT_EQ(ErrorText(ErrnoFromPlatformError(1295)), "No space left on device") << "quota";
    EXPECT_EQ(ErrorText(ErrnoFromPlatformError(ERROR_FILENAME_EXCED_RANGE)), "File name too long");
    const std::string small = std::string(kDir) + "\\small";
    CSmallDisk disk(small, 16);
    if (!disk.Mounted())
        GTEST_SKIP() << "the host refused to mount a tmpfs (it needs root)";
    const CProfileFile file(small + "\\kel.ini");
    ASSERT_TRUE(
        WriteFileText(file.GetPath(), "[WindowPos]\r\nMain=2,1,-1,-1,-1,-1,44,44,684,532\r\n"));
    WriteFileText(small + "\\filler", std::string(64 * 1024, 'f')); // fills the disk up
    const StoreResult stored =
        StoreSetting(file, {"WindowPos", "Main", "2,1,-1,-1,-1,-1,44,44,684,532",
                            "2,0,-1,-1,-1,-1,44,44,684,532", false});
    EXPECT_TRUE(stored.stored) << stored.error;
    EXPECT_EQ(file.GetString("WindowPos", "Main"), "2,0,-1,-1,-1,-1,44,44,684,532");

    // One that outgrows the file's last block cuts another entry short: the store fails, names
    // what it could not write back, and puts the old value back while it still can.
    const std::string padding(4096 - 60, 'p');
    ASSERT_TRUE(WriteFileText(file.GetPath(), "[WindowPos]\r\nMain=2,0,-1,-1,-1,-1,44,44,684,532"
                                              "\r\n[Padding]\r\nx=" +
                                                  padding + "\r\n"));
    const StoreResult cut =
        StoreSetting(file, {"WindowPos", "Main", "2,0,-1,-1,-1,-1,44,44,684,532",
                            "2,3,-100000,-100000,-100000,-100000,44,44,684,532", false});
    EXPECT_FALSE(cut.stored);
    EXPECT_EQ(cut.error, static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(cut.lost, std::vector<std::string>{"[Padding] x"});
    EXPECT_EQ(file.GetString("WindowPos", "Main"), "2,0,-1,-1,-1,-1,44,44,684,532");
}
