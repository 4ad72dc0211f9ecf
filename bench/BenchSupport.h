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

// Two passes of the platform's CopyFileA over every file of `source` into `destination`.
void CopyTwiceWithCopyFile(const std::string& source, const std::string& destination);

// A plain `cp -r` of the host, waited for through a marker file.
void CopyWithHostCp(const std::string& source, const std::string& destination);

template <class SizeOf>
long long MakeFiles(const std::string& directory, int count, SizeOf sizeOf, const char* prefix)
{
    long long total = 0;
    for (int i = 0; i < count; ++i)
        total += WriteFileOfSize(directory + "\\" + prefix + std::to_string(i) + ".dat", sizeOf(i));
    return total;
}
