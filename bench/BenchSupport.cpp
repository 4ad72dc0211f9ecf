#include "bench/BenchSupport.h"

#include "tests/driver/TestFiles.h"

#include <windows.h>

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

void CopyTwiceWithCopyFile(const std::string& source, const std::string& destination)
{
    for (int pass = 0; pass < 2; ++pass)
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
}

void CopyWithHostCp(const std::string& source, const std::string& destination)
{
    const std::string done = destination + ".done";
    DeleteFileA(done.c_str());
    std::string commandLine = "/bin/sh -c \"cp -r '" + UnixPathOf(source) + "/.' '" +
                              UnixPathOf(destination) + "' && touch '" + UnixPathOf(destination) +
                              ".done'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA("Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    // The host program's handle does not wait for it; its marker file tells when it is done.
    while (!FileExists(done))
        Sleep(1);
    DeleteFileA(done.c_str());
}
