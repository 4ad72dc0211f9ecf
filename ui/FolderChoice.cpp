#include "ui/FolderChoice.h"

#include "res/resource.h"
#include "ui/FolderBrowser.h"
#include "ui/MessageReport.h"

#include <windows.h>

bool ToHostCodePageExactly(const std::wstring& wide, std::string& narrow)
{
    const UINT codePage = GetACP();
    // UTF-8 writes every character; the flags and the default-character test are refused there.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultTest = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(codePage, flags, wide.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, wide.c_str(), length, &converted[0], size, nullptr,
                        usedDefaultTest);
    if (usedDefault || (size == 0 && length != 0))
        return false;
    // The text must come back unchanged.
    const int backSize = MultiByteToWideChar(codePage, 0, converted.c_str(), size, nullptr, 0);
    std::wstring back(static_cast<size_t>(backSize), L'\0');
    MultiByteToWideChar(codePage, 0, converted.c_str(), size, &back[0], backSize);
    if (back != wide)
        return false;
    narrow = converted;
    return true;
}

bool IsOnLetteredDrive(const std::string& path)
{
    const char letter = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);
    return path.size() >= 3 && letter >= 'a' && letter <= 'z' && path[1] == ':' && path[2] == '\\';
}

bool ChooseFolderForProfile(const std::string& initialFolder, std::string& chosen)
{
    CFolderBrowser browser;
    browser.SetFolder(initialFolder);
    if (!browser.Browse())
        return false;
    std::string folder;
    if (!ToHostCodePageExactly(browser.GetWideFolder(), folder) || !IsOnLetteredDrive(folder))
    {
        ShowMessage(IDS_FOLDER_NOT_USABLE, MB_ICONINFORMATION);
        return false;
    }
    if (folder.find_first_of("\r\n") != std::string::npos)
    {
        ShowMessage(IDS_FOLDER_NAME_NOT_STORABLE, MB_ICONINFORMATION);
        return false;
    }
    chosen = folder;
    return true;
}
