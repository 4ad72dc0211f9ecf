#include "relocate/CreatedEntries.h"

#include "relocate/ChangeJournal.h"
#include "relocate/DirectoryPrimitives.h"

#include <windows.h>

void CCreatedEntries::AddFile(const std::wstring& path)
{
    if (!m_files.insert(path).second)
        return;
    m_entries.push_back({false, path});
    if (m_journal != nullptr)
        m_journal->Add(false, path);
}

void CCreatedEntries::AddFolder(const std::wstring& path)
{
    m_folders.insert(path);
    m_entries.push_back({true, path});
    if (m_journal != nullptr)
        m_journal->Add(true, path);
}

bool CCreatedEntries::HasFile(const std::wstring& path) const
{
    return m_files.count(path) != 0;
}

bool CCreatedEntries::HasFolder(const std::wstring& path) const
{
    return m_folders.count(path) != 0;
}

bool CCreatedEntries::RemoveFile(const std::wstring& path)
{
    return m_files.count(path) != 0 && RemoveCreatedEntry(false, path);
}

bool CCreatedEntries::RemoveFolder(const std::wstring& path)
{
    return m_folders.erase(path) != 0 && RemoveCreatedEntry(true, path);
}

std::vector<std::wstring> CCreatedEntries::Undo(const std::function<void(size_t)>& undone)
{
    std::vector<std::wstring> left;
    size_t count = 0;
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry)
    {
        if (!RemoveCreatedEntry(entry->directory, entry->path))
            left.push_back(entry->path);
        if (undone)
            undone(++count);
    }
    m_entries.clear();
    m_files.clear();
    m_folders.clear();
    return left;
}
