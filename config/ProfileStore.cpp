#include "config/ProfileStore.h"

namespace
{
const int kAttempts = 2;

bool VolumeIsFull(const std::string& path)
{
    const size_t slash = path.find_last_of('\\');
    const std::string directory = slash == std::string::npos ? path : path.substr(0, slash + 1);
    ULARGE_INTEGER available;
    return GetDiskFreeSpaceExA(directory.c_str(), &available, nullptr, nullptr) &&
           available.QuadPart == 0;
}
} // namespace

template <class Change, class ReadsBack>
bool CCheckedChanges::Make(Change change, ReadsBack readsBack)
{
    if (!m_result.stored)
        return false;
    for (int attempt = 0; attempt < kAttempts; ++attempt)
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
    // A value cut off on a full volume reads back otherwise too.
    m_result = {false, VolumeIsFull(m_profile.GetPath()) ? DWORD{ERROR_DISK_FULL} : DWORD{0}};
    return false;
}

bool CCheckedChanges::Write(const char* section, const char* key, const std::string& value)
{
    return Make([&] { return m_profile.WriteString(section, key, value.c_str()) != FALSE; },
                [&] { return m_profile.GetString(section, key) == value; });
}

bool CCheckedChanges::Remove(const char* section, const char* key)
{
    return Make([&] { return m_profile.DeleteKey(section, key) != FALSE; },
                [&] { return m_profile.GetString(section, key).empty(); });
}

StoreResult CCheckedChanges::Finish() const
{
    if (m_result.stored && VolumeIsFull(m_profile.GetPath()))
        return {false, ERROR_DISK_FULL};
    return m_result;
}

StoreResult ReplaceString(const CProfileFile& profile, const char* section, const char* key,
                          const std::string& newValue, const std::string& oldValue)
{
    CCheckedChanges changes(profile);
    changes.Write(section, key, newValue);
    const StoreResult result = changes.Finish();
    if (!result.stored)
        profile.WriteString(section, key, oldValue.empty() ? nullptr : oldValue.c_str());
    return result;
}
