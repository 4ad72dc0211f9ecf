#pragma once

#include "relocate/JournalRecords.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The record on disk of what a move creates in its destination, kept while it carries files in
// the administrators' folder, so that a later run can take back what a move that was cut short
// (a log-off, a shutdown, the process killed) left behind, and nothing else. To use:
// - Begin names the destination and the setting; no move goes on without its journal.
// - Intend each entry before it is made, Prove it once made; KeepAside each file of the
//   destination that a copy replaces. A false result means the journal can no longer be
//   written: the move must stop.
// - NoteStore the value about to be stored, then AwaitDisk before the last look at the source.
// - End removes the journal, or keeps it for a later run.
// What is written outlives the process at once; a thread of the journal's own puts it on the
// disk itself at least once a second, so that a power cut loses at most the last second.
class CChangeJournal
{
public:
    // `pump` is called while AwaitDisk waits, so that the thread goes on answering its
    // messages; a session's end may end the journal from there.
    explicit CChangeJournal(std::function<void()> pump = nullptr);
    ~CChangeJournal();
    CChangeJournal(const CChangeJournal&) = delete;
    CChangeJournal& operator=(const CChangeJournal&) = delete;

    // The journal of the change that the lock named `key` guards, in `folder`; false, with
    // Error, when it cannot be made.
    bool Begin(const std::wstring& folder, const std::wstring& key, const std::wstring& destination,
               const JournalSetting& setting);
    bool Intend(bool folder, const std::wstring& path);
    bool Prove(const std::wstring& path, const FileIdentity& identity);
    bool KeepAside(const KeptAsideFile& kept);
    bool NoteStore(const JournalSetting& store);
    // Puts everything written so far on the disk and waits for it; false when the journal was
    // ended meanwhile.
    bool AwaitDisk();
    void End(bool keep);

    bool IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }
    // The platform's error that stopped the journal, or 0.
    DWORD Error() const { return m_error; }
    const std::wstring& Path() const { return m_path; }

private:
    static DWORD WINAPI PutOnDisk(void* journal);
    bool Write(const std::string& line);
    void Close();

    std::wstring m_path;
    std::function<void()> m_pump;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    bool m_made = false;         // this run made the file at m_path
    HANDLE m_diskFile = nullptr; // the same file, for the thread that puts it on disk
    DWORD m_error = 0;
    HANDLE m_flusher = nullptr;
    HANDLE m_stop = nullptr;    // ends the flusher
    HANDLE m_request = nullptr; // asks it to put the journal on disk now
    HANDLE m_done = nullptr;    // it has, since the last request
};

// The journals in `folder` of the changes that the lock named `key` guards, oldest first: each
// run keeps its own, so that a new run never overwrites what an earlier one left to account for.
std::vector<std::wstring> JournalPaths(const std::wstring& folder, const std::wstring& key);
