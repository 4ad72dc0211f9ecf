#include "relocate/ChangeJournal.h"

#include "base/WideText.h"
#include "config/ProfileFile.h"
#include "relocate/AdministratorsOnly.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/SentMessageWait.h"

#include <shlobj.h>

namespace
{
const wchar_t kJournalFolder[] = L"KEL Administrator";
const wchar_t kJournalExtension[] = L".journal";
const char kHeader[] = "KEL Administrator journal 1";
const char kDestinationTag = '>';
const char kFileTag = 'F';
const char kFolderTag = 'D';
const char kStoreTag = 'S';
const char kFieldSeparator = '\t';
const ULONGLONG kFlushIntervalMs = 1000;
const DWORD kPumpIntervalMs = 15;

// The journal is written in UTF-8: entries carry their exact names, whatever the code page.
std::string NarrowUtf8(const std::wstring& text)
{
    return NarrowText(text, CP_UTF8);
}

std::wstring WideUtf8(const std::string& text)
{
    return WidenText(text, CP_UTF8);
}

std::wstring JournalFolder()
{
    wchar_t common[MAX_PATH] = L"";
    if (FAILED(
            SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)))
        return std::wstring();
    return std::wstring(common) + L'\\' + kJournalFolder;
}

// The journal at `path`, when one that an administrator or this user wrote is there.
bool ReadTrustedJournal(const std::wstring& path, std::string& text)
{
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool trusted = IsOwnedByAdministratorsOrCaller(file);
    char block[4096];
    DWORD read = 0;
    while (trusted && ReadFile(file, block, sizeof block, &read, nullptr) && read > 0)
        text.append(block, read);
    CloseHandle(file);
    return trusted;
}

// The fields of a line after its tag.
std::vector<std::string> FieldsOf(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 1;
    for (size_t end; (end = line.find(kFieldSeparator, start)) != std::string::npos;
         start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

// A store the journal noted, made after all.
bool NotedStoreWasMade(const std::string& line)
{
    const std::vector<std::string> fields = FieldsOf(line);
    if (fields.size() != 4)
        return false;
    const CProfileFile profile(NarrowText(WideUtf8(fields[0])));
    return profile.GetString(fields[1].c_str(), fields[2].c_str()) ==
           NarrowText(WideUtf8(fields[3]));
}

DWORD WINAPI FlushFile(void* file)
{
    FlushFileBuffers(static_cast<HANDLE>(file));
    return 0;
}

// True when `path` lies inside the folder `folder`, in any letter case.
bool LiesInside(const std::wstring& path, const std::wstring& folder)
{
    return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == L'\\' &&
           EqualIgnoringCase(path.substr(0, folder.size()), folder);
}
} // namespace

CChangeJournal::CChangeJournal(const std::wstring& key, std::function<void()> pump)
    : m_pump(std::move(pump))
{
    const std::wstring folder = JournalFolder();
    if (!folder.empty())
        m_path = folder + L'\\' + key + kJournalExtension;
}

CChangeJournal::~CChangeJournal()
{
    Close();
}

bool CChangeJournal::Begin(const std::wstring& destination)
{
    if (m_path.empty())
        return false;
    CAdministratorsOnly folderAccess(true);
    CreateDirectoryW(m_path.substr(0, m_path.rfind(L'\\')).c_str(), folderAccess.Attributes());
    // Made new, never through whatever stands at its name (a link would lead elsewhere).
    DeleteFileW(m_path.c_str());
    CAdministratorsOnly fileAccess;
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE; // for the handle that flushes
    m_file = CreateFileW(m_path.c_str(), GENERIC_WRITE, sharing, fileAccess.Attributes(),
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE)
        return false;
    m_flushFile = ReOpenFile(m_file, GENERIC_WRITE, sharing, 0);
    Write(std::string(kHeader) + "\r\n" + kDestinationTag + NarrowUtf8(destination) + "\r\n");
    return true;
}

void CChangeJournal::Add(bool directory, const std::wstring& path)
{
    Write((directory ? kFolderTag : kFileTag) + NarrowUtf8(path) + "\r\n");
}

// Written through at once, so that a process that is killed loses nothing of it; put on the
// disk itself at most once a second, which costs far more.
void CChangeJournal::Write(const std::string& line)
{
    if (!Append(line))
        return;
    const ULONGLONG now = GetTickCount64();
    if (now - m_lastFlush >= kFlushIntervalMs && !FlushRunning())
    {
        StartFlush();
        m_lastFlush = now;
    }
}

bool CChangeJournal::Append(const std::string& line)
{
    if (m_file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(m_file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return true;
}

void CChangeJournal::NoteStore(const std::string& profilePath, const char* section, const char* key,
                               const std::string& value)
{
    if (Append(kStoreTag + NarrowUtf8(WidenText(profilePath)) + kFieldSeparator + section +
               kFieldSeparator + key + kFieldSeparator + NarrowUtf8(WidenText(value)) + "\r\n"))
        FlushPumping();
}

// A disk that is busy elsewhere can take a few hundred milliseconds to take in the journal.
// It is put there on another thread, through a handle of its own (requests through one handle
// can be served one at a time), so that neither the next entry nor the messages of the thread
// that writes them wait for it.
void CChangeJournal::StartFlush()
{
    AwaitFlush();
    const HANDLE file = m_flushFile != INVALID_HANDLE_VALUE ? m_flushFile : m_file;
    m_flusher = CreateThread(nullptr, 0, FlushFile, file, 0, nullptr);
    if (m_flusher == nullptr)
        FlushFileBuffers(file);
}

bool CChangeJournal::FlushRunning() const
{
    return m_flusher != nullptr && WaitForSingleObject(m_flusher, 0) == WAIT_TIMEOUT;
}

// Before a store the note of it must be on disk: a flush that began before the note was written
// may not hold it, so it is awaited and another one made.
void CChangeJournal::FlushPumping()
{
    if (AwaitFlushPumping())
    {
        StartFlush();
        AwaitFlushPumping();
    }
}

// False when the journal was ended meanwhile. What is sent to the thread is answered at once;
// what is posted waits for the pump, which may hold back a while after its last round.
bool CChangeJournal::AwaitFlushPumping()
{
    while (m_pump && FlushRunning() &&
           WaitAnsweringSentMessages(m_flusher, kPumpIntervalMs) == WAIT_TIMEOUT)
        m_pump();
    AwaitFlush();
    return m_file != INVALID_HANDLE_VALUE;
}

void CChangeJournal::AwaitFlush()
{
    if (m_flusher == nullptr)
        return;
    WaitForSingleObject(m_flusher, INFINITE);
    CloseHandle(m_flusher);
    m_flusher = nullptr;
}

void CChangeJournal::End(bool keep)
{
    if (m_file == INVALID_HANDLE_VALUE)
        return;
    if (keep)
        FlushFileBuffers(m_file);
    Close();
    if (!keep)
        DeleteFileW(m_path.c_str());
}

void CChangeJournal::Close()
{
    AwaitFlush();
    for (HANDLE* file : {&m_flushFile, &m_file})
    {
        if (*file != INVALID_HANDLE_VALUE)
            CloseHandle(*file);
        *file = INVALID_HANDLE_VALUE;
    }
}

bool CChangeJournal::RecoverInterrupted(Recovery& recovery)
{
    std::string text;
    if (m_path.empty() || m_file != INVALID_HANDLE_VALUE || !ReadTrustedJournal(m_path, text))
        return false;
    std::vector<std::pair<bool, std::wstring>> entries;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    {
        const std::string line = text.substr(start, end - start);
        if (line.empty())
            continue;
        const std::wstring path = WideUtf8(line.substr(1));
        if (line[0] == kDestinationTag)
            recovery.destination = path;
        else if (line[0] == kFileTag || line[0] == kFolderTag)
            entries.emplace_back(line[0] == kFolderTag, path);
        else if (line[0] == kStoreTag)
            recovery.stored = NotedStoreWasMade(line);
    }
    recovery.listed = entries.size();
    if (recovery.stored)
        entries.clear();
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        if (LiesInside(entry->second, recovery.destination) &&
            !RemoveCreatedEntry(entry->first, entry->second))
            recovery.left.push_back(entry->second);
    DeleteFileW(m_path.c_str());
    return true;
}
