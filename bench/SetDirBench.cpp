// bench/setdir: a whole "Set Dir" at scale through the real dialog, against the platform's
// own copy and profile calls, side by side in one run; how long the dialog's thread went
// without handling its messages meanwhile; where the command's time goes; and the dialog's
// start-up with many queues listed.
//
//   setdir.exe [--small | --jobs N | --startup]   (--small: a tenth of the jobs, for a quick
//       look; --jobs N: one queue of N jobs; --startup: the start-up alone; neither with targets)
//
// Each queue is made here: n job control files with one data file each, and queue.ini. The
// command is timed from the click on "Set Dir" until the dialog has handled it. Its baseline
// is one pass of CopyFileA over the same files into a fresh directory (one write per file),
// plus the same profile calls made directly (the busy test of every job control file, then
// the rewrite of each copy). Command and baseline take turns, three runs each (five up to
// 2,500 jobs, nine up to 500), each into a directory of its own; each command run is set
// against the baseline run after it. Each side begins after the same quiet time, with the disk
// settled: here the first tenth of a second of work after a pause of a tenth of a second or more
// runs about three times as fast as the same work without one (500 busy tests: 60 to 75 ms after
// a pause, 200 to 236 ms without). The baseline always began after such a pause and the command
// never did, which had given the baseline's busy test that head start alone.
//
// Each turn ends with one more run of the command, untimed, to measure how it answers: throughout
// it a second thread sends WM_NULL to the dialog and waits for the answer, every few
// milliseconds, so that the longest wait is the longest gap between two pumps of the thread.
// That probe costs the command's thread a message at each pump and the machine a thread woken
// each time, about 4% of a 500-job command here, which the baseline never carried: the timed
// runs go without it.
//
// Where the time goes comes from one more run of the same command in this process, timed at
// the steps it reports, with the longest time between two of its pumps, and from a journal of
// its own given as many entries as that run made. The job rewrite is also timed on its own:
// the command's rewrite of every job control file against the same profile calls made
// directly, each on fresh copies of the files, taking turns, three runs each.
#include "base/ResourceText.h"
#include "base/WideText.h"
#include "bench/BenchReporter.h"
#include "bench/BenchSupport.h"
#include "config/ProfileFile.h"
#include "framework/WinApp.h"
#include "notify/ChangeAudit.h"
#include "relocate/AdministratorsFolder.h"
#include "relocate/ChangeJournal.h"
#include "relocate/JobControlRewrite.h"
#include "relocate/QueueDirectoryChange.h"
#include "res/resource.h"
#include "tests/driver/ResponsivenessProbe.h"
#include "tests/driver/TestFiles.h"
#include "tests/driver/ToolProcess.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace
{
const std::string kRoot = "C:\\kel-bench\\setdir";
const std::string kTool = kRoot + "\\tool\\kel-admin.exe";
const std::string kServerProfile = kRoot + "\\tool\\kel.ini";
const std::string kSystemProfile = "C:\\windows\\kel.ini";
const char kQueueName[] = "Bench";
const int kRuns = 3;
// A short command varies most from turn to turn (a tenth either way at 500 jobs here), and its
// turns cost seconds, not minutes: smaller queues take more turns for their medians.
int TurnsFor(int jobs)
{
    return jobs <= 500 ? 9 : jobs <= 2500 ? 5 : kRuns;
}
// 10,000 jobs take minutes under Wine; a command still running after this is reported.
const DWORD kCommandWaitMs = 30 * 60 * 1000;
const double kRatioTarget = 1.25;
// A small queue's fixed costs weigh most: its command keeps closer to its baseline.
const double kFewJobsRatioTarget = 1.10;
const double kGrowthTarget = 1.1;
const double kGapTargetMs = 100;
// The quiet time before each side's timed work: longer than the pause that speeds up what follows.
const DWORD kQuietMs = 500;

// Where one in-process run of the command spent its time, in seconds.
struct Phases
{
    bool complete = false; // every step was seen and the change was stored
    double listing = 0;
    double busyTest = 0;
    double copying = 0;
    double rewrite = 0;
    double lastLook = 0; // the last listings of the old directory, and the store
    double journal = 0;
    double total = 0;
    double longestPumpGapMs = 0;
    const char* longestPumpGapIn = "";
};

struct Timing
{
    int jobs = 0;
    Spread command;
    Spread baseline;
    Spread copy;
    Spread busyTest;
    Spread rewrite;
    Spread ratio;
    double longestGapMs = 0;
    bool clean = true; // every run stored its change, with no message shown
};

// The job rewrite on its own: the command's, the same profile calls made directly, and the
// ratios of each rewrite to the direct calls run after it.
struct RewriteTiming
{
    Spread command;
    Spread direct;
    Spread ratio;
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

void WriteServerProfile(const std::string& path, const std::string& queueDir)
{
    WriteFileText(path, "[Queues]\r\nQueue1=" + std::string(kQueueName) + "\r\n[" + kQueueName +
                            "]\r\nqueuedir=" + queueDir + "\r\n");
}

std::string StoredQueueDir(const std::string& profilePath)
{
    char value[MAX_PATH] = "";
    GetPrivateProfileStringA(kQueueName, "queuedir", "", value, sizeof value, profilePath.c_str());
    return value;
}

// The profile calls of the command, made directly: the busy test of every job control file in
// the old directory, and the rewrite of every one in `copied`.
void BusyTestDirectly(const std::string& oldDir, int jobs)
{
    for (int job = 1; job <= jobs; ++job)
    {
        const std::string path = oldDir + "\\" + JobName(job);
        if (GetPrivateProfileIntA("Settings", "Xfer", 0, path.c_str()) == 0)
            GetPrivateProfileIntA("Settings", "Print", 0, path.c_str());
    }
}

void RewriteDirectly(const std::string& copied, int jobs)
{
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

// A fresh copy of every job control file of `oldDir` in the new, empty `target`.
void CopyJobFiles(const std::string& oldDir, const std::string& target, int jobs)
{
    MakeDirectories(target);
    for (int job = 1; job <= jobs; ++job)
        CopyFileA((oldDir + "\\" + JobName(job)).c_str(), (target + "\\" + JobName(job)).c_str(),
                  FALSE);
    SettleDisk();
}

RewriteTiming MeasureRewrite(const std::string& set, const std::string& oldDir, int jobs)
{
    std::vector<double> commands;
    std::vector<double> directs;
    std::vector<double> ratios;
    for (int run = 1; run <= kRuns; ++run)
    {
        const std::string rewritten = set + "\\rewritten" + std::to_string(run);
        CopyJobFiles(oldDir, rewritten, jobs);
        long long start = Now();
        bool stored = true;
        for (int job = 1; job <= jobs; ++job)
            stored =
                RewriteJobControlFile(WidenText(rewritten + "\\" + JobName(job)), oldDir, rewritten)
                    .stored &&
                stored;
        const double command = SecondsSince(start);
        DeleteAndSettle(rewritten);
        if (!stored)
            std::printf("  a job rewrite failed\n");

        const std::string direct = set + "\\direct" + std::to_string(run);
        CopyJobFiles(oldDir, direct, jobs);
        start = Now();
        RewriteDirectly(direct, jobs);
        const double calls = SecondsSince(start);
        DeleteAndSettle(direct);
        commands.push_back(command);
        directs.push_back(calls);
        ratios.push_back(command / calls);
    }
    return {SpreadOf(commands), SpreadOf(directs), SpreadOf(ratios)};
}

// The disk settled, then nothing done for a while: each timed run begins from the same state.
void BeQuiet()
{
    SettleDisk();
    Sleep(kQuietMs);
}

struct CommandRun
{
    double seconds = 0;
    double longestGapMs = 0;
    std::string trouble; // empty when the change was stored with no message shown
};

// "Set Dir" of the queue in `oldDir` to the new, empty `newDir`, clicked in a freshly started
// tool, and probed for its answers when `probed`; the copies go again afterwards.
CommandRun RunInTool(const std::string& oldDir, const std::string& newDir, bool probed)
{
    CommandRun run;
    WriteServerProfile(kServerProfile, oldDir);
    MakeDirectories(newDir);
    {
        CToolProcess tool;
        if (!tool.Start(kTool) || !tool.BrowseTo(IDC_BROWSE_QUEUE, newDir))
        {
            run.trouble = "the tool could not be driven";
            DeleteAndSettle(newDir);
            return run;
        }
        for (const MessageBoxInfo& box : tool.StartupBoxes())
            run.trouble += "at start-up: " + box.text + "; ";
        BeQuiet();
        std::optional<CResponsivenessProbe> probe;
        if (probed)
            probe.emplace(tool.Dialog(), 2, 60000);
        const long long start = Now();
        tool.ClickAndWait(IDC_SET_DIR, kCommandWaitMs);
        run.seconds = SecondsSince(start);
        if (probe)
        {
            probe->Stop();
            run.longestGapMs = probe->LongestWaitMs();
        }
        if (run.seconds * 1000 >= kCommandWaitMs)
            run.trouble +=
                "still running after " + std::to_string(kCommandWaitMs / 60000) + " minutes; ";
        if (HWND box = tool.FindMessageBox())
            run.trouble += "message shown: " + tool.ReadMessageBox(box).text + "; ";
        tool.Kill();
    }
    if (run.trouble.empty() && StoredQueueDir(kServerProfile) != newDir)
        run.trouble = "the new directory was not stored";
    DeleteAndSettle(newDir);
    return run;
}

struct BaselineRun
{
    double copy = 0;
    double busyTest = 0;
    double rewrite = 0;
    double Profile() const { return busyTest + rewrite; }
    double Total() const { return copy + busyTest + rewrite; }
};

// The profile calls of the busy test, one pass of CopyFileA and the profile calls of the
// rewrite, in the command's order, into the new, empty `copied`.
BaselineRun RunBaseline(const std::string& oldDir, const std::string& copied, int jobs)
{
    BaselineRun run;
    MakeDirectories(copied);
    BeQuiet();
    long long begin = Now();
    BusyTestDirectly(oldDir, jobs);
    run.busyTest = SecondsSince(begin);
    begin = Now();
    CopyOnceWithCopyFile(oldDir, copied);
    run.copy = SecondsSince(begin);
    begin = Now();
    RewriteDirectly(copied, jobs);
    run.rewrite = SecondsSince(begin);
    DeleteAndSettle(copied);
    return run;
}

// The steps the command reports, in their order, known by their texts up to the first argument.
enum Moment
{
    kBusyTestBegins,
    kCopyingBegins, // the source is listed and counted first
    kListed,        // the first SetTotals: the copying itself begins
    kRewriteBegins,
    kLastLookBegins, // the old directory listed again, then the store
    kEnded,
    kMoments
};

// The part of the command that each moment begins.
const char* const kPhaseNames[kMoments] = {
    "busy test", "listing", "copying", "job rewrite", "last look and store", "end"};

double Between(long long from, long long to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) / static_cast<double>(frequency.QuadPart);
}

// Reports as the dialog does, and notes when each step of the command began, and the longest
// time between two pumps, with the part of the command it fell in.
class CPhaseReporter : public CBenchReporter
{
public:
    CPhaseReporter()
        : m_steps{StepPrefix(IDS_STEP_CHECKING_JOBS), StepPrefix(IDS_STEP_COPYING),
                  StepPrefix(IDS_STEP_CHECKING_COPIES), StepPrefix(IDS_STEP_UPDATING_JOBS)}
    {
        std::fill(std::begin(m_at), std::end(m_at), 0LL);
    }

    void BeginStep(const std::wstring& text, ULONGLONG files, ULONGLONG bytes) override
    {
        CBenchReporter::BeginStep(text, files, bytes);
        const Moment moments[] = {kBusyTestBegins, kCopyingBegins, kLastLookBegins, kRewriteBegins};
        for (size_t i = 0; i < m_steps.size(); ++i)
            if (text.compare(0, m_steps[i].size(), m_steps[i]) == 0)
                Note(moments[i]);
    }
    void SetTotals(ULONGLONG files, ULONGLONG bytes) override
    {
        CBenchReporter::SetTotals(files, bytes);
        if (m_at[kListed] == 0)
            m_files = files;
        Note(kListed);
    }
    void Pump() override
    {
        NoteGap(m_phase);
        CBenchReporter::Pump();
        m_pumpedAt = Now();
    }
    void EndProgress() override
    {
        if (m_at[kEnded] == 0)
            NoteGap(m_phase);
        CBenchReporter::EndProgress();
        Note(kEnded);
    }

    // The command starts now: the busy test begins.
    void Start()
    {
        m_pumpedAt = Now();
        m_phase = kPhaseNames[kBusyTestBegins];
    }
    long long At(Moment moment) const { return m_at[moment]; }
    double LongestPumpGapMs() const { return Between(0, m_longestGap) * 1000; }
    const char* LongestPumpGapIn() const { return m_longestGapIn; }
    // The files that the command set out to carry over.
    ULONGLONG Files() const { return m_files; }

private:
    static std::wstring StepPrefix(UINT id)
    {
        const std::wstring text = LoadResourceTextW(id);
        return text.substr(0, text.find(L'%'));
    }
    void Note(Moment moment)
    {
        if (m_at[moment] != 0)
            return;
        m_at[moment] = Now();
        m_phase = kPhaseNames[moment];
    }
    void NoteGap(const char* phase)
    {
        const long long gap = Now() - m_pumpedAt;
        if (gap <= m_longestGap)
            return;
        m_longestGap = gap;
        m_longestGapIn = phase;
    }

    std::vector<std::wstring> m_steps;
    long long m_at[kMoments];
    ULONGLONG m_files = 0;
    long long m_pumpedAt = 0;
    const char* m_phase = "";
    long long m_longestGap = 0;
    const char* m_longestGapIn = "";
};

// The journal's share: as many entries as the command created (every file it carried; the
// queue has no subfolders), written to a journal of its own.
double TimeJournal(ULONGLONG entries, const std::wstring& destination)
{
    const long long start = Now();
    CChangeJournal journal;
    std::wstring folder;
    PrepareAdministratorsFolder(folder, nullptr);
    journal.Begin(folder, L"bench", destination, {});
    const FileIdentity proof;
    for (ULONGLONG i = 0; i < entries; ++i)
    {
        const std::wstring path = destination + L"\\cf" + std::to_wstring(i) + L".ini";
        journal.Intend(false, path);
        journal.Prove(path, proof);
    }
    journal.End(false);
    return SecondsSince(start);
}

// The command once more, in this process, on the same queue (which no command changes: it only
// reads the old directory) into a fresh directory, under a server profile of its own.
Phases MeasurePhases(const std::string& set, const std::string& oldDir)
{
    Phases phases;
    const std::string profilePath = set + "\\phases.ini";
    const std::string newDir = set + "\\phases";
    WriteServerProfile(profilePath, oldDir);
    MakeDirectories(newDir);
    const CProfileFile serverProfile(profilePath);
    CPhaseReporter reporter;
    BeQuiet();
    const long long start = Now();
    reporter.Start();
    const CommandResult result = ChangeQueueDirectory(serverProfile, kQueueName, newDir, reporter);
    const long long end = Now();
    reporter.EndProgress();
    DeleteAndSettle(newDir);
    DeleteFileA(profilePath.c_str());
    for (const std::wstring& message : reporter.Messages())
        std::printf("  in process, message: %s\n", NarrowText(message).c_str());

    for (int moment = kBusyTestBegins; moment < kMoments; ++moment)
        if (reporter.At(static_cast<Moment>(moment)) == 0)
            return phases;
    // The busy test counts from the start: the server's lock and the listing of the job
    // control files that it examines come first.
    phases.busyTest = Between(start, reporter.At(kCopyingBegins));
    phases.listing = Between(reporter.At(kCopyingBegins), reporter.At(kListed));
    phases.copying = Between(reporter.At(kListed), reporter.At(kRewriteBegins));
    phases.rewrite = Between(reporter.At(kRewriteBegins), reporter.At(kLastLookBegins));
    phases.lastLook = Between(reporter.At(kLastLookBegins), reporter.At(kEnded));
    phases.total = Between(start, end);
    phases.complete = result.outcome == CommandOutcome::kChanged;
    phases.longestPumpGapMs = reporter.LongestPumpGapMs();
    phases.longestPumpGapIn = reporter.LongestPumpGapIn();
    phases.journal = TimeJournal(reporter.Files(), WidenText(newDir));
    return phases;
}

Timing Measure(int jobs)
{
    const std::string set = kRoot + "\\q" + std::to_string(jobs);
    const std::string oldDir = set + "\\old";
    const int files = 2 * jobs + 1;
    DeleteTree(set);
    MakeQueue(oldDir, jobs);
    SettleDisk();

    Timing timing;
    timing.jobs = jobs;
    std::vector<double> commands;
    std::vector<double> baselines;
    std::vector<double> copies;
    std::vector<double> busyTests;
    std::vector<double> rewrites;
    std::vector<double> ratios;
    const int runs = TurnsFor(jobs);
    for (int run = 1; run <= runs; ++run)
    {
        const CommandRun command = RunInTool(oldDir, set + "\\new" + std::to_string(run), false);
        const BaselineRun baseline =
            RunBaseline(oldDir, set + "\\copied" + std::to_string(run), jobs);
        const CommandRun probed = RunInTool(oldDir, set + "\\probed" + std::to_string(run), true);
        commands.push_back(command.seconds);
        baselines.push_back(baseline.Total());
        copies.push_back(baseline.copy);
        busyTests.push_back(baseline.busyTest);
        rewrites.push_back(baseline.rewrite);
        ratios.push_back(command.seconds / baseline.Total());
        timing.longestGapMs = std::max(timing.longestGapMs, probed.longestGapMs);
        timing.clean = timing.clean && command.trouble.empty() && probed.trouble.empty();
        const std::string trouble = command.trouble + probed.trouble;
        std::printf("%5d jobs (%5d files) run %d: Set Dir %7.2f s   CopyFileA %7.2f s + profile "
                    "calls %6.2f s (busy test %.2f s, rewrite %.2f s) = %7.2f s   "
                    "command/baseline %.2f   probed %7.2f s, longest gap %.0f ms%s%s\n",
                    jobs, files, run, command.seconds, baseline.copy, baseline.Profile(),
                    baseline.busyTest, baseline.rewrite, baseline.Total(),
                    command.seconds / baseline.Total(), probed.seconds, probed.longestGapMs,
                    trouble.empty() ? "" : "  ", trouble.c_str());
        std::fflush(stdout);
    }
    timing.command = SpreadOf(commands);
    timing.baseline = SpreadOf(baselines);
    timing.copy = SpreadOf(copies);
    timing.busyTest = SpreadOf(busyTests);
    timing.rewrite = SpreadOf(rewrites);
    timing.ratio = SpreadOf(ratios);
    std::printf("%5d jobs (%5d files) medians: Set Dir %7.2f s   baseline %7.2f s: CopyFileA "
                "%.2f s, busy test %.2f s, rewrite %.2f s\n",
                jobs, files, timing.command.median, timing.baseline.median, timing.copy.median,
                timing.busyTest.median, timing.rewrite.median);

    const RewriteTiming rewrite = MeasureRewrite(set, oldDir, jobs);
    std::printf("setdir %d jobs: job rewrite/profile calls made directly median %.2f (min %.2f, "
                "max %.2f); medians %.3f s and %.3f s\n",
                jobs, rewrite.ratio.median, rewrite.ratio.min, rewrite.ratio.max,
                rewrite.command.median, rewrite.direct.median);
    const Phases phases = MeasurePhases(set, oldDir);
    if (phases.complete)
        std::printf("setdir %d jobs: busy test %.2f s, listing %.2f s, copying %.2f s, "
                    "job rewrite %.2f s, last look and store %.2f s, journal %.2f s "
                    "(in process: %.2f s in all; longest time between two pumps %.0f ms, in "
                    "%s)\n",
                    jobs, phases.busyTest, phases.listing, phases.copying, phases.rewrite,
                    phases.lastLook, phases.journal, phases.total, phases.longestPumpGapMs,
                    phases.longestPumpGapIn);
    else
        std::printf("setdir %d jobs: the command run in process did not store its change; no "
                    "breakdown\n",
                    jobs);
    std::printf("setdir %d jobs: command/baseline median %.2f (min %.2f, max %.2f); longest gap "
                "%.0f ms\n\n",
                jobs, timing.ratio.median, timing.ratio.min, timing.ratio.max, timing.longestGapMs);
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

// The start-up with 1,000 queues listed against one queue's, printed and returned.
double MeasureStartup()
{
    const double one = StartupSeconds(1);
    const double thousand = StartupSeconds(1000);
    std::printf("start-up: 1 queue %.3f s, 1,000 queues %.3f s, ratio %.2f (target < 2)\n", one,
                thousand, thousand / one);
    return thousand / one;
}

class CBenchApp : public CWinApp
{
};
CBenchApp s_app;
} // namespace

int main(int argc, char** argv)
{
    const bool small = argc > 1 && std::strcmp(argv[1], "--small") == 0;
    const int scale = small ? 10 : 1;
    const int onlyJobs = argc > 2 && std::strcmp(argv[1], "--jobs") == 0 ? std::atoi(argv[2]) : 0;
    s_app.Start(GetModuleHandleA(nullptr));
    // The in-process runs write no event log records.
    SetAuditWriter([](const AuditRecord&) {});
    DeleteTree(kRoot);
    MakeDirectories(kRoot + "\\tool");
    CopyFileA((ThisProgramDirectory() + "kel-admin.exe").c_str(), kTool.c_str(), FALSE);
    WriteFileText(kSystemProfile, "[Settings]\r\n");

    if (onlyJobs > 0)
    {
        Measure(onlyJobs);
        DeleteTree(kRoot);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--startup") == 0)
    {
        MeasureStartup();
        DeleteTree(kRoot);
        return 0;
    }
    std::vector<Timing> sizes;
    for (int jobs : {500, 2500, 10000})
        sizes.push_back(Measure(jobs / scale));
    const Timing& fewest = sizes.front();
    const Timing& most = sizes.back();
    const double commandGrowth = most.command.median / fewest.command.median;
    const double baselineGrowth = most.baseline.median / fewest.baseline.median;
    const double growthRatio = commandGrowth / baselineGrowth;
    const std::string growth =
        "growth " + std::to_string(fewest.jobs) + " -> " + std::to_string(most.jobs);
    std::printf("%s (medians): Set Dir %.2f, baselines %.2f (CopyFileA %.2f, busy test %.2f, "
                "rewrite %.2f); command growth / baseline growth %.2f\n",
                growth.c_str(), commandGrowth, baselineGrowth,
                most.copy.median / fewest.copy.median,
                most.busyTest.median / fewest.busyTest.median,
                most.rewrite.median / fewest.rewrite.median, growthRatio);

    const double startup = MeasureStartup();

    CTargets targets;
    for (const Timing& size : sizes)
    {
        const double target = &size == &fewest ? kFewJobsRatioTarget : kRatioTarget;
        targets.Add("Set Dir " + std::to_string(size.jobs) +
                        " jobs: command/baseline median <= " + Fixed(target, 2),
                    Fixed(size.ratio.median, 2), size.ratio.median <= target, size.clean);
    }
    targets.Add(growth + ": command / baseline growth <= " + Fixed(kGrowthTarget, 1),
                Fixed(growthRatio, 2), growthRatio <= kGrowthTarget, fewest.clean && most.clean);
    for (const Timing& size : sizes)
        targets.Add("Set Dir " + std::to_string(size.jobs) +
                        " jobs: longest gap <= " + Fixed(kGapTargetMs, 0) + " ms",
                    Fixed(size.longestGapMs, 0) + " ms", size.longestGapMs <= kGapTargetMs,
                    size.clean);
    targets.Add("start-up with 1,000 queues / 1 queue < 2", Fixed(startup, 2), startup < 2);
    targets.Print();

    DeleteTree(kRoot);
    DeleteFileA(kSystemProfile.c_str());
    return 0;
}
