#pragma once

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

class CChangeJournal;

// What one command created in a destination directory, so that a command that ends without
// storing its change can leave the destination as it found it. Only what the command created
// is listed: a file it replaced was there before and stays. With a journal, every entry is
// also written there the moment it is added, for a later run to clean up after a command that
// could not finish.
class CCreatedEntries
{
public:
    explicit CCreatedEntries(CChangeJournal* journal = nullptr) : m_journal(journal) {}

    void AddFile(const std::wstring& path);
    void AddFolder(const std::wstring& path);

    // True when this command created the file or directory at `path` (as spelled when it was
    // added).
    bool HasFile(const std::wstring& path) const;
    bool HasFolder(const std::wstring& path) const;
    // Removes a directory this command created, now, as Undo would; false when it is still
    // there.
    bool RemoveFolder(const std::wstring& path);
    // Removes a file this command created, now, as Undo would; false when it is still there.
    bool RemoveFile(const std::wstring& path);

    size_t Count() const { return m_entries.size(); }

    // Removes every created file and directory, newest first. A directory that holds anything
    // else by then is left in place. `undone`, when given, is called after each entry with the
    // number undone so far. Returns the entries that could not be removed.
    std::vector<std::wstring> Undo(const std::function<void(size_t)>& undone = nullptr);

private:
    struct Entry
    {
        bool directory;
        std::wstring path;
    };
    CChangeJournal* m_journal;
    std::vector<Entry> m_entries;
    std::unordered_set<std::wstring> m_files;
    std::unordered_set<std::wstring> m_folders;
};
