#include "relocate/FolderAcceptance.h"

#include "base/WideText.h"
#include "config/ConfigLayout.h"
#include "config/ProfileLocations.h"
#include "config/QueueList.h"
#include "config/ServerSettings.h"
#include "config/StorableFolder.h"
#include "relocate/DirectoryPrimitives.h"
#include "relocate/FileIdentity.h"
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

namespace
{
bool IsOrHoldsFolder(const FileIdentity& holder, const std::string& folder)
{
    FileIdentity inner;
    return !folder.empty() && ReadFileIdentity(WidenText(folder), inner) &&
           IsOrHolds(holder, inner);
}

bool IsInFolder(const FileIdentity& chosen, const std::string& folder)
{
    FileIdentity outer;
    return !folder.empty() && ReadFileIdentity(WidenText(folder), outer) &&
           IsOrHolds(outer, chosen);
}

bool IsSameFolder(const FileIdentity& chosen, const std::string& folder)
{
    FileIdentity other;
    return !folder.empty() && ReadFileIdentity(WidenText(folder), other) &&
           IsSameObject(chosen, other);
}

// Another queue's files, or the server's log files, would be replaced there.
bool IsUsedByTheServer(const FileIdentity& chosen, const CProfileFile& serverProfile,
                       const std::string& queueName)
{
    const std::string root = CProfileFile(SystemProfilePath(WindowsDirectory()))
                                 .GetString(layout::kSettingsSection, layout::kRootDirKey);
    if (IsSameFolder(chosen, root) || IsSameFolder(chosen, root + layout::kLogDirSuffix))
        return true;
    for (const std::string& queue : ReadQueueNames(serverProfile))
    {
        if (EqualIgnoringCase(WidenText(queue), WidenText(queueName)))
            continue;
        const std::string dir = ReadQueueDir(serverProfile, queue);
        if (IsInFolder(chosen, dir) || IsOrHoldsFolder(chosen, dir))
            return true;
    }
    return false;
}
} // namespace

// A directory that holds anything named "queue.ini" belongs to a queue already.
bool AcceptAsQueueDirectory(const std::string& directory, const CProfileFile& serverProfile,
                            const std::string& queueName, CReporter& reporter)
{
    FileIdentity chosen;
    if (CheckAccess(directory + layout::kQueueProfileSuffix, kAccessExists) != 0 &&
        !(ReadFileIdentity(WidenText(directory), chosen) &&
          IsUsedByTheServer(chosen, serverProfile, queueName)))
        return true;
    ReportMessage(reporter, IDS_DIR_IN_USE, MB_ICONINFORMATION);
    return false;
}
