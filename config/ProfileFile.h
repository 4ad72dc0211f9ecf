#pragma once

#include "framework/Object.h"

#include <windows.h>

#include <string>
#include <vector>

// One INI-style profile file, bound by its full path. Every operation is exactly one call of the
// platform's private-profile functions on that path: nothing is cached and no file is held open,
// so the print server may read and write the same file between any two calls.
class CProfileFile : public CObject
{
public:
    CProfileFile() = default;
    explicit CProfileFile(std::string path) : m_path(std::move(path)) {}

    void SetPath(std::string path) { m_path = std::move(path); }
    const std::string& GetPath() const { return m_path; }

    // The value of [section] key, at most 1023 characters. A missing or empty value, section or
    // file all give `defaultValue`, or the empty text when it is null.
    std::string GetString(const char* section, const char* key,
                          const char* defaultValue = nullptr) const;
    // Creates the file, section or key as needed. Returns the platform's success flag.
    BOOL WriteString(const char* section, const char* key, const char* value) const;
    // Removes [section] key. With both null it removes nothing and writes every change made so
    // far out to the file (a flush of the platform's cache of profiles).
    BOOL DeleteKey(const char* section, const char* key) const;
    UINT GetInt(const char* section, const char* key, int defaultValue) const;
    // 1 when GetInt gives a nonzero value, else 0.
    int GetFlag(const char* section, const char* key, int defaultValue) const;
    // The names of every section, in file order.
    std::vector<std::string> GetSectionNames() const;
    // Every entry of [section] as "key=value", in file order, as the platform stores it; one
    // call instead of one per key, for long lists.
    std::vector<std::string> GetSectionEntries(const char* section) const;

private:
    std::string m_path;
};

// [section] key of the profile file at `path` as GetInt reads it, for a file whose name the
// host code page may not hold.
UINT GetProfileIntAt(const std::wstring& path, const char* section, const char* key,
                     int defaultValue);
