#include "relocate/FolderAcceptance.h"

#include "config/ConfigLayout.h"
#include "config/StorableFolder.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

bool AcceptChosenFolder(const std::wstring& folder, CReporter& reporter, std::string& narrow)
{
    switch (CheckStorableFolder(folder, narrow))
    {
    case FolderProblem::kNotUsable:
        ReportMessage(reporter, IDS_FOLDER_NOT_USABLE, MB_ICONINFORMATION);
        return false;
    case FolderProblem::kLineBreak:
        ReportMessage(reporter, IDS_FOLDER_NAME_NOT_STORABLE, MB_ICONINFORMATION);
        return false;
    case FolderProblem::kNone:
        break;
    }
    if (!IsFolderAttributes(GetFileAttributesW(folder.c_str())))
    {
        ReportFormatted(reporter, IDS_NO_SUCH_FOLDER, MB_ICONINFORMATION, {folder});
        return false;
    }
    return true;
}

// A directory that holds anything named "queue.ini" belongs to a queue already.
bool AcceptAsQueueDirectory(const std::string& directory, CReporter& reporter)
{
    if (CheckAccess(directory + layout::kQueueProfileSuffix, kAccessExists) != 0)
        return true;
    ReportMessage(reporter, IDS_DIR_IN_USE, MB_ICONINFORMATION);
    return false;
}
