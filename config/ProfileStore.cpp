#include "config/ProfileStore.h"

#include "base/DiskSpace.h"
#include "base/WideText.h"

#include <algorithm>
#include <cwchar>

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

} // namespace

namespace
{
const wchar_t kBlanks[] = L" \t";
const DWORD kFirstSectionSize = 4096;

std::wstring Trimmed(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The first entry of `key`, as the platform finds a key: without regard to letter case.
const ProfileEntry* FindEntry(const std::vector<ProfileEntry>& entries, const std::wstring& key)
{
    for (const ProfileEntry& entry : entries)
        if (EqualIgnoringCase(entry.key, key))
            return &entry;
    return nullptr;
}

DWORD ReadBackErrorFor(const CProfileFile& profile)
{
    return VolumeIsFull(FolderOf(profile.GetPath())) ? DWORD{ERROR_DISK_FULL} : DWORD{0};
}
} // namespace

CCheckedChanges::CCheckedChanges(const CProfileFile& profile) : m_profile(profile)
{
    if (!MayBeNearlyFull(FolderOf(m_profile.GetPath())))
        return;
    for (const std::string& section : m_profile.GetSectionNames())
        m_entriesBefore.emplace_back(WidenText(section), ReadSection(WidenText(section)));
}

std::vector<ProfileEntry> CCheckedChanges::ReadSection(const std::wstring& section) const
{
    const std::wstring path = WidenText(m_profile.GetPath());
    std::vector<wchar_t> buffer;
    // A section that fills the buffer up to its last two characters may have been cut.
    for (DWORD size = kFirstSectionSize;; size *= 2)
    {
        buffer.assign(size, L'\0');
        const DWORD length =
            GetPrivateProfileSectionW(section.c_str(), buffer.data(), size, path.c_str());
        if (length + 2 < size || size >= (1u << 30))
            break;
    }
    std::vector<ProfileEntry> entries;
    for (const wchar_t* text = buffer.data(); *text != L'\0'; text += wcslen(text) + 1)
    {
        const std::wstring line(text);
        const size_t equals = line.find(L'=');
        entries.push_back(
            {Trimmed(line.substr(0, equals)),
             equals == std::wstring::npos ? std::wstring() : Trimmed(line.substr(equals + 1))});
    }
    return entries;
}

bool CCheckedChanges::Make(const Change& change)
{
    SetLastError(0);
    const BOOL made = change.removal
                          ? m_profile.DeleteKey(change.section.c_str(), change.key.c_str())
                          : m_profile.WriteString(change.section.c_str(), change.key.c_str(),
                                                  change.value.c_str());
    if (made)
        return true;
    const DWORD error = GetLastError();
    m_result = {false, error != 0 ? error : DWORD{ERROR_WRITE_FAULT}};
    return false;
}

// Notes a change and makes it; it replaces an earlier change of its key not yet read back.
bool CCheckedChanges::Record(const char* section, const char* key, const std::string* value)
{
    if (!m_result.stored)
        return false;
    Change change;
    change.section = section;
    change.key = key;
    change.value = value != nullptr ? *value : std::string();
    change.wideSection = WidenText(change.section);
    change.wideKey = Trimmed(WidenText(change.key));
    change.wideValue = WidenText(change.value);
    change.removal = value == nullptr;
    for (Change& earlier : m_changes)
        if (!earlier.readBack && EqualIgnoringCase(earlier.wideSection, change.wideSection) &&
            EqualIgnoringCase(earlier.wideKey, change.wideKey))
        {
            earlier = change;
            return Make(earlier);
        }
    m_changes.push_back(change);
    return Make(change);
}

bool CCheckedChanges::Write(const char* section, const char* key, const std::string& value)
{
    return Record(section, key, &value);
}

bool CCheckedChanges::Remove(const char* section, const char* key)
{
    return Record(section, key, nullptr);
}

bool CCheckedChanges::ReadBack(const char* section, std::vector<ProfileEntry>& entries)
{
    const std::wstring name = WidenText(section);
    for (;;)
    {
        entries = ReadSection(name);
        if (!m_result.stored)
            return false;
        bool again = false;
        for (Change& change : m_changes)
        {
            if (change.readBack || !EqualIgnoringCase(change.wideSection, name))
                continue;
            const ProfileEntry* found = FindEntry(entries, change.wideKey);
            if (change.removal ? found == nullptr
                               : found != nullptr && found->value == change.wideValue)
                continue;
            if (change.attempts == (change.removal ? kRemoveAttempts : kWriteAttempts))
            {
                m_result = {false, ReadBackErrorFor(m_profile)};
                return false;
            }
            ++change.attempts;
            if (!Make(change))
                return false;
            again = true;
        }
        if (!again)
            break;
    }
    for (Change& change : m_changes)
        if (EqualIgnoringCase(change.wideSection, name))
            change.readBack = true;
    return true;
}

bool CCheckedChanges::WasChanged(const std::wstring& section, const std::wstring& key) const
{
    for (const Change& change : m_changes)
        if (EqualIgnoringCase(change.wideSection, section) &&
            EqualIgnoringCase(change.wideKey, key))
            return true;
    return false;
}

// The entries noted before that no change touched and that no longer read back as they were:
// the file was cut short. Each with its section.
std::vector<std::pair<std::wstring, ProfileEntry>> CCheckedChanges::LostEntries() const
{
    std::vector<std::pair<std::wstring, ProfileEntry>> lost;
    for (const auto& before : m_entriesBefore)
    {
        const std::vector<ProfileEntry> now = ReadSection(before.first);
        for (const ProfileEntry& entry : before.second)
        {
            const bool kept =
                WasChanged(before.first, entry.key) ||
                std::any_of(now.begin(), now.end(),
                            [&](const ProfileEntry& other)
                            { return other.key == entry.key && other.value == entry.value; });
            if (!kept)
                lost.emplace_back(before.first, entry);
        }
    }
    return lost;
}

StoreResult CCheckedChanges::Finish()
{
    std::vector<ProfileEntry> entries;
    for (size_t i = 0; i < m_changes.size() && m_result.stored; ++i)
        if (!m_changes[i].readBack)
            ReadBack(m_changes[i].section.c_str(), entries);
    if (m_result.stored && !m_entriesBefore.empty() && !LostEntries().empty())
        return {false, ReadBackErrorFor(m_profile)};
    return m_result;
}

StoreResult CCheckedChanges::FinishRestoring()
{
    StoreResult result = Finish();
    if (result.stored)
        return result;
    for (const auto& entry : LostEntries())
    {
        const std::string section = NarrowText(entry.first);
        const std::string key = NarrowText(entry.second.key);
        const std::string value = NarrowText(entry.second.value);
        if (!m_profile.WriteString(section.c_str(), key.c_str(), value.c_str()) ||
            m_profile.GetString(section.c_str(), key.c_str()) != value)
            result.lost.push_back("[" + section + "] " + key);
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
    std::vector<ProfileEntry> entries;
    if (change.onlyOneKey || value.empty())
    {
        // Every key of the name goes before the new one is written.
        if (changes.Remove(change.section, change.key) &&
            changes.ReadBack(change.section, entries))
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

