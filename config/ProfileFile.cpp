#include "config/ProfileFile.h"

#include <cstring>

namespace
{
const DWORD kValueBufferSize = 1024;
const DWORD kFirstKeyListSize = 4096;
} // namespace

std::string CProfileFile::GetString(const char* section, const char* key,
                                    const char* defaultValue) const
{
    char buffer[kValueBufferSize];
    const DWORD length =
        GetPrivateProfileStringA(section, key, "", buffer, kValueBufferSize, m_path.c_str());
    if (length > 0)
        return std::string(buffer, length);
    return defaultValue != nullptr ? std::string(defaultValue) : std::string();
}

BOOL CProfileFile::WriteString(const char* section, const char* key, const char* value) const
{
    return WritePrivateProfileStringA(section, key, value, m_path.c_str());
}

BOOL CProfileFile::DeleteKey(const char* section, const char* key) const
{
    return WritePrivateProfileStringA(section, key, nullptr, m_path.c_str());
}

UINT CProfileFile::GetInt(const char* section, const char* key, int defaultValue) const
{
    return GetPrivateProfileIntA(section, key, defaultValue, m_path.c_str());
}

int CProfileFile::GetFlag(const char* section, const char* key, int defaultValue) const
{
    return GetInt(section, key, defaultValue) != 0 ? 1 : 0;
}

std::vector<std::string> CProfileFile::GetKeyNames(const char* section) const
{
    // The platform writes the names as a list of strings ended by an empty one; a list that
    // fills the buffer up to its last two characters may have been cut, so it is read again.
    for (DWORD size = kFirstKeyListSize;; size *= 2)
    {
        std::vector<char> buffer(size, '\0');
        const DWORD length =
            GetPrivateProfileStringA(section, nullptr, "", buffer.data(), size, m_path.c_str());
        if (length + 2 >= size && size < (1u << 30))
            continue;
        std::vector<std::string> names;
        for (const char* name = buffer.data(); *name != '\0'; name += std::strlen(name) + 1)
            names.emplace_back(name);
        return names;
    }
}
