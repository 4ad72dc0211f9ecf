#include "tests/driver/TestFiles.h"

#include <windows.h>

#include <cstdio>

std::string ReadFileText(const std::string& path)
{
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb"))
    {
        char block[4096];
        size_t count;
        while ((count = std::fread(block, 1, sizeof block, file)) > 0)
            text.append(block, count);
        std::fclose(file);
    }
    return text;
}

bool WriteFileText(const std::string& path, const std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeDirectories(const std::string& path)
{
    if (path.empty() || FileExists(path))
        return true;
    const size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2)
        MakeDirectories(path.substr(0, slash));
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

void DeleteTree(const std::string& path)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                DeleteTree(child);
            else if (!DeleteFileA(child.c_str()))
                RemoveDirectoryA(child.c_str());
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string ThisProgramDirectory()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path);
    return text.substr(0, text.rfind('\\') + 1);
}
