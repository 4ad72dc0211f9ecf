#include "config/ProfileStore.h"

#include "base/DiskSpace.h"
#include "base/WideText.h"

#include <algorithm>
#include <cctype>

namespace
{
const int kWriteAttempts = 1;
// Enough for any number of duplicate keys a hand-edited profile holds, bounded all the same.
const int kRemoveAttempts = 64;
// Below this much free space a rewrite of the file may be cut short.
const ULONGLONG kNearlyFull = 1024 * 1024;
// So much free space, once seen, is taken as there for a second: no rewrite of a profile uses
// it up, and a query of the volume for each of a large queue's job files costs time.
const ULONGLONG kPlentyOfRoom = 64 * 1024 * 1024;
const ULONGLONG kRoomKnownForMs = 1000;

std::wstring FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('\\');
    return WidenText(slash == std::string::npos ? path : path.substr(0, slash + 1));
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c)
                   { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

bool MayBeNearlyFull(const std::wstring& folder)
{
    static std::wstring s_roomyFolder;
    static ULONGLONG s_roomyUntil = 0;
    const ULONGLONG now = GetTickCount64();
    if (folder == s_roomyFolder && now < s_roomyUntil)
        return false;
    ULONGLONG available = 0;
    if (!FreeBytesAvailable(folder, available))
        return false;
    if (available >= kPlentyOfRoom)
    {
        s_roomyFolder = folder;
        s_roomyUntil = now + kRoomKnownForMs;
    }
    return available < kNearlyFull;
}

// The key of an entry "key=value", in lower case.
std::string KeyOf(const std::string& entry)
{
    return Lower(entry.substr(0, entry.find('=')));
}
} // namespace

CCheckedChanges::CCheckedChanges(const CProfileFile& profile) : m_profile(profile)
{
    if (!MayBeNearlyFull(FolderOf(m_profile.GetPath())))
        return;
    for (const std::string& section : m_profile.GetSectionNames())
        m_entriesBefore.emplace_back(section, m_profile.GetSectionEntries(section.c_str()));
    m_entriesNoted = true;
}

template <class Change, class ReadsBack>
bool CCheckedChanges::Make(Change change, ReadsBack readsBack, int attempts)
{
    if (!m_result.stored)
        return false;
    for (int attempt = 0; attempt < attempts; ++attempt)
    {
        SetLastError(0);
        if (!change())
        {
            const DWORD error = GetLastError();
            m_result = {false, error != 0 ? error : DWORD{ERROR_WRITE_FAULT}};
            return false;
        }
        if (readsBack())
            return true;
    }
    m_result = {false, ReadBackError()};
    return false;
}

// Why a change read back otherwise: a value cut off on a full volume, or another writer.
DWORD CCheckedChanges::ReadBackError() const
{
    return VolumeIsFull(FolderOf(m_profile.GetPath())) ? DWORD{ERROR_DISK_FULL} : DWORD{0};
}

bool CCheckedChanges::Write(const char* section, const char* key, const std::string& value)
{
    m_changed.emplace_back(Lower(section), Lower(key));
    return Make([&] { return m_profile.WriteString(section, key, value.c_str()) != FALSE; },
                [&] { return m_profile.GetString(section, key) == value; }, kWriteAttempts);
}

bool CCheckedChanges::Remove(const char* section, const char* key)
{
    m_changed.emplace_back(Lower(section), Lower(key));
    return Make([&] { return m_profile.DeleteKey(section, key) != FALSE; },
                [&] { return m_profile.GetString(section, key).empty(); }, kRemoveAttempts);
}

// Every entry noted before that no change touched reads back as it was: the file was not cut
// short.
// The entries noted before that no change touched and that no longer read back as they were:
// the file was cut short. Each as its section and its "key=value".
std::vector<std::pair<std::string, std::string>> CCheckedChanges::LostEntries() const
{
    std::vector<std::pair<std::string, std::string>> lost;
    for (const auto& before : m_entriesBefore)
    {
        const std::string section = Lower(before.first);
        const std::vector<std::string> now = m_profile.GetSectionEntries(before.first.c_str());
        for (const std::string& entry : before.second)
        {
            const bool changed =
                std::find(m_changed.begin(), m_changed.end(),
                          std::make_pair(section, KeyOf(entry))) != m_changed.end();
            if (!changed && std::find(now.begin(), now.end(), entry) == now.end())
                lost.emplace_back(before.first, entry);
        }
    }
    return lost;
}

StoreResult CCheckedChanges::Finish() const
{
    if (m_result.stored && m_entriesNoted && !LostEntries().empty())
        return {false, ReadBackError()};
    return m_result;
}

StoreResult CCheckedChanges::FinishRestoring() const
{
    if (!m_result.stored || !m_entriesNoted)
        return m_result;
    const std::vector<std::pair<std::string, std::string>> lost = LostEntries();
    if (lost.empty())
        return m_result;
    StoreResult result = {false, ReadBackError()};
    for (const auto& entry : lost)
    {
        const size_t equals = entry.second.find('=');
        const std::string key = entry.second.substr(0, equals);
        const std::string value =
            equals == std::string::npos ? "" : entry.second.substr(equals + 1);
        if (!m_profile.WriteString(entry.first.c_str(), key.c_str(), value.c_str()) ||
            m_profile.GetString(entry.first.c_str(), key.c_str()) != value)
            result.lost.push_back("[" + entry.first + "] " + key);
    }
    return result;
}

namespace
{
void Flush(const CProfileFile& profile)
{
    profile.DeleteKey(nullptr, nullptr);
}

// Makes the change's value `value` (none: removed), checked.
StoreResult Put(const CProfileFile& profile, const SettingChange& change, const std::string& value)
{
    CCheckedChanges changes(profile);
    if (change.onlyOneKey || value.empty())
    {
        if (changes.Remove(change.section, change.key))
            Flush(profile);
    }
    if (!value.empty())
        changes.Write(change.section, change.key, value);
    if (change.onlyOneKey)
        Flush(profile);
    return changes.FinishRestoring();
}

// The old value is put back only while the stored value is still the tool's own: the new one,
// or none after a removal.
void PutBackOld(const CProfileFile& profile, const SettingChange& change)
{
    const std::string now = profile.GetString(change.section, change.key);
    if (now != change.oldValue && (now.empty() || now == change.newValue))
        Put(profile, change, change.oldValue);
}
} // namespace

// The value is read again just before it is written, after every wait; a removal and its write
// are undone as one, should anything come between them.
StoreResult StoreSetting(const CProfileFile& profile, const SettingChange& change)
{
    if (profile.GetString(change.section, change.key) != change.oldValue)
        return {false, 0};
    StoreResult result = {false, 0};
    try
    {
        result = Put(profile, change, change.newValue);
    }
    catch (...)
    {
        PutBackOld(profile, change);
        throw;
    }
    if (!result.stored)
        PutBackOld(profile, change);
    return result;
}
