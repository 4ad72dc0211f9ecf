#include "config/ProfileStore.h"

#include "base/DiskSpace.h"
#include "base/WideText.h"

#include <algorithm>
#include <cctype>
#include <cwchar>

namespace
{
const int kWriteAttempts = 2;
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
bool CCheckedChanges::FileReadsBackWhole() const
{
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
                return false;
        }
    }
    return true;
}

StoreResult CCheckedChanges::Finish() const
{
    if (m_result.stored && m_entriesNoted && !FileReadsBackWhole())
        return {false, ReadBackError()};
    return m_result;
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
    return changes.Finish();
}
} // namespace

StoreResult StoreSetting(const CProfileFile& profile, const SettingChange& change)
{
    if (profile.GetString(change.section, change.key) != change.oldValue)
        return {false, 0};
    const StoreResult result = Put(profile, change, change.newValue);
    const std::string now = profile.GetString(change.section, change.key);
    if (!result.stored && now != change.oldValue && (now.empty() || now == change.newValue))
        Put(profile, change, change.oldValue);
    return result;
}

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

CSectionCheckedChanges::CSectionCheckedChanges(const CProfileFile& profile) : m_profile(profile)
{
    if (!MayBeNearlyFull(FolderOf(m_profile.GetPath())))
        return;
    for (const std::string& section : m_profile.GetSectionNames())
        m_entriesBefore.emplace_back(WidenText(section), ReadSection(WidenText(section)));
}

std::vector<ProfileEntry> CSectionCheckedChanges::ReadSection(const std::wstring& section) const
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

bool CSectionCheckedChanges::Make(const Change& change)
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
bool CSectionCheckedChanges::Record(const char* section, const char* key, const std::string* value)
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

bool CSectionCheckedChanges::Write(const char* section, const char* key, const std::string& value)
{
    return Record(section, key, &value);
}

bool CSectionCheckedChanges::Remove(const char* section, const char* key)
{
    return Record(section, key, nullptr);
}

bool CSectionCheckedChanges::ReadBack(const char* section, std::vector<ProfileEntry>& entries)
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

bool CSectionCheckedChanges::WasChanged(const std::wstring& section, const std::wstring& key) const
{
    for (const Change& change : m_changes)
        if (EqualIgnoringCase(change.wideSection, section) &&
            EqualIgnoringCase(change.wideKey, key))
            return true;
    return false;
}

// Every entry noted before that no change touched reads back as it was: the file was not cut
// short.
bool CSectionCheckedChanges::FileReadsBackWhole() const
{
    for (const auto& before : m_entriesBefore)
    {
        const std::vector<ProfileEntry> now = ReadSection(before.first);
        for (const ProfileEntry& entry : before.second)
        {
            if (WasChanged(before.first, entry.key))
                continue;
            const bool kept =
                std::any_of(now.begin(), now.end(),
                            [&](const ProfileEntry& other)
                            { return other.key == entry.key && other.value == entry.value; });
            if (!kept)
                return false;
        }
    }
    return true;
}

StoreResult CSectionCheckedChanges::Finish()
{
    std::vector<ProfileEntry> entries;
    for (size_t i = 0; i < m_changes.size() && m_result.stored; ++i)
        if (!m_changes[i].readBack)
            ReadBack(m_changes[i].section.c_str(), entries);
    if (m_result.stored && !m_entriesBefore.empty() && !FileReadsBackWhole())
        return {false, ReadBackErrorFor(m_profile)};
    return m_result;
}
