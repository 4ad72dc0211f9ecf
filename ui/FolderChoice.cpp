#include "ui/FolderChoice.h"

#include "config/StorableFolder.h"
#include "res/resource.h"
#include "ui/FolderBrowser.h"
#include "ui/MessageReport.h"

bool ChooseFolderForProfile(const std::string& initialFolder, std::string& chosen)
{
    CFolderBrowser browser;
    browser.SetFolder(initialFolder);
    if (!browser.Browse())
        return false;
    switch (CheckStorableFolder(browser.GetWideFolder(), chosen))
    {
    case FolderProblem::kNone:
        return true;
    case FolderProblem::kNotUsable:
        ShowMessage(IDS_FOLDER_NOT_USABLE, MB_ICONINFORMATION);
        break;
    case FolderProblem::kLineBreak:
        ShowMessage(IDS_FOLDER_NAME_NOT_STORABLE, MB_ICONINFORMATION);
        break;
    }
    return false;
}
