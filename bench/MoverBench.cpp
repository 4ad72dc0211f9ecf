// bench/mover: MoveDirectoryContents against the platform's own copy, side by side in one run.
// The move runs as the commands run it: with its progress window pumped throughout, a journal
// of what it creates, and each copy's time stamp kept.
//
//   mover.exe [--small]   (--small: a tenth of the data, for a quick look)
//
// For each set of files it times the whole move and one pass of CopyFileA over the same files
// (one write per file, what the move needs at the least), three runs each, alternating and each
// into a fresh directory, and one `cp -r` of the host; it prints every run, the medians, and
// the median, least and greatest of the ratios of each move to the copy run after it, and the
// longest time the move went without pumping its progress window. The sets: "mixed" sizes,
// many small files, and one large file ("large", 1 GiB, made sparse so that it costs no disk
// at the source).
#include "base/WideText.h"
#include "bench/BenchReporter.h"
#include "bench/BenchSupport.h"
#include "framework/WinApp.h"
#include "relocate/AdministratorsFolder.h"
#include "relocate/ChangeJournal.h"
#include "relocate/CreatedEntries.h"
#include "relocate/DirectoryMover.h"
#include "tests/driver/TestFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace
{
const std::string kRoot = "C:\\kel-bench\\mover";
const int kRuns = 3;
const double kRatioTarget = 1.15;
const double kGapTargetMs = 100;
const long long kLargeSize = 1LL << 30;

struct Timing
{
    Spread move;
    Spread copyFile;
    Spread ratio;
    double cp;
    double longestGapMs; // between two pumps, over every move
    bool moved;          // every move carried everything over
};

// Makes the set's files in `source`; returns their bytes.
using SetMaker = std::function<long long(const std::string& source)>;

// Mixed sizes: every tenth file 1.5 MB, the others 1 to 120 KB.
size_t MixedSize(int index)
{
    if (index % 10 == 0)
        return 1536 * 1024;
    return 1024 + static_cast<size_t>((index * 7919) % 120) * 1024;
}

size_t SmallSize(int index)
{
    return 200 + static_cast<size_t>(index % 50) * 40;
}

// Reports as the dialog does, and notes the longest time between two pumps.
class CGapReporter : public CBenchReporter
{
public:
    void Pump() override
    {
        const long long now = Now();
        m_longestGap = std::max(m_longestGap, now - m_pumpedAt);
        m_pumpedAt = now;
        CBenchReporter::Pump();
    }
    double LongestGapMs() const
    {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return 1000.0 * static_cast<double>(m_longestGap) / static_cast<double>(frequency.QuadPart);
    }

private:
    long long m_pumpedAt = Now();
    long long m_longestGap = 0;
};

// One move into a new, empty `target`, journaled as a command journals it, with its progress
// window opened and closed within the time as a command's is.
double TimeMove(const std::string& source, const std::string& target, bool& moved,
                double& longestGapMs)
{
    MakeDirectories(target);
    std::vector<std::wstring> messages;
    const long long start = Now();
    {
        CGapReporter reporter;
        CChangeJournal journal;
        std::wstring folder;
        PrepareAdministratorsFolder(folder, nullptr);
        journal.Begin(folder, L"bench-mover", WidenText(target), {});
        CCreatedEntries created(&journal);
        CContentMover mover(source, target, reporter, created);
        moved =
            mover.Survey() && mover.Carry() && mover.Settle() == CContentMover::Settled::kSettled;
        journal.End(false);
        reporter.EndProgress();
        messages = reporter.Messages();
        longestGapMs = reporter.LongestGapMs();
    }
    const double seconds = SecondsSince(start);
    for (const std::wstring& message : messages)
        std::printf("  message: %s\n", NarrowText(message).c_str());
    DeleteAndSettle(target);
    return seconds;
}

double TimeCopyFile(const std::string& source, const std::string& target)
{
    MakeDirectories(target);
    const long long start = Now();
    CopyOnceWithCopyFile(source, target);
    const double seconds = SecondsSince(start);
    DeleteAndSettle(target);
    return seconds;
}

Timing Measure(const std::string& name, int count, const SetMaker& make)
{
    const std::string set = kRoot + "\\" + name;
    const std::string source = set + "\\source";
    DeleteTree(set);
    MakeDirectories(source);
    const long long bytes = make(source);
    SettleDisk();

    // Move and copy take turns, each into a directory of its own that goes after its run, the
    // disk settled and as much memory as the run writes taken into use before the next, so that
    // both start alike; each move is set against the copy run right after it.
    Timing timing = {};
    timing.moved = true;
    std::vector<double> moves;
    std::vector<double> copies;
    std::vector<double> ratios;
    for (int run = 1; run <= kRuns; ++run)
    {
        bool moved = false;
        double gapMs = 0;
        TakeMemoryIntoUse(set, bytes);
        const double move = TimeMove(source, set + "\\moved" + std::to_string(run), moved, gapMs);
        TakeMemoryIntoUse(set, bytes);
        const double copy = TimeCopyFile(source, set + "\\copyfile" + std::to_string(run));
        moves.push_back(move);
        copies.push_back(copy);
        ratios.push_back(move / copy);
        timing.moved = timing.moved && moved;
        timing.longestGapMs = std::max(timing.longestGapMs, gapMs);
        std::printf("%-14s run %d: move %7.2f s  CopyFileA %7.2f s  move/CopyFileA %.2f  longest "
                    "gap %3.0f ms%s\n",
                    name.c_str(), run, move, copy, move / copy, gapMs,
                    moved ? "" : "  (MOVE FAILED)");
        std::fflush(stdout);
    }

    MakeDirectories(set + "\\cp");
    const long long start = Now();
    CopyWithHostCp(source, set + "\\cp");
    timing.cp = SecondsSince(start);

    timing.move = SpreadOf(moves);
    timing.copyFile = SpreadOf(copies);
    timing.ratio = SpreadOf(ratios);
    std::printf("%-14s %6d files %8.1f MB  medians: move %7.2f s  CopyFileA %7.2f s  cp -r "
                "%6.2f s  move/cp %.1f\n",
                name.c_str(), count, static_cast<double>(bytes) / (1024.0 * 1024.0),
                timing.move.median, timing.copyFile.median, timing.cp,
                timing.move.median / timing.cp);
    std::printf("mover %s: move/CopyFileA median %.2f (min %.2f, max %.2f)\n", name.c_str(),
                timing.ratio.median, timing.ratio.min, timing.ratio.max);
    std::printf("mover %s: longest gap between pumps %.0f ms\n\n", name.c_str(),
                timing.longestGapMs);
    std::fflush(stdout);
    DeleteTree(set);
    return timing;
}

Timing MeasureFiles(const std::string& name, int count, size_t (*sizeOf)(int))
{
    return Measure(name, count,
                   [=](const std::string& source)
                   { return MakeFiles(source, count, sizeOf, "f"); });
}

void AddRatioTarget(CTargets& targets, const std::string& name, const Timing& timing)
{
    targets.Add("mover " + name + ": move/CopyFileA median <= " + Fixed(kRatioTarget, 2),
                Fixed(timing.ratio.median, 2), timing.ratio.median <= kRatioTarget, timing.moved);
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
    s_app.Start(GetModuleHandleA(nullptr));
    DeleteTree(kRoot);
    MakeDirectories(kRoot);

    const Timing mixed = MeasureFiles("mixed", 2000 / scale, MixedSize);
    const Timing few = MeasureFiles("small-1000", 1000 / scale, SmallSize);
    const Timing many = MeasureFiles("small-5000", 5000 / scale, SmallSize);
    const Timing large = Measure("large", 1,
                                 [=](const std::string& source) {
                                     return MakeSparseFile(source + "\\f0.dat", kLargeSize / scale);
                                 });

    const double moveGrowth = many.move.median / few.move.median;
    const double copyGrowth = many.copyFile.median / few.copyFile.median;
    std::printf("growth %d/%d files (medians): move %.2f, CopyFileA %.2f, ratio of ratios %.2f\n",
                5000 / scale, 1000 / scale, moveGrowth, copyGrowth, moveGrowth / copyGrowth);
    std::printf("distance to the machine's limit (move / cp -r): mixed %.1f, small-5000 %.1f, "
                "large %.1f\n",
                mixed.move.median / mixed.cp, many.move.median / many.cp,
                large.move.median / large.cp);

    CTargets targets;
    AddRatioTarget(targets, "mixed", mixed);
    AddRatioTarget(targets, "small-5000", many);
    AddRatioTarget(targets, "large", large);
    targets.Add("mover large: longest gap between pumps <= " + Fixed(kGapTargetMs, 0) + " ms",
                Fixed(large.longestGapMs, 0) + " ms", large.longestGapMs <= kGapTargetMs,
                large.moved);
    targets.Print();
    DeleteTree(kRoot);
    return 0;
}
