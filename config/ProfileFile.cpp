#include "config/ProfileFile.h"

namespace
{
const DWORD kValueBufferSize = 1024;
}

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
