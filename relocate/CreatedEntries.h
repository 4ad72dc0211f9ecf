#pragma once

#include "relocate/FileIdentity.h"

#include <windows.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class CChangeJournal;

// What one command created in a destination directory, so that a command that ends without
// storing its change can leave the destination as it found it: its files and folders, each
// removed only while it is still the one made, and the files of the destination that its
// copies replaced, each kept aside and put back. With a journal, each entry is written there
// before it is made and proved once made, for a later run to clean up after a command that
// could not finish. To use: Intend an entry, make it, then Made it, and a file Completed once
// written whole; KeepAside an original before a copy takes its place. A false result means the
// journal can no longer be written.
class CCreatedEntries
{
public:
    explicit CCreatedEntries(CChangeJournal* journal = nullptr) : m_journal(journal) {}

    // What is made must lie in the folder of this final path, or it is never removed again.
    void SetWithin(const std::wstring& finalPath) { m_within = finalPath; }
    // True when `entry` lies there (always when no folder is set): a folder on its path swapped
    // for a link since it was checked leads elsewhere.
    bool LiesWithin(const FileIdentity& entry) const;

    bool Intend(bool folder, const std::wstring& path);
    // The entry at `path` is made: its identity proves it from now on. `identity`, when given,
    // is the entry's, just read through a handle.
    bool Made(bool folder, const std::wstring& path, const FileIdentity* identity = nullptr);
    // The file at `path` that this command made is written whole (again): its size and time
    // prove it too.
    bool Completed(const std::wstring& path, const FileIdentity* identity = nullptr);
    bool KeepAside(const KeptAsideFile& kept);
    // The original at `original` was not kept aside after all: it stands where it stood.
    void ForgetKeptAside(const std::wstring& original);

    // True when this command created the file or folder at `path` (as spelled when made).
    bool HasFile(const std::wstring& path) const;
    bool HasFolder(const std::wstring& path) const;
    // True when `entry`, found at `path`, is provably the file this command made there.
    bool IsOwnFile(const std::wstring& path, const FileIdentity& entry) const;
    // Removes an entry this command created, now, as Undo would, and puts back the original it
    // replaced; false when it is still there.
    bool Remove(const std::wstring& path);

    size_t Count() const { return m_order.size() + m_keptAside.size(); }
    // Whether the journal can still be written (always without one); a move stops once not.
    bool Journaled() const;
    // The journal's path, and the platform's error that stopped it.
    std::wstring JournalPath() const;
    DWORD JournalError() const;

    // Removes every created entry that is still the one made, newest first, and puts back every
    // original kept aside. A folder that holds anything else by then is left in place.
    // `undone`, when given, is called after each entry with the number undone so far. Returns
    // the entries that could not be removed or put back.
    std::vector<std::wstring> Undo(const std::function<void(size_t)>& undone = nullptr);
    // The originals kept aside are no longer needed: the copies that replaced them stay.
    void DropKeptAside();
    // Lets go of every entry, calling `pump` as it goes: the command is over.
    void Forget(const std::function<void()>& pump);

private:
    CChangeJournal* m_journal;
    std::wstring m_within;
    std::unordered_map<std::wstring, ULONGLONG> m_intended;
    std::unordered_map<std::wstring, EntryProof> m_entries;
    std::vector<std::wstring> m_order;
    std::vector<KeptAsideFile> m_keptAside;
};
