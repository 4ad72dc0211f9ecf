#include "ui/FolderBrowser.h"

#include "base/WideText.h"

#include <shlobj.h>

namespace
{
// Only file-system folders can be confirmed.
const UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
} // namespace

int CALLBACK CFolderBrowser::OnBrowseEvent(HWND dialog, UINT event, LPARAM, LPARAM initialFolder)
{
    if (event == BFFM_INITIALIZED && initialFolder != 0)
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, initialFolder);
    return 0;
}

int CFolderBrowser::Browse()
{
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr)
        return 0;

    // The initial folder's text must stay valid until the dialog has closed.
    const std::string initialFolder = m_folder;
    char displayName[MAX_PATH] = "";
    BROWSEINFOA info = {};
    info.hwndOwner = m_owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = "";
    info.ulFlags = kBrowseFlags;
    info.lpfn = OnBrowseEvent;
    info.lParam = initialFolder.empty() ? 0 : reinterpret_cast<LPARAM>(initialFolder.c_str());
    m_folder.clear();
    m_wideFolder.clear();

    if (LPITEMIDLIST item = SHBrowseForFolderA(&info))
    {
        wchar_t path[MAX_PATH] = L"";
        if (SHGetPathFromIDListW(item, path))
            m_wideFolder = path;
        m_folder = NarrowText(m_wideFolder);
        allocator->Free(item);
    }
    allocator->Release();
    return m_folder.empty() ? 0 : 1;
}
