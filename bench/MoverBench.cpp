// bench/mover: MoveDirectoryContents against the platform's own copy, side by side in one run.
// The move runs as the commands run it: with its progress window pumped throughout, a journal
// of what it creates, and each copy's time stamp kept.
//
//   mover.exe [--small]   (--small: a tenth of the data, for a quick look)
//
// For each set of files it times the whole move (both listings, so every file is copied
// twice) and two passes of CopyFileA over the same files into a fresh directory, best of two
// rounds each, and one `cp -r` of the host, and prints the times and their ratios.
#include "bench/BenchSupport.h"
#include "framework/WinApp.h"
#include "relocate/CreatedEntries.h"
#include "relocate/DirectoryMover.h"
#include "tests/driver/TestFiles.h"
#include "ui/ProgressWindow.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
const std::string kRoot = "C:\\kel-bench\\mover";

struct Timing
{
    double move;
    double copyFile;
    double cp;
};

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

Timing Measure(const std::string& name, int count, size_t (*sizeOf)(int))
{
    const std::string set = kRoot + "\\" + name;
    DeleteTree(set);
    MakeDirectories(set + "\\source");
    const long long bytes = MakeFiles(set + "\\source", count, sizeOf, "f");

    // Best of two rounds, in alternating order, so that neither side profits from the page
    // cache or the disk's write-back of the other.
    Timing timing = {1e9, 1e9, 1e9};
    int result = 1;
    for (int round = 0; round < 2; ++round)
    {
        for (int turn = 0; turn < 2; ++turn)
        {
            const bool moverTurn = (round + turn) % 2 == 0;
            const std::string target = set + (moverTurn ? "\\moved" : "\\copyfile");
            DeleteTree(target);
            MakeDirectories(target);
            const long long start = Now();
            if (moverTurn)
            {
                CCreatedEntries created;
                CProgressWindow progress;
                result &= MoveDirectoryContents(set + "\\source", target, &created, &progress);
            }
            else
                CopyTwiceWithCopyFile(set + "\\source", target);
            double& best = moverTurn ? timing.move : timing.copyFile;
            best = std::min(best, SecondsSince(start));
        }
    }

    MakeDirectories(set + "\\cp");
    const long long start = Now();
    CopyWithHostCp(set + "\\source", set + "\\cp");
    timing.cp = SecondsSince(start);

    std::printf("%-14s %6d files %8.1f MB  move %7.2f s  2x CopyFileA %7.2f s  cp -r %6.2f s  "
                "move/CopyFileA %.2f  move/cp %.1f%s\n",
                name.c_str(), count, static_cast<double>(bytes) / (1024.0 * 1024.0), timing.move,
                timing.copyFile, timing.cp, timing.move / timing.copyFile, timing.move / timing.cp,
                result == 1 ? "" : "  (MOVE FAILED)");
    std::fflush(stdout);
    DeleteTree(set);
    return timing;
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

    const Timing mixed = Measure("mixed", 2000 / scale, MixedSize);
    const Timing few = Measure("small-1000", 1000 / scale, SmallSize);
    const Timing many = Measure("small-5000", 5000 / scale, SmallSize);

    const double moveGrowth = many.move / few.move;
    const double copyGrowth = many.copyFile / few.copyFile;
    std::printf("\nmixed: move / 2x CopyFileA = %.2f (target <= 1.0)\n",
                mixed.move / mixed.copyFile);
    std::printf("growth 5000/1000: move %.2f, 2x CopyFileA %.2f, ratio of ratios %.2f "
                "(target <= 1.1)\n",
                moveGrowth, copyGrowth, moveGrowth / copyGrowth);
    std::printf("distance to the machine's limit (move / cp -r): mixed %.1f, small-5000 %.1f\n",
                mixed.move / mixed.cp, many.move / many.cp);
    DeleteTree(kRoot);
    return 0;
}
