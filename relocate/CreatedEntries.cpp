#include "relocate/CreatedEntries.h"

#include <windows.h>

void CCreatedEntries::AddFile(const std::string& path)
{
    if (m_files.insert(path).second)
        m_entries.push_back({Entry::kFile, path, std::string()});
}

void CCreatedEntries::AddDirectory(const std::string& path)
{
    m_entries.push_back({Entry::kDirectory, path, std::string()});
}

void CCreatedEntries::AddRenamed(const std::string& from, const std::string& to)
{
    m_entries.push_back({Entry::kRenamed, to, from});
}

bool CCreatedEntries::HasFile(const std::string& path) const
{
    return m_files.count(path) != 0;
}

void CCreatedEntries::Undo(const std::function<void(size_t)>& undone)
{
    size_t count = 0;
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry)
    {
        switch (entry->kind)
        {
        case Entry::kFile:
            SetFileAttributesA(entry->path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(entry->path.c_str());
            break;
        case Entry::kDirectory:
            RemoveDirectoryA(entry->path.c_str());
            break;
        case Entry::kRenamed:
            MoveFileA(entry->path.c_str(), entry->renamedFrom.c_str());
            break;
        }
        if (undone)
            undone(++count);
    }
    m_entries.clear();
    m_files.clear();
}
