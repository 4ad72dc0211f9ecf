#pragma once

#include <map>
#include <string>
#include <vector>

// File helpers for tests, on Windows paths.
std::string ReadFileText(const std::string& path);
bool WriteFileText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// Creates `path` and every missing parent.
bool MakeDirectories(const std::string& path);
// Deletes a directory and everything in it; a missing one is fine.
void DeleteTree(const std::string& path);
// The directory of this test program, ending in a backslash.
std::string ThisProgramDirectory();
// This process's current directory.
std::string CurrentDir();
// The lines of a text, split at line breaks.
std::vector<std::string> LinesOf(const std::string& text);

// The Linux path behind a Windows path under Wine; empty when there is none.
std::string UnixPathOf(const std::string& windowsPath);
// Makes `linkPath` (a Windows path) a symbolic link to the Linux path `unixTarget`, with the
// system's own ln: faults such as a full disk are provoked through such links.
bool MakeSymbolicLink(const std::string& unixTarget, const std::string& linkPath);
// Every file directly in `directory` with its contents, keyed by name.
std::map<std::string, std::string> SnapshotFiles(const std::string& directory);

// Runs `script` in the Linux host's shell and waits for it, through a marker file that it
// writes last; returns its exit status, or -1 when it could not be run or did not end in time.
int RunHostScript(const std::string& script);
// `text` quoted for the host's shell.
std::string ShellQuoted(const std::string& text);

// A file made immutable from the Linux side (chattr +i), so that every write to it fails, for as
// long as the object lives; or, with 'a', append-only: a folder then lets files be created in
// it but not removed. Made() is false where the host refuses it (not root, or a file system
// without the attribute).
class CImmutableFile
{
public:
    explicit CImmutableFile(const std::string& windowsPath, char attribute = 'i');
    ~CImmutableFile();
    CImmutableFile(const CImmutableFile&) = delete;
    CImmutableFile& operator=(const CImmutableFile&) = delete;
    bool Made() const { return m_made; }
    void Undo();

private:
    std::string m_unixPath;
    char m_attribute;
    bool m_made = false;
};

// A real, small disk: a tmpfs of `kilobytes` mounted on a new folder under drive C, for as long
// as the object lives. Mounted() is false where the host refuses mounting.
class CSmallDisk
{
public:
    CSmallDisk(const std::string& windowsFolder, unsigned kilobytes);
    ~CSmallDisk();
    CSmallDisk(const CSmallDisk&) = delete;
    CSmallDisk& operator=(const CSmallDisk&) = delete;
    bool Mounted() const { return m_mounted; }

private:
    std::string m_unixPath;
    bool m_mounted = false;
};
