#pragma once

#include "tests/e2e/AdminFixture.h"

#include <map>
#include <string>

// The site of the tests of "Set Dir", from the dialog and from the command line: queues Beta
// and Alpha with three jobs each (two data files a job), Gamma without a directory, and an
// empty new directory.

inline const std::string kAlphaDir = "C:\\kel\\queues\\alpha";
inline const std::string kBetaDir = "C:\\kel\\queues\\beta";
inline const std::string kNewDir = "C:\\kel\\queues\\new";

// A job control file of job `id` whose two data files lie in `dir`.
std::string JobFile(const std::string& dir, const std::string& id, int xfer, int print);
// A queue directory with queue.ini, jobs 1 to 3 (job 2 in transfer, job 3 printing, as asked)
// and their data files.
void MakeQueue(const std::string& dir, int xfer2 = 0, int print3 = 0);
// A queue long enough to move for the progress window to appear: queue.ini and `jobs` jobs of
// one job control file and one data file each.
void MakeLongQueue(const std::string& dir, int jobs);
std::string LastLine(const std::string& text);
bool StartsWith(const std::string& text, const std::string& start);

class QueueSiteFixture : public AdminFixture
{
protected:
    void SetUp() override;
    static std::string StoredDir(const char* queue);
    // Replaces Alpha's directory by a long queue.
    void MakeAlphaLong();
    void ExpectNothingCarriedStoredOrPosted(const std::string& serverBefore);
    // After a completed move every job control file in `dir` points at `dir`.
    static void ExpectJobsPointAt(const std::string& dir);

    static constexpr int kLongQueueJobs = 750; // 1,501 files
    std::map<std::string, std::string> m_alphaFiles;
};
