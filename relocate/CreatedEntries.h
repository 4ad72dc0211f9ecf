#pragma once

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

// What one command created in a destination directory, so that a command that ends without
// storing its change can leave the destination as it found it. Only what the command created
// is listed: a file it overwrote was there before and stays.
class CCreatedEntries
{
public:
    void AddFile(const std::string& path);
    void AddDirectory(const std::string& path);
    // An entry renamed from `from` to `to`: undone by renaming it back.
    void AddRenamed(const std::string& from, const std::string& to);

    // True when this command created the file at `path` (as spelled when it was added).
    bool HasFile(const std::string& path) const;

    size_t Count() const { return m_entries.size(); }

    // Removes every created file and directory, newest first, and renames every renamed entry
    // back. A directory that holds anything else by then is left in place. `undone`, when
    // given, is called after each entry with the number undone so far.
    void Undo(const std::function<void(size_t)>& undone = nullptr);

private:
    struct Entry
    {
        enum Kind
        {
            kFile,
            kDirectory,
            kRenamed
        } kind;
        std::string path;
        std::string renamedFrom;
    };
    std::vector<Entry> m_entries;
    std::unordered_set<std::string> m_files;
};
