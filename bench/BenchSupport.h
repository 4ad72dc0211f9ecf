#pragma once

#include <string>
#include <vector>

// Helpers shared by the benchmarks, which run under Wine like the tool.

double SecondsSince(long long startTicks);
long long Now();

// Creates `count` files in `directory`, sizes given by `sizeOf(index)`; returns the bytes written.
template <class SizeOf>
long long MakeFiles(const std::string& directory, int count, SizeOf sizeOf, const char* prefix);
long long WriteFileOfSize(const std::string& path, size_t size);
// A file of `size` bytes that holds no data yet (sparse where the file system allows), so that
// a large source costs neither time nor disk to make; its copies are written whole. It is read
// through once before it is returned.
long long MakeSparseFile(const std::string& path, long long size);

// One pass of the platform's CopyFileA over every file of `source` into `destination`: one
// write per file, which is what a carry-over has to do at the least.
void CopyOnceWithCopyFile(const std::string& source, const std::string& destination);

// A plain `cp -r` of the host, waited for through a marker file; it writes every byte, holes
// too, as the copies under comparison do.
void CopyWithHostCp(const std::string& source, const std::string& destination);

// Puts everything written and freed so far on the disk (the host's sync), so that the next
// run pays neither for the write-back of the one before nor for the discards of what it
// deleted: these swing file-heavy timings by 2x and more.
void SettleDisk();
// Writes and deletes a file of `bytes` in `scratchFolder` from the host, then settles the disk,
// so that a run that writes as much next finds that much memory in use lately: a virtual
// machine that gives idle memory back to its host makes the first touch of it cost many times
// the write (seen here: 1 GiB written in 0.19 s right after such a file, 2.3 s after a pause
// of a few seconds).
void TakeMemoryIntoUse(const std::string& scratchFolder, long long bytes);
// Deletes a directory tree, then settles the disk.
void DeleteAndSettle(const std::string& path);

// A few runs summed up: their median, least and greatest.
struct Spread
{
    double median;
    double min;
    double max;
};
Spread SpreadOf(std::vector<double> values);

// The targets a benchmark checks, printed together at its end, each with whether it was met.
class CTargets
{
public:
    // `what` names the measure and its limit; `value` is what was measured, already formatted.
    // A target whose runs did not all succeed counts as not met.
    void Add(const std::string& what, const std::string& value, bool met,
             bool runsSucceeded = true);
    // Prints every target; true when all were met.
    bool Print() const;

private:
    struct Target
    {
        std::string what;
        std::string value;
        bool met;
        bool runsSucceeded;
    };
    std::vector<Target> m_targets;
};

// `value` with `decimals` decimals.
std::string Fixed(double value, int decimals);

template <class SizeOf>
long long MakeFiles(const std::string& directory, int count, SizeOf sizeOf, const char* prefix)
{
    long long total = 0;
    for (int i = 0; i < count; ++i)
        total += WriteFileOfSize(directory + "\\" + prefix + std::to_string(i) + ".dat", sizeOf(i));
    return total;
}
