#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A record on disk of every file and folder that a command carrying files over has created,
// kept while it carries them, outside the server's folders (in the common application data
// folder), so that what a command ended from outside (a log-off, a shutdown, the process
// killed) leaves behind can be removed by a later run. Entries are written the moment they are
// added and put on disk at least once a second.
class CChangeJournal
{
public:
    // The journal of the server whose changes `key` serialises (see CChangeLock).
    explicit CChangeJournal(const std::wstring& key);
    ~CChangeJournal();
    CChangeJournal(const CChangeJournal&) = delete;
    CChangeJournal& operator=(const CChangeJournal&) = delete;

    // Starts the journal of a carry-over into `destination`. False when it cannot be written:
    // the command then goes on without one.
    bool Begin(const std::wstring& destination);
    void Add(bool directory, const std::wstring& path);
    // Ends the journal: removed when nothing of the command is left to clean up, kept for a
    // later run otherwise.
    void End(bool keep);

    // What the cleanup after an interrupted command found.
    struct Recovery
    {
        std::wstring destination;       // where the interrupted command carried files to
        size_t listed = 0;              // entries it listed
        std::vector<std::wstring> left; // entries it listed that could not be removed
    };
    // Cleans up after a journal left behind by a run that ended without finishing: removes
    // what it lists, newest first (only files and folders that are still such, and only inside
    // its destination, never anything in an old folder), then the journal itself. False when
    // there is no such journal. Only the holder of the server's lock may call it.
    bool RecoverInterrupted(Recovery& recovery);

private:
    void Write(const std::string& line);

    std::wstring m_path;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    ULONGLONG m_lastFlush = 0;
};
