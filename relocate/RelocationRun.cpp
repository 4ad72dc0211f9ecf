#include "relocate/RelocationRun.h"

#include "relocate/DirectoryPrimitives.h"
#include "res/resource.h"
#include "ui/MessageReport.h"

CRelocationRun::CRelocationRun() : m_haveSavedDir(GetCurrentDir(m_savedDir, MAX_PATH)) {}

CRelocationRun::~CRelocationRun()
{
    ReturnToSavedDirectory();
}

void CRelocationRun::ReturnToSavedDirectory()
{
    // Quietly: the directory was current moments ago.
    if (m_haveSavedDir)
        SetCurrentDirectoryA(m_savedDir);
}

bool CRelocationRun::Fail()
{
    m_progress.Close();
    // Out of the destination first, so that none of its folders is held as current.
    ReturnToSavedDirectory();
    m_created.Undo();
    if (m_progress.IsCancelled())
        ShowMessage(IDS_MOVE_CANCELLED, MB_ICONINFORMATION);
    return false;
}

bool CRelocationRun::Succeed()
{
    m_progress.Close();
    return true;
}
