#include "relocate/DirectoryChecks.h"

#include "base/WideText.h"
#include "relocate/FileIdentity.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

bool IsDirectoryChange(const std::string& storedDir, const std::string& newDir, CReporter& reporter,
                       CommandOutcome& outcome, bool leaveUnchanged)
{
    // An empty target would carry the files into the root of the current drive.
    if (newDir.empty() && !storedDir.empty())
    {
        ReportMessage(reporter, IDS_CHOOSE_DIRECTORY_FIRST, MB_ICONINFORMATION);
        outcome = CommandOutcome::kRefused;
        return false;
    }
    if (newDir == storedDir || (leaveUnchanged && !storedDir.empty() &&
                                IsSameFileSystemObject(WidenText(storedDir), WidenText(newDir))))
    {
        if (!leaveUnchanged)
            ReportMessage(reporter, IDS_DIR_UNCHANGED, MB_ICONINFORMATION);
        outcome = CommandOutcome::kUnchanged;
        return false;
    }
    return true;
}
