#include "ui/FolderChoice.h"

#include "res/resource.h"
#include "ui/FolderBrowser.h"
#include "ui/MessageReport.h"

bool ChooseFolderForProfile(const std::string& initialFolder, std::string& chosen)
{
    CFolderBrowser browser;
    browser.SetFolder(initialFolder);
    if (!browser.Browse())
        return false;
    const std::string folder = browser.GetFolder();
    if (folder.find_first_of("\r\n") != std::string::npos)
    {
        ShowMessage(IDS_FOLDER_NAME_NOT_STORABLE, MB_ICONINFORMATION);
        return false;
    }
    chosen = folder;
    return true;
}
