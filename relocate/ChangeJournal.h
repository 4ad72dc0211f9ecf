#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A record on disk of every file and folder that a command carrying files over has created,
// kept while it carries them, outside the server's folders (in the common application data
// folder, in a folder only administrators may write), so that what a command ended from
// outside (a log-off, a shutdown, the process killed) leaves behind can be removed by a later
// run. Entries are written the moment they are added and put on disk at least once a second.
// Before the command stores its change, the value it is about to store is noted too: a later
// run that finds it stored keeps the copies, which the profile then names.
class CChangeJournal
{
public:
    // The journal of the server whose changes `key` serialises (see CChangeLock). `pump`, when
    // given, is called while the journal waits for the disk before a store, so that the thread
    // goes on answering its messages; a session's end may end the journal from there.
    explicit CChangeJournal(const std::wstring& key, std::function<void()> pump = nullptr);
    ~CChangeJournal();
    CChangeJournal(const CChangeJournal&) = delete;
    CChangeJournal& operator=(const CChangeJournal&) = delete;

    // Starts the journal of a carry-over into `destination`. False when it cannot be written:
    // the command then goes on without one.
    bool Begin(const std::wstring& destination);
    void Add(bool directory, const std::wstring& path);
    // [section] key of the profile `profilePath` is about to be set to `value`.
    void NoteStore(const std::string& profilePath, const char* section, const char* key,
                   const std::string& value);
    // Ends the journal: removed when nothing of the command is left to clean up, kept for a
    // later run otherwise.
    void End(bool keep);

    // What the cleanup after an interrupted command found.
    struct Recovery
    {
        std::wstring destination;       // where the interrupted command carried files to
        size_t listed = 0;              // entries it listed
        std::vector<std::wstring> left; // entries it listed that could not be removed
        bool stored = false; // its change was stored after all: the copies stay, and are named
    };
    // Cleans up after a journal left behind by a run that ended without finishing: removes
    // what it lists, newest first (only files and folders that are still such, and only inside
    // its destination, never anything in an old folder), then the journal itself; unless the
    // change it noted was stored after all. False when there is no such journal, or one that
    // neither an administrator nor this user wrote. Only the holder of the server's lock may
    // call it.
    bool RecoverInterrupted(Recovery& recovery);

private:
    bool Append(const std::string& line); // false without a journal
    void Write(const std::string& line);
    void StartFlush();
    bool FlushRunning() const;
    void FlushPumping();
    bool AwaitFlushPumping();
    void AwaitFlush();
    void Close();

    std::wstring m_path;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    HANDLE m_flushFile = INVALID_HANDLE_VALUE; // the same file, for the thread that flushes
    ULONGLONG m_lastFlush = 0;
    std::function<void()> m_pump;
    HANDLE m_flusher = nullptr; // the thread that puts the journal on disk
};
