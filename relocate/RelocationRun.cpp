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
    // Out of the destination first, so that none of its folders is held as current.
    ReturnToSavedDirectory();
    // The removal of many copies takes a while too: the window stays, and cannot cancel it.
    m_progress.BeginStep(LoadResourceText(IDS_STEP_REMOVING_COPIES), m_created.Count(), 0);
    m_progress.AllowCancel(false);
    m_created.Undo(
        [this](size_t undone)
        {
            m_progress.SetDone(undone, 0);
            m_progress.Pump();
        });
    m_progress.Close();
    if (m_progress.IsCancelled())
        ShowMessage(IDS_MOVE_CANCELLED, MB_ICONINFORMATION);
    return false;
}

bool CRelocationRun::FailKeepingCopies()
{
    m_progress.Close();
    return false;
}

bool CRelocationRun::Succeed()
{
    m_progress.Close();
    return true;
}
