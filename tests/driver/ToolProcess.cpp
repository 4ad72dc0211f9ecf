#include "tests/driver/ToolProcess.h"

#include "tests/driver/TestHookProtocol.h"

#include <commctrl.h>
#include <cstdio>
#include <shlobj.h>

namespace
{
const char kPromptCaption[] = "KEL Administrator 2.1 Win95";
const DWORD kDialogWaitMs = 20000;

std::string ClassOf(HWND window)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return className;
}

HWND FindDescendantOfClass(HWND parent, const char* className)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        if (lstrcmpiA(ClassOf(child).c_str(), className) == 0)
            return child;
        if (HWND inner = FindDescendantOfClass(child, className))
            return inner;
    }
    return nullptr;
}

std::wstring LastComponent(std::wstring path)
{
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::string ModuleDirectoryOfThisProgram()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path);
    return text.substr(0, text.rfind('\\') + 1);
}
} // namespace

CToolProcess::~CToolProcess()
{
    Kill();
    if (m_cbtHook)
        UnhookWindowsHookEx(m_cbtHook);
    if (m_messageHook)
        UnhookWindowsHookEx(m_messageHook);
}

bool CToolProcess::Start(const std::string& exePath, const std::string& caption)
{
    m_markerMessage = RegisterWindowMessageA(kMarkerMessageName);
    if (!m_process.Start(exePath, "", CREATE_SUSPENDED))
        return false;
    InstallHooks();
    ResumeThread(m_process.Thread());
    WaitUntil(
        [&]
        {
            m_dialog = FindWindowByCaption(caption);
            if (HWND box = FindMessageBox())
            {
                m_startupBoxes.push_back(ReadMessageBox(box));
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                WaitUntil([&] { return !IsWindow(box); });
            }
            return m_dialog != nullptr && IsWindowVisible(m_dialog);
        },
        kDialogWaitMs);
    if (m_dialog == nullptr)
        return false;
    Sync();
    return true;
}

void CToolProcess::InstallHooks()
{
    const std::string dllPath = ModuleDirectoryOfThisProgram() + kHookDllName;
    m_hookDll = LoadLibraryA(dllPath.c_str());
    if (m_hookDll == nullptr)
        return;
    auto cbt = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(m_hookDll, kCbtHookExport)));
    auto message = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(m_hookDll, kGetMessageHookExport)));
    m_cbtHook = SetWindowsHookExA(WH_CBT, cbt, m_hookDll, m_process.ThreadId());
    m_messageHook = SetWindowsHookExA(WH_GETMESSAGE, message, m_hookDll, m_process.ThreadId());
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId)
{
    struct Search
    {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL
        {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> CToolProcess::TopLevelDialogs() const
{
    std::vector<HWND> dialogs;
    for (HWND window : TopLevelWindowsOf(m_process.Id()))
        if (IsDialogWindow(window))
            dialogs.push_back(window);
    return dialogs;
}

HWND CToolProcess::FindWindowByCaption(const std::string& caption) const
{
    for (HWND window : TopLevelDialogs())
        if (WindowTextOf(window) == caption)
            return window;
    return nullptr;
}

std::vector<HWND> CToolProcess::OtherDialogs() const
{
    std::vector<HWND> others;
    for (HWND window : TopLevelDialogs())
        if (window != m_dialog)
            others.push_back(window);
    return others;
}

std::string CToolProcess::ControlText(int id) const
{
    return WindowTextOf(Control(id));
}

bool CToolProcess::IsEnabled(int id) const
{
    return IsWindowEnabled(Control(id)) != FALSE;
}

int CToolProcess::ComboCount(int id) const
{
    return static_cast<int>(SendMessageW(Control(id), CB_GETCOUNT, 0, 0));
}

int CToolProcess::ComboSelection(int id) const
{
    return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
}

std::string CToolProcess::ComboText(int id, int index) const
{
    const LRESULT length = SendMessageW(Control(id), CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(Control(id), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(wcslen(text.c_str()));
    return Narrow(text);
}

LRESULT CToolProcess::ComboItemData(int id, int index) const
{
    return SendMessageW(Control(id), CB_GETITEMDATA, index, 0);
}

std::string CToolProcess::ToolTipText(int id)
{
    HWND tooltip = nullptr;
    for (HWND window : TopLevelWindowsOf(m_process.Id()))
        if (ClassOf(window) == TOOLTIPS_CLASSA && GetWindow(window, GW_OWNER) == m_dialog)
            tooltip = window;
    if (tooltip == nullptr)
        return std::string();
    const size_t textSize = 1024;
    struct RemoteTool
    {
        TTTOOLINFOW info;
        wchar_t text[textSize];
    } local = {};
    auto* remote = static_cast<RemoteTool*>(WriteRemote(&local, sizeof local));
    local.info.cbSize = sizeof local.info;
    local.info.hwnd = m_dialog;
    local.info.uId = reinterpret_cast<UINT_PTR>(Control(id));
    local.info.lpszText = remote->text;
    WriteProcessMemory(m_process.Handle(), remote, &local, sizeof local, nullptr);
    SendMessageW(tooltip, TTM_GETTEXTW, textSize, reinterpret_cast<LPARAM>(&remote->info));
    ReadRemote(remote, &local, sizeof local);
    local.text[textSize - 1] = L'\0';
    return Narrow(local.text);
}

void CToolProcess::SyncWindow(HWND window, DWORD timeoutMs)
{
    const UINT_PTR sequence = ++m_markerSequence;
    if (!PostMessageA(window, m_markerMessage, sequence, 0))
        return;
    WaitUntil(
        [&]
        {
            if (!IsWindow(window) || WaitForSingleObject(m_process.Handle(), 0) == WAIT_OBJECT_0)
                return true;
            return reinterpret_cast<UINT_PTR>(GetPropA(window, kMarkerProperty)) >= sequence;
        },
        timeoutMs);
}

void CToolProcess::Sync(DWORD timeoutMs)
{
    SyncWindow(m_dialog, timeoutMs);
}

void CToolProcess::ClickAndWait(int id, DWORD timeoutMs)
{
    PostMessageA(Control(id), BM_CLICK, 0, 0);
    Sync(timeoutMs);
}

void CToolProcess::Click(int id)
{
    PostMessageA(Control(id), BM_CLICK, 0, 0);
    Sync();
}

void CToolProcess::OpenAndCloseDropDown(int id)
{
    PostMessageA(Control(id), CB_SHOWDROPDOWN, TRUE, 0);
    PostMessageA(Control(id), CB_SHOWDROPDOWN, FALSE, 0);
    Sync();
}

void CToolProcess::PressKey(HWND target, WPARAM virtualKey)
{
    const UINT scanCode = MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | (scanCode << 16));
    PostMessageA(target, WM_KEYUP, virtualKey, 1 | (scanCode << 16) | (3u << 30));
    Sync();
}

void CToolProcess::PostCommand(WPARAM command)
{
    PostToDialog(WM_COMMAND, command, 0);
}

void CToolProcess::PostToDialog(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageA(m_dialog, message, wParam, lParam);
    Sync();
}

// A message box has the tool's caption and its text in the static control 0xFFFF; the
// progress window has the same caption but no such control.
HWND CToolProcess::FindMessageBox() const
{
    for (HWND window : TopLevelDialogs())
        if (window != m_dialog && WindowTextOf(window) == kPromptCaption &&
            GetDlgItem(window, 0xFFFF) != nullptr)
            return window;
    return nullptr;
}

HWND CToolProcess::FindProgressWindow() const
{
    for (HWND window : TopLevelDialogs())
        if (window != m_dialog && IsWindowVisible(window) &&
            FindDescendantOfClass(window, PROGRESS_CLASSA) != nullptr)
            return window;
    return nullptr;
}

MessageBoxInfo CToolProcess::ReadMessageBox(HWND box) const
{
    MessageBoxInfo info = ReadMessageBoxWindow(box);
    WaitUntil([&] { return GetPropA(box, kIconKindProperty) != nullptr; }, 2000);
    info.iconKind =
        static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(box, kIconKindProperty))) - 1;
    return info;
}

MessageBoxInfo CToolProcess::TakeMessageBox()
{
    HWND box = FindMessageBox();
    if (box == nullptr)
        return MessageBoxInfo();
    MessageBoxInfo info = ReadMessageBox(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); });
    Sync();
    return info;
}

std::vector<MessageBoxInfo> CToolProcess::TakeAllMessageBoxes()
{
    std::vector<MessageBoxInfo> boxes;
    while (FindMessageBox() != nullptr)
        boxes.push_back(TakeMessageBox());
    return boxes;
}

HWND CToolProcess::FindFolderChooser() const
{
    for (HWND window : TopLevelDialogs())
        if (window != m_dialog && FindDescendantOfClass(window, WC_TREEVIEWA) != nullptr)
            return window;
    return nullptr;
}

void* CToolProcess::WriteRemote(const void* data, size_t size)
{
    void* block =
        VirtualAllocEx(m_process.Handle(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (block == nullptr)
        return nullptr;
    WriteProcessMemory(m_process.Handle(), block, data, size, nullptr);
    m_remoteBlocks.push_back(block);
    return block;
}

bool CToolProcess::ReadRemote(const void* address, void* data, size_t size) const
{
    return ReadProcessMemory(m_process.Handle(), address, data, size, nullptr) != FALSE;
}

std::wstring CToolProcess::SelectedTreeItemText(HWND tree)
{
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (item == nullptr)
        return std::wstring();
    struct RemoteItem
    {
        TVITEMW item;
        wchar_t text[MAX_PATH];
    } local = {};
    auto* remote = static_cast<RemoteItem*>(WriteRemote(&local, sizeof local));
    local.item.mask = TVIF_TEXT | TVIF_HANDLE;
    local.item.hItem = item;
    local.item.pszText = remote->text;
    local.item.cchTextMax = MAX_PATH;
    WriteProcessMemory(m_process.Handle(), remote, &local, sizeof local, nullptr);
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
    ReadRemote(remote, &local, sizeof local);
    local.text[MAX_PATH - 1] = L'\0';
    return local.text;
}

bool CToolProcess::SelectInChooser(HWND chooser, const std::wstring& folder)
{
    HWND tree = FindDescendantOfClass(chooser, WC_TREEVIEWA);
    const std::wstring expected = LastComponent(folder);
    for (int attempt = 0; attempt < 5; ++attempt)
    {
        void* remotePath = WriteRemote(folder.c_str(), (folder.size() + 1) * sizeof(wchar_t));
        PostMessageW(chooser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remotePath));
        SyncWindow(chooser);
        if (lstrcmpiW(SelectedTreeItemText(tree).c_str(), expected.c_str()) == 0)
            return true;
    }
    return false;
}

bool CToolProcess::ChooseFolder(const std::wstring& folder)
{
    HWND chooser = nullptr;
    WaitUntil([&] { return (chooser = FindFolderChooser()) != nullptr; }, 5000);
    if (chooser == nullptr)
        return false;
    const bool selected = SelectInChooser(chooser, folder);
    PostMessageA(chooser, WM_COMMAND, selected ? IDOK : IDCANCEL, 0);
    WaitUntil([&] { return !IsWindow(chooser); });
    Sync();
    return selected;
}

bool CToolProcess::BrowseTo(int browseButton, const std::string& folder)
{
    return BrowseTo(browseButton, Widen(folder));
}

bool CToolProcess::BrowseTo(int browseButton, const std::wstring& folder)
{
    for (int attempt = 0; attempt < 4; ++attempt)
    {
        Click(browseButton);
        if (ChooseFolder(folder))
            return true;
        std::fprintf(stderr, "the folder chooser did not select %s; opening it again\n",
                     Narrow(folder).c_str());
    }
    return false;
}

void CToolProcess::CancelFolderChooser()
{
    HWND chooser = nullptr;
    WaitUntil([&] { return (chooser = FindFolderChooser()) != nullptr; }, 5000);
    if (chooser == nullptr)
        return;
    PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    WaitUntil([&] { return !IsWindow(chooser); });
    Sync();
}

bool CToolProcess::WaitForExit(DWORD milliseconds, DWORD* exitCode)
{
    return m_process.Wait(milliseconds, exitCode);
}

void CToolProcess::Kill()
{
    m_process.Kill();
}
