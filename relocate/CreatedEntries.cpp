#include "relocate/CreatedEntries.h"

#include "base/ReleaseInBatches.h"
#include "relocate/ChangeJournal.h"
#include "relocate/JournalRecords.h"

#include <windows.h>

bool CCreatedEntries::LiesWithin(const FileIdentity& entry) const
{
    return m_within.empty() || FinalPathLiesIn(entry.finalPath, m_within);
}

bool CCreatedEntries::Intend(bool folder, const std::wstring& path)
{
    m_intended[path] = SystemTimeNow();
    return m_journal == nullptr || m_journal->Intend(folder, path);
}

// Without an identity to prove it, an entry made after its intent counts as the one. A folder
// is proved in the journal at once, a file once it is whole.
bool CCreatedEntries::Made(bool folder, const std::wstring& path, const FileIdentity* identity)
{
    EntryProof proof;
    proof.folder = folder;
    proof.within = m_within;
    proof.proved = identity != nullptr || ReadEntryIdentity(path, proof.identity);
    if (identity != nullptr)
        proof.identity = *identity;
    const auto intended = m_intended.find(path);
    proof.madeAfter = intended != m_intended.end() ? intended->second : SystemTimeNow();
    if (m_entries.find(path) == m_entries.end())
        m_order.push_back(path);
    m_entries[path] = proof;
    return m_journal == nullptr || !folder || !proof.proved ||
           m_journal->Prove(path, proof.identity);
}

bool CCreatedEntries::Completed(const std::wstring& path, const FileIdentity* identity)
{
    auto found = m_entries.find(path);
    if (found == m_entries.end())
        return Journaled();
    EntryProof& proof = found->second;
    proof.proved = identity != nullptr || ReadEntryIdentity(path, proof.identity);
    if (identity != nullptr)
        proof.identity = *identity;
    proof.whole = proof.proved;
    return m_journal == nullptr || !proof.proved || m_journal->Prove(path, proof.identity);
}

bool CCreatedEntries::KeepAside(const KeptAsideFile& kept)
{
    m_keptAside.push_back(kept);
    return m_journal == nullptr || m_journal->KeepAside(kept);
}

void CCreatedEntries::ForgetKeptAside(const std::wstring& original)
{
    if (!m_keptAside.empty() && m_keptAside.back().original == original)
        m_keptAside.pop_back();
}

bool CCreatedEntries::Journaled() const
{
    return m_journal == nullptr || m_journal->IsOpen();
}

std::wstring CCreatedEntries::JournalPath() const
{
    return m_journal != nullptr ? m_journal->Path() : std::wstring();
}

DWORD CCreatedEntries::JournalError() const
{
    return m_journal != nullptr ? m_journal->Error() : 0;
}

bool CCreatedEntries::HasFile(const std::wstring& path) const
{
    const auto found = m_entries.find(path);
    return found != m_entries.end() && !found->second.folder;
}

bool CCreatedEntries::IsOwnFile(const std::wstring& path, const FileIdentity& entry) const
{
    const auto found = m_entries.find(path);
    return found != m_entries.end() && IsProvedBy(entry, found->second);
}

bool CCreatedEntries::HasFolder(const std::wstring& path) const
{
    const auto found = m_entries.find(path);
    return found != m_entries.end() && found->second.folder;
}

bool CCreatedEntries::Remove(const std::wstring& path)
{
    const auto found = m_entries.find(path);
    bool other = false;
    if (found == m_entries.end() || !RemoveEntryIfProved(path, found->second, other))
        return false;
    m_entries.erase(found);
    for (auto kept = m_keptAside.begin(); kept != m_keptAside.end(); ++kept)
        if (kept->original == path)
        {
            const bool back =
                IsKeptOriginal(*kept) && MoveFileExW(kept->aside.c_str(), path.c_str(), 0) != FALSE;
            m_keptAside.erase(kept);
            return back;
        }
    return true;
}

std::vector<std::wstring> CCreatedEntries::Undo(const std::function<void(size_t)>& undone)
{
    std::vector<std::wstring> left;
    size_t count = 0;
    for (auto path = m_order.rbegin(); path != m_order.rend(); ++path)
    {
        const auto found = m_entries.find(*path);
        bool other = false;
        // What stands there now is another's, and stays; not the move's to list.
        if (found != m_entries.end() && !RemoveEntryIfProved(*path, found->second, other) && !other)
            left.push_back(*path);
        if (undone)
            undone(++count);
    }
    // An original that is no longer where it was kept is not the move's to put back.
    for (auto kept = m_keptAside.rbegin(); kept != m_keptAside.rend(); ++kept)
    {
        if (IsKeptOriginal(*kept) && !MoveFileExW(kept->aside.c_str(), kept->original.c_str(), 0))
            left.push_back(kept->aside);
        if (undone)
            undone(++count);
    }
    m_entries.clear();
    m_intended.clear();
    m_order.clear();
    m_keptAside.clear();
    return left;
}

void CCreatedEntries::DropKeptAside()
{
    for (const KeptAsideFile& kept : m_keptAside)
        if (IsKeptOriginal(kept))
            DeleteFileW(kept.aside.c_str());
    m_keptAside.clear();
}

void CCreatedEntries::Forget(const std::function<void()>& pump)
{
    ReleaseInBatches(m_entries, pump);
    m_keptAside.clear();
}
