#include "tests/e2e/QueueSite.h"

#include "config/ProfileFile.h"

std::string JobFile(const std::string& dir, const std::string& id, int xfer, int print)
{
    return "[Settings]\r\nXfer=" + std::to_string(xfer) + "\r\nPrint=" + std::to_string(print) +
           "\r\nTotalDataFiles=2\r\nCurrentDataFile=1\r\n[Files]\r\nFile1=Xd" + id +
           "a\r\nFile2=Yd" + id + "b\r\nd" + id + "a=" + dir + "\\d" + id + "a\r\nd" + id +
           "b=" + dir + "\\d" + id + "b\r\n";
}

void MakeQueue(const std::string& dir, int xfer2, int print3)
{
    ASSERT_TRUE(MakeDirectories(dir));
    ASSERT_TRUE(WriteFileText(dir + "\\queue.ini", "[Queue]\r\nName=q\r\n"));
    ASSERT_TRUE(WriteFileText(dir + "\\cf1.ini", JobFile(dir, "1", 0, 0)));
    ASSERT_TRUE(WriteFileText(dir + "\\cf2.ini", JobFile(dir, "2", xfer2, 0)));
    ASSERT_TRUE(WriteFileText(dir + "\\CF3.INI", JobFile(dir, "3", 0, print3)));
    for (const char* name : {"d1a", "d1b", "d2a", "d2b", "d3a", "d3b"})
        ASSERT_TRUE(WriteFileText(dir + "\\" + name, std::string("data of ") + name + "\r\n"));
}

void MakeLongQueue(const std::string& dir, int jobs)
{
    ASSERT_TRUE(MakeDirectories(dir));
    ASSERT_TRUE(WriteFileText(dir + "\\queue.ini", "[Queue]\r\n"));
    for (int job = 1; job <= jobs; ++job)
    {
        const std::string data = "df" + std::to_string(job) + ".prn";
        ASSERT_TRUE(WriteFileText(dir + "\\" + data, std::string(1000 + job, 'p')));
        ASSERT_TRUE(WriteFileText(dir + "\\cf" + std::to_string(job) + ".ini",
                                  "[Settings]\r\nTotalDataFiles=1\r\n[Files]\r\nFile1=X" + data +
                                      "\r\n" + data + "=" + dir + "\\" + data + "\r\n"));
    }
}

std::string LastLine(const std::string& text)
{
    return text.substr(text.rfind('\n') + 1);
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return !text.empty() && text.rfind(start, 0) == 0;
}

std::string QueueSiteFixture::StoredDir(const char* queue)
{
    return CProfileFile(kServerProfile).GetString(queue, "queuedir");
}

void QueueSiteFixture::MakeAlphaLong()
{
    DeleteTree(kAlphaDir);
    MakeLongQueue(kAlphaDir, kLongQueueJobs);
    m_alphaFiles = SnapshotFiles(kAlphaDir);
}

void QueueSiteFixture::ExpectNothingCarriedStoredOrPosted(const std::string& serverBefore)
{
    EXPECT_EQ(ReadFileText(kServerProfile), serverBefore);
    EXPECT_EQ(SnapshotFiles(kAlphaDir), m_alphaFiles) << "the old directory keeps its files";
    FlushBroadcasts();
    EXPECT_EQ(m_listener.Received().size(), 0u);
    EXPECT_EQ(m_server.AdminLines().size(), 0u);
}

void QueueSiteFixture::ExpectJobsPointAt(const std::string& dir)
{
    for (const char* job : {"cf1.ini", "cf2.ini", "CF3.INI"})
    {
        const CProfileFile file(dir + "\\" + job);
        EXPECT_EQ(file.GetString("Settings", "CurrentDataFile", "(absent)"), "(absent)") << job;
        for (const std::string& entry :
             {file.GetString("Files", "File1"), file.GetString("Files", "File2")})
        {
            const std::string path = file.GetString("Files", entry.substr(1).c_str());
            EXPECT_EQ(path, dir + "\\" + entry.substr(1)) << job;
        }
    }
}

void QueueSiteFixture::SetUp()
{
    AdminFixture::SetUp();
    WriteProfile(kSystemProfile, "[Settings]\nQueueDir=C:\\kel\\root\n");
    WriteProfile(kServerProfile, "[WindowPos]\nMain=0,1,-1,-1,-1,-1,10,20,630,470\n"
                                 "[Queues]\nQueue1=Beta\nQueue2=Alpha\nQueue3=Gamma\n"
                                 "[Alpha]\nqueuedir=" +
                                     kAlphaDir +
                                     "\n"
                                     "[Beta]\nqueuedir=" +
                                     kBetaDir + "\n[Gamma]\n");
    MakeQueue(kAlphaDir);
    MakeQueue(kBetaDir);
    ASSERT_TRUE(MakeDirectories(kNewDir));
    m_alphaFiles = SnapshotFiles(kAlphaDir);
}
