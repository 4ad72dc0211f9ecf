// bench/setdir: a whole "Set Dir" at scale through the real dialog, against the platform's
// own copy and profile calls, side by side in one run; how long the dialog's thread went
// without handling its messages meanwhile; and the dialog's start-up with many queues listed.
//
//   setdir.exe
//
// Each queue is made here: n job control files with one data file each, and queue.ini. The
// command is timed from the click on "Set Dir" until the dialog has handled it. Its baselines
// are two passes of CopyFileA over the same files into a fresh directory, and the same profile
// calls made directly (the busy test of every job control file, then the rewrite of each copy).
// Throughout the command a second thread sends WM_NULL to the dialog and waits for the answer,
// every few milliseconds: the longest wait is the longest gap between two pumps of the thread.
#include "bench/BenchSupport.h"
#include "res/resource.h"
#include "tests/driver/ResponsivenessProbe.h"
#include "tests/driver/TestFiles.h"
#include "tests/driver/ToolProcess.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace
{
const std::string kRoot = "C:\\kel-bench\\setdir";
const std::string kTool = kRoot + "\\tool\\kel-admin.exe";
const std::string kServerProfile = kRoot + "\\tool\\kel.ini";
const std::string kSystemProfile = "C:\\windows\\kel.ini";

struct Timing
{
    double command;
    double copy;
    double profile;
    double longestGapMs;
};

std::string JobName(int job)
{
    return "cf" + std::to_string(job) + ".ini";
}

void MakeQueue(const std::string& dir, int jobs)
{
    MakeDirectories(dir);
    WriteFileText(dir + "\\queue.ini", "[Queue]\r\n");
    for (int job = 1; job <= jobs; ++job)
    {
        const std::string data = "df" + std::to_string(job) + ".prn";
        WriteFileOfSize(dir + "\\" + data, 2000 + static_cast<size_t>(job % 7) * 300);
        WriteFileText(dir + "\\" + JobName(job),
                      "[Settings]\r\nXfer=0\r\nPrint=0\r\nTotalDataFiles=1\r\nCurrentDataFile=1\r\n"
                      "[Files]\r\nFile1=X" +
                          data + "\r\n" + data + "=" + dir + "\\" + data + "\r\n");
    }
}

// The profile calls of the command, made directly: the busy test in the old directory, then
// the rewrite of every job control file in `copied`.
void ProfileCallsDirectly(const std::string& oldDir, const std::string& copied, int jobs)
{
    for (int job = 1; job <= jobs; ++job)
    {
        const std::string path = oldDir + "\\" + JobName(job);
        if (GetPrivateProfileIntA("Settings", "Xfer", 0, path.c_str()) == 0)
            GetPrivateProfileIntA("Settings", "Print", 0, path.c_str());
    }
    char value[1024];
    for (int job = 1; job <= jobs; ++job)
    {
        const std::string path = copied + "\\" + JobName(job);
        const UINT total = GetPrivateProfileIntA("Settings", "TotalDataFiles", 0, path.c_str());
        WritePrivateProfileStringA("Settings", "CurrentDataFile", nullptr, path.c_str());
        for (UINT i = 1; i <= total; ++i)
        {
            const std::string entry = "File" + std::to_string(i);
            GetPrivateProfileStringA("Files", entry.c_str(), "", value, sizeof value, path.c_str());
            const std::string key = value + 1;
            GetPrivateProfileStringA("Files", key.c_str(), "", value, sizeof value, path.c_str());
            const std::string name = std::string(value).substr(std::string(value).rfind('\\'));
            WritePrivateProfileStringA("Files", key.c_str(), (copied + name).c_str(), path.c_str());
        }
    }
}

Timing Measure(int jobs)
{
    const std::string set = kRoot + "\\q" + std::to_string(jobs);
    const std::string oldDir = set + "\\old";
    DeleteTree(set);
    MakeQueue(oldDir, jobs);
    MakeDirectories(set + "\\new");
    WriteFileText(kServerProfile,
                  "[Queues]\r\nQueue1=Bench\r\n[Bench]\r\nqueuedir=" + oldDir + "\r\n");

    // The baselines run before and after the command, and the faster run counts, so that
    // neither side profits from the other's page cache or write-back.
    Timing timing = {0, 1e9, 1e9, 0};
    const auto runBaselines = [&](const std::string& copied)
    {
        MakeDirectories(copied);
        long long begin = Now();
        CopyTwiceWithCopyFile(oldDir, copied);
        timing.copy = std::min(timing.copy, SecondsSince(begin));
        begin = Now();
        ProfileCallsDirectly(oldDir, copied, jobs);
        timing.profile = std::min(timing.profile, SecondsSince(begin));
        DeleteTree(copied);
    };
    runBaselines(set + "\\before");

    CToolProcess tool;
    if (!tool.Start(kTool) || !tool.BrowseTo(IDC_BROWSE_QUEUE, set + "\\new"))
    {
        std::printf("the tool could not be driven\n");
        return timing;
    }
    CResponsivenessProbe probe(tool.Dialog(), 2, 60000);
    const long long start = Now();
    tool.ClickAndWait(IDC_SET_DIR, 600000);
    timing.command = SecondsSince(start);
    probe.Stop();
    timing.longestGapMs = probe.LongestWaitMs();
    const bool clean = tool.FindMessageBox() == nullptr;
    tool.Kill();
    runBaselines(set + "\\after");

    const double baseline = timing.copy + timing.profile;
    std::printf("%5d jobs (%5d files)  Set Dir %7.2f s   2x CopyFileA %7.2f s + profile calls "
                "%6.2f s = %7.2f s   command/baseline %.2f (target <= 1.2)   longest gap "
                "%.0f ms (target <= 100)%s\n",
                jobs, 2 * jobs + 1, timing.command, timing.copy, timing.profile, baseline,
                timing.command / baseline, timing.longestGapMs,
                clean ? "" : "  (A MESSAGE WAS SHOWN)");
    std::fflush(stdout);
    DeleteTree(set);
    return timing;
}

// Mean start-up time, from process creation to the dialog having handled its first message.
double StartupSeconds(int queues)
{
    std::string profile = "[Queues]\r\n";
    for (int n = 1; n <= queues; ++n)
        profile += "Queue" + std::to_string(n) + "=Queue " + std::to_string(n) + "\r\n";
    WriteFileText(kServerProfile, profile);
    const int runs = 5;
    double total = 0;
    for (int run = 0; run < runs; ++run)
    {
        CToolProcess tool;
        const long long start = Now();
        tool.Start(kTool);
        total += SecondsSince(start);
        if (tool.ComboCount(IDC_QUEUE_LIST) != queues)
            std::printf("start-up with %d queues listed %d\n", queues,
                        tool.ComboCount(IDC_QUEUE_LIST));
    }
    return total / runs;
}
} // namespace

int main()
{
    DeleteTree(kRoot);
    MakeDirectories(kRoot + "\\tool");
    CopyFileA((ThisProgramDirectory() + "kel-admin.exe").c_str(), kTool.c_str(), FALSE);
    WriteFileText(kSystemProfile, "[Settings]\r\n");

    const Timing small = Measure(500);
    const Timing large = Measure(2500);
    const double commandGrowth = large.command / small.command;
    const double baselineGrowth = (large.copy + large.profile) / (small.copy + small.profile);
    std::printf("\ngrowth 2500/500: Set Dir %.2f, baselines %.2f (2x CopyFileA %.2f, profile "
                "calls %.2f); command growth / baseline growth %.2f (target <= 1.0)\n",
                commandGrowth, baselineGrowth, large.copy / small.copy,
                large.profile / small.profile, commandGrowth / baselineGrowth);

    const double one = StartupSeconds(1);
    const double thousand = StartupSeconds(1000);
    std::printf("start-up: 1 queue %.3f s, 1,000 queues %.3f s, ratio %.2f (target < 2)\n", one,
                thousand, thousand / one);
    DeleteTree(kRoot);
    DeleteFileA(kSystemProfile.c_str());
    return 0;
}
