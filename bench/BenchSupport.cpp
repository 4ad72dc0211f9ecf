#include "bench/BenchSupport.h"

#include "tests/driver/TestFiles.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

long long Now()
{
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    return ticks.QuadPart;
}

double SecondsSince(long long startTicks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(Now() - startTicks) / static_cast<double>(frequency.QuadPart);
}

long long WriteFileOfSize(const std::string& path, size_t size)
{
    static std::vector<char> pattern = []
    {
        std::vector<char> data(1 << 20);
        unsigned value = 12345;
        for (char& c : data)
            c = static_cast<char>((value = value * 1103515245u + 12345u) >> 24);
        return data;
    }();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    size_t left = size;
    while (left > 0)
    {
        const size_t chunk = left < pattern.size() ? left : pattern.size();
        std::fwrite(pattern.data(), 1, chunk, file);
        left -= chunk;
    }
    std::fclose(file);
    return static_cast<long long>(size);
}

long long MakeSparseFile(const std::string& path, long long size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    // Without this, NTFS would reserve the clusters; a host file system makes holes anyway.
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = size;
    const bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    if (!made)
        return 0;
    // The first read of a hole costs many times a later one (the host fills its cache with
    // zeros): read it through once, so that the first copy timed pays no more than the others.
    file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    std::vector<char> block(1 << 20);
    DWORD read = 0;
    while (ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &read, nullptr) &&
           read > 0)
    {
    }
    CloseHandle(file);
    return size;
}

void CopyOnceWithCopyFile(const std::string& source, const std::string& destination)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((source + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        CopyFileA((source + "\\" + entry.cFileName).c_str(),
                  (destination + "\\" + entry.cFileName).c_str(), FALSE);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

namespace
{
// Runs `script` in the host's shell and waits for it however long it takes: host programs'
// process handles do not wait under Wine, so the script touches a marker file last.
void RunOnHost(const std::string& script)
{
    static int s_runs = 0;
    const std::string marker = "/tmp/kel-bench-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++s_runs) + ".done";
    std::string windowsMarker = "Z:" + marker;
    std::replace(windowsMarker.begin(), windowsMarker.end(), '/', '\\');
    DeleteFileA(windowsMarker.c_str());
    std::string commandLine =
        "/bin/sh -c \"(" + script + ") >/dev/null 2>&1; touch " + marker + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA("Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    while (!FileExists(windowsMarker))
        Sleep(1);
    DeleteFileA(windowsMarker.c_str());
}
} // namespace

void CopyWithHostCp(const std::string& source, const std::string& destination)
{
    RunOnHost("cp -r --sparse=never '" + UnixPathOf(source) + "/.' '" + UnixPathOf(destination) +
              "'");
}

void SettleDisk()
{
    RunOnHost("sync");
}

void TakeMemoryIntoUse(const std::string& scratchFolder, long long bytes)
{
    const std::string scratch = UnixPathOf(scratchFolder) + "/memory.tmp";
    RunOnHost("dd if=/dev/zero of='" + scratch +
              "' bs=1M count=" + std::to_string((bytes + (1 << 20) - 1) >> 20) + " && rm -f '" +
              scratch + "' && sync");
}

void DeleteAndSettle(const std::string& path)
{
    DeleteTree(path);
    SettleDisk();
}

Spread SpreadOf(std::vector<double> values)
{
    if (values.empty())
        return {0, 0, 0};
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    const double median =
        values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    return {median, values.front(), values.back()};
}

void CTargets::Add(const std::string& what, const std::string& value, bool met, bool runsSucceeded)
{
    m_targets.push_back({what, value, met, runsSucceeded});
}

bool CTargets::Print() const
{
    bool all = true;
    std::printf("\ntargets:\n");
    for (const Target& target : m_targets)
    {
        const bool met = target.met && target.runsSucceeded;
        all = all && met;
        std::printf("  %-58s %8s  %s\n", target.what.c_str(), target.value.c_str(),
                    met                    ? "met"
                    : target.runsSucceeded ? "NOT MET"
                                           : "NOT MET (a run failed)");
    }
    std::printf("%s\n", all ? "every target met" : "some targets not met");
    std::fflush(stdout);
    return all;
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
