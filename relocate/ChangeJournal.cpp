#include "relocate/ChangeJournal.h"

#include "relocate/AdministratorsOnly.h"
#include "relocate/SentMessageWait.h"

#include <algorithm>
#include <cwchar>

namespace
{
const wchar_t kJournalExtension[] = L".journal";
const DWORD kDiskIntervalMs = 1000;
const DWORD kPumpIntervalMs = 15;
const int kMostNameAttempts = 16;
} // namespace

CChangeJournal::CChangeJournal(std::function<void()> pump) : m_pump(std::move(pump)) {}

// A run's journal is named after its key and the time it began: "KEY-TIME.journal"; an earlier
// version's, after its key alone.
std::wstring NewJournalPath(const std::wstring& folder, const std::wstring& key, int attempt)
{
    wchar_t suffix[40];
    swprintf(suffix, 40, L"-%016llx%02x", SystemTimeNow(), attempt & 0xff);
    return folder + L'\\' + key + suffix + kJournalExtension;
}

std::vector<std::wstring> JournalPaths(const std::wstring& folder, const std::wstring& key)
{
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found;
    HANDLE search =
        FindFirstFileW((folder + L'\\' + key + L"*" + kJournalExtension).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return paths;
    do
    {
        const std::wstring name = found.cFileName;
        const bool ours = name == key + kJournalExtension || name.rfind(key + L"-", 0) == 0;
        if (ours && (found.dwFileAttributes &
                     (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0)
            paths.push_back(folder + L'\\' + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(paths.begin(), paths.end());
    return paths;
}

CChangeJournal::~CChangeJournal()
{
    Close();
}

bool CChangeJournal::Begin(const std::wstring& folder, const std::wstring& key,
                           const std::wstring& destination, const JournalSetting& setting)
{
    CAdministratorsOnly access;
    // Shared for the handle of its own through which it is put on disk: requests through one
    // handle can be served one at a time. Made new, never through whatever stands at its name.
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    m_error = ERROR_FILE_EXISTS;
    for (int attempt = 0; m_file == INVALID_HANDLE_VALUE && m_error == ERROR_FILE_EXISTS &&
                          attempt < kMostNameAttempts;
         ++attempt)
    {
        m_path = NewJournalPath(folder, key, attempt);
        m_file = CreateFileW(m_path.c_str(), GENERIC_WRITE, sharing, access.Attributes(),
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        m_error = m_file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    }
    m_made = m_file != INVALID_HANDLE_VALUE;
    if (m_file == INVALID_HANDLE_VALUE)
        return false;
    m_diskFile = ReOpenFile(m_file, GENERIC_WRITE, sharing, 0);
    if (m_diskFile == INVALID_HANDLE_VALUE)
        m_diskFile = nullptr;
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_request = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_flusher = CreateThread(nullptr, 0, PutOnDisk, this, 0, nullptr);
    // The destination as the move found it: a folder put at its path since is not its.
    FileIdentity identity;
    ReadEntryIdentity(destination, identity);
    return Write(journal::Header() + journal::Destination(destination, identity) +
                 journal::Setting(setting));
}

// Puts the journal on disk once a second, and whenever asked; the thread that writes it never
// waits for the disk.
DWORD WINAPI CChangeJournal::PutOnDisk(void* journal)
{
    auto* self = static_cast<CChangeJournal*>(journal);
    const HANDLE events[] = {self->m_stop, self->m_request};
    for (;;)
    {
        const DWORD woken = WaitForMultipleObjects(2, events, FALSE, kDiskIntervalMs);
        FlushFileBuffers(self->m_diskFile != nullptr ? self->m_diskFile : self->m_file);
        if (woken == WAIT_OBJECT_0 + 1)
            SetEvent(self->m_done);
        if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED)
            return 0;
    }
}

bool CChangeJournal::Write(const std::string& line)
{
    if (m_file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool wrote =
        WriteFile(m_file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) != FALSE;
    if (wrote && written == line.size())
        return true;
    // A short write without an error is the platform's word for a full disk.
    m_error = wrote ? ERROR_DISK_FULL : GetLastError();
    Close();
    return false;
}

bool CChangeJournal::Intend(bool folder, const std::wstring& path)
{
    return Write(journal::Intent(folder, path, SystemTimeNow()));
}

bool CChangeJournal::Prove(const std::wstring& path, const FileIdentity& identity)
{
    return Write(journal::Proof(path, identity));
}

bool CChangeJournal::KeepAside(const KeptAsideFile& kept)
{
    return Write(journal::KeptAside(kept));
}

bool CChangeJournal::NoteStore(const JournalSetting& store)
{
    return Write(journal::Store(store));
}

bool CChangeJournal::AwaitDisk()
{
    if (m_flusher == nullptr)
        return IsOpen();
    SetEvent(m_request);
    // What is sent to the thread is answered at once; what is posted waits for the pump.
    while (IsOpen() && WaitAnsweringSentMessages(m_done, kPumpIntervalMs) == WAIT_TIMEOUT)
        if (m_pump)
            m_pump();
    return IsOpen();
}

// A journal closed by a failure to write it goes too when nothing is left to account for.
void CChangeJournal::End(bool keep)
{
    if (keep && IsOpen())
        FlushFileBuffers(m_file);
    Close();
    if (!keep && m_made)
        DeleteFileW(m_path.c_str());
    m_made = false;
}

void CChangeJournal::Close()
{
    if (m_flusher != nullptr)
    {
        SetEvent(m_stop);
        WaitForSingleObject(m_flusher, INFINITE);
        CloseHandle(m_flusher);
        m_flusher = nullptr;
    }
    for (HANDLE* handle : {&m_stop, &m_request, &m_done, &m_diskFile})
    {
        if (*handle != nullptr)
            CloseHandle(*handle);
        *handle = nullptr;
    }
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}
