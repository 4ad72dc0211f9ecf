#include "tests/driver/TestFiles.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace
{
void RunHostCommand(const char* program, std::string commandLine);
std::string Quoted(const std::string& text);

// Looks for the directory entry itself: a link to a device has no attributes under Wine.
bool EntryExists(const std::string& path)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(path.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

bool WaitForFile(const std::string& path, bool present)
{
    for (int i = 0; i < 3000; ++i)
    {
        if (EntryExists(path) == present)
            return true;
        Sleep(2);
    }
    return false;
}
} // namespace

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
    // The host's rm also removes symbolic links, which Wine cannot always delete.
    const std::string unixPath = UnixPathOf(path);
    if (!unixPath.empty() && FileExists(path))
    {
        RunHostCommand("Z:\\bin\\rm", "/bin/rm -rf " + Quoted(unixPath));
        WaitForFile(path, false);
    }
}

std::string ThisProgramDirectory()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path);
    return text.substr(0, text.rfind('\\') + 1);
}

std::string UnixPathOf(const std::string& windowsPath)
{
    using UnixFileName = char*(CDECL*)(LPCWSTR);
    auto convert = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr)
        return std::string();
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unixPath = convert(wide);
    if (unixPath == nullptr)
        return std::string();
    std::string result(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

namespace
{
// Starts a program of the Linux host (Wine starts such programs as they are). Its process
// handle does not wait for it: callers wait for its effect.
void RunHostCommand(const char* program, std::string commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}
} // namespace

bool MakeSymbolicLink(const std::string& unixTarget, const std::string& linkPath)
{
    // The link's parent exists; its name is added to the parent's Linux path.
    const size_t slash = linkPath.rfind('\\');
    const std::string parent = UnixPathOf(linkPath.substr(0, slash));
    if (parent.empty())
        return false;
    RunHostCommand("Z:\\bin\\ln", "/bin/ln -sfn " + Quoted(unixTarget) + " " +
                                      Quoted(parent + "/" + linkPath.substr(slash + 1)));
    return WaitForFile(linkPath, true);
}

std::map<std::string, std::string> SnapshotFiles(const std::string& directory)
{
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do
    {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[entry.cFileName] = ReadFileText(directory + "\\" + entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return files;
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int RunHostScript(const std::string& script)
{
    static int s_runs = 0;
    const std::string marker =
        "/tmp/kel-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++s_runs);
    const std::string markerWindows = "Z:" + marker;
    std::string windowsMarker = markerWindows;
    for (char& c : windowsMarker)
        if (c == '/')
            c = '\\';
    DeleteFileA(windowsMarker.c_str());
    // The script must hold no double quotes: the whole of it is one argument of the shell.
    RunHostCommand("Z:\\bin\\sh", "/bin/sh -c \"(" + script + ") >/dev/null 2>&1; echo $? >" +
                                      marker + ".tmp && mv " + marker + ".tmp " + marker + "\"");
    if (!WaitForFile(windowsMarker, true))
        return -1;
    const std::string status = ReadFileText(windowsMarker);
    DeleteFileA(windowsMarker.c_str());
    return status.empty() ? -1 : std::atoi(status.c_str());
}

CImmutableFile::CImmutableFile(const std::string& windowsPath, char attribute)
    : m_unixPath(UnixPathOf(windowsPath)), m_attribute(attribute)
{
    m_made = !m_unixPath.empty() && RunHostScript(std::string("chattr +") + m_attribute + " " +
                                                  ShellQuoted(m_unixPath)) == 0;
}

CImmutableFile::~CImmutableFile()
{
    Undo();
}

void CImmutableFile::Undo()
{
    if (m_made)
        RunHostScript(std::string("chattr -") + m_attribute + " " + ShellQuoted(m_unixPath));
    m_made = false;
}

CSmallDisk::CSmallDisk(const std::string& windowsFolder, unsigned kilobytes)
{
    if (!MakeDirectories(windowsFolder))
        return;
    m_unixPath = UnixPathOf(windowsFolder);
    m_mounted =
        !m_unixPath.empty() && RunHostScript("mount -t tmpfs -o size=" + std::to_string(kilobytes) +
                                             "k kel-test " + ShellQuoted(m_unixPath)) == 0;
}

CSmallDisk::~CSmallDisk()
{
    if (m_mounted)
        RunHostScript("umount -l " + ShellQuoted(m_unixPath));
}

std::string CurrentDir()
{
    char buffer[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, buffer);
    return buffer;
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    return lines;
}
