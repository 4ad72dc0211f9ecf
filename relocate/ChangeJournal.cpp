#include "relocate/ChangeJournal.h"

#include "relocate/AdministratorsOnly.h"
#include "relocate/SentMessageWait.h"

namespace
{
const wchar_t kJournalExtension[] = L".journal";
const DWORD kDiskIntervalMs = 1000;
const DWORD kPumpIntervalMs = 15;
} // namespace

CChangeJournal::CChangeJournal(std::function<void()> pump) : m_pump(std::move(pump)) {}

std::wstring JournalPath(const std::wstring& folder, const std::wstring& key)
{
    return folder + L'\\' + key + kJournalExtension;
}

CChangeJournal::~CChangeJournal()
{
    Close();
}

bool CChangeJournal::Begin(const std::wstring& folder, const std::wstring& key,
                           const std::wstring& destination, const JournalSetting& setting)
{
    m_path = JournalPath(folder, key);
    // Made new, never through whatever stands at its name (a link would lead elsewhere).
    DeleteFileW(m_path.c_str());
    CAdministratorsOnly access;
    // Shared for the handle of its own through which it is put on disk: requests through one
    // handle can be served one at a time.
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    m_file = CreateFileW(m_path.c_str(), GENERIC_WRITE, sharing, access.Attributes(), CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE)
    {
        m_error = GetLastError();
        return false;
    }
    m_diskFile = ReOpenFile(m_file, GENERIC_WRITE, sharing, 0);
    if (m_diskFile == INVALID_HANDLE_VALUE)
        m_diskFile = nullptr;
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_request = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_flusher = CreateThread(nullptr, 0, PutOnDisk, this, 0, nullptr);
    return Write(journal::Header() + journal::Destination(destination) + journal::Setting(setting));
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
    if (WriteFile(m_file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
        written == line.size())
        return true;
    m_error = written == line.size() ? GetLastError() : ERROR_DISK_FULL;
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

bool CChangeJournal::KeepAside(const std::wstring& original, const std::wstring& aside)
{
    return Write(journal::KeptAside(original, aside));
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

void CChangeJournal::End(bool keep)
{
    if (!IsOpen())
        return;
    if (keep)
        FlushFileBuffers(m_file);
    Close();
    if (!keep)
        DeleteFileW(m_path.c_str());
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
