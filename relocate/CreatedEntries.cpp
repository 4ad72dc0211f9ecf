#include "relocate/CreatedEntries.h"

#include "relocate/ChangeJournal.h"

#include <windows.h>

bool RemoveCreatedEntry(bool directory, const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    // Something else of that name has taken the entry's place: it is not ours to remove.
    if (((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != directory)
        return true;
    if (directory && !RemoveDirectoryW(path.c_str()))
        return GetLastError() == ERROR_DIR_NOT_EMPTY;
    if (!directory)
    {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    // Some platforms report a removal that the file system then refuses as done.
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

void CCreatedEntries::AddFile(const std::wstring& path)
{
    if (!m_files.insert(path).second)
        return;
    m_entries.push_back({false, path});
    if (m_journal != nullptr)
        m_journal->Add(false, path);
}

void CCreatedEntries::AddDirectory(const std::wstring& path)
{
    m_entries.push_back({true, path});
    if (m_journal != nullptr)
        m_journal->Add(true, path);
}

bool CCreatedEntries::HasFile(const std::wstring& path) const
{
    return m_files.count(path) != 0;
}

bool CCreatedEntries::RemoveFile(const std::wstring& path)
{
    return m_files.count(path) != 0 && RemoveCreatedEntry(false, path);
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
    return left;
}
