#include "relocate/DirectoryChecks.h"

#include "res/resource.h"
#include "ui/MessageReport.h"

bool IsDirectoryChange(const std::string& storedDir, const std::string& newDir)
{
    // An empty target would carry the files into the root of the current drive.
    if (newDir.empty() && !storedDir.empty())
    {
        ShowMessage(IDS_CHOOSE_DIRECTORY_FIRST, MB_ICONINFORMATION);
        return false;
    }
    if (newDir == storedDir)
    {
        ShowMessage(IDS_DIR_UNCHANGED, MB_ICONINFORMATION);
        return false;
    }
    return true;
}
