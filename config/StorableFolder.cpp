#include "config/StorableFolder.h"

#include "base/WideText.h"

namespace
{
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// What the profile functions give back for a value written as `path`: the same text.
bool ReadsBackThroughProfile(const std::string& path)
{
    if (path.empty() || IsBlank(path.front()) || IsBlank(path.back()) || path.back() == '.')
        return false;
    const bool quoted = path.size() >= 2 && path.front() == path.back() &&
                        (path.front() == '"' || path.front() == '\'');
    return !quoted;
}
} // namespace

bool IsOnLetteredDrive(const std::string& path)
{
    const char letter = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);
    return path.size() >= 3 && letter >= 'a' && letter <= 'z' && path[1] == ':' && path[2] == '\\';
}

FolderProblem CheckStorableFolder(const std::wstring& wide, std::string& narrow)
{
    std::string folder;
    if (!ToHostCodePageExactly(wide, folder) || !IsOnLetteredDrive(folder) ||
        !ReadsBackThroughProfile(folder))
        return FolderProblem::kNotUsable;
    if (folder.find_first_of("\r\n") != std::string::npos)
        return FolderProblem::kLineBreak;
    narrow = folder;
    return FolderProblem::kNone;
}
