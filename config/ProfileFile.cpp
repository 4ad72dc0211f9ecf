#include "config/ProfileFile.h"

#include "base/WideText.h"

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

namespace
{
// The platform writes a list of strings ended by an empty one; a list that fills the buffer up
// to its last two characters may have been cut, so it is read again into a larger one.
template <class Read> std::vector<std::string> ReadStringList(Read read)
{
    for (DWORD size = kFirstKeyListSize;; size *= 2)
    {
        std::vector<char> buffer(size, '\0');
        const DWORD length = read(buffer.data(), size);
        if (length + 2 >= size && size < (1u << 30))
            continue;
        std::vector<std::string> strings;
        for (const char* text = buffer.data(); *text != '\0'; text += std::strlen(text) + 1)
            strings.emplace_back(text);
        return strings;
    }
}
} // namespace

std::vector<std::string> CProfileFile::GetSectionNames() const
{
    return ReadStringList([&](char* buffer, DWORD size)
                          { return GetPrivateProfileSectionNamesA(buffer, size, m_path.c_str()); });
}

std::vector<std::string> CProfileFile::GetSectionEntries(const char* section) const
{
    return ReadStringList(
        [&](char* buffer, DWORD size)
        { return GetPrivateProfileSectionA(section, buffer, size, m_path.c_str()); });
}

UINT GetProfileIntAt(const std::wstring& path, const char* section, const char* key,
                     int defaultValue)
{
    return GetPrivateProfileIntW(WidenText(section).c_str(), WidenText(key).c_str(), defaultValue,
                                 path.c_str());
}
