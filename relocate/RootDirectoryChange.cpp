#include "relocate/RootDirectoryChange.h"

#include "base/ResourceText.h"
#include "base/WideText.h"
#include "config/ConfigLayout.h"
#include "relocate/CommandRun.h"
#include "relocate/DirectoryChecks.h"
#include "relocate/DirectoryMover.h"
#include "relocate/Reporting.h"
#include "res/resource.h"

#include <cerrno>

namespace
{
// The steps of "Set Root" within its run.
class CRootDirectoryChange
{
public:
    CRootDirectoryChange(CCommandRun& run, const CProfileFile& systemProfile,
                         const std::string& newRoot)
        : m_run(run), m_systemProfile(systemProfile), m_newRoot(newRoot),
          m_newLogDir(newRoot + layout::kLogDirSuffix)
    {
    }
    CommandResult Run();

private:
    bool RefuseLink(const std::string& logDir, UINT messageId);
    bool PrepareNewLogDirectory();

    CCommandRun& m_run;
    const CProfileFile& m_systemProfile;
    const std::string& m_newRoot;
    const std::string m_newLogDir;
};

CommandResult CRootDirectoryChange::Run()
{
    CommandOutcome refusal;
    if (!m_run.Begin(refusal))
        return m_run.End(refusal);
    const std::string storedRoot =
        m_systemProfile.GetString(layout::kSettingsSection, layout::kRootDirKey);
    const std::string oldLogDir = storedRoot + layout::kLogDirSuffix;
    m_run.Change({layout::kSettingsSection, layout::kRootDirKey, storedRoot, m_newRoot, false},
                 kAdminRootDirChanged);
    if (!IsDirectoryChange(storedRoot, m_newRoot, m_run.Reporter(), refusal,
                           m_run.Options().leaveUnchanged))
        return m_run.End(refusal);
    if (!RefuseLink(m_newLogDir, IDS_OPEN_WRITE_FAILED) ||
        !RefuseLink(oldLogDir, IDS_OPEN_READ_FAILED))
        return m_run.End(CommandOutcome::kRefused);
    if (!PrepareNewLogDirectory())
        return m_run.End(CommandOutcome::kFailed);
    CContentMover mover(oldLogDir, m_newLogDir, m_run.Reporter(), m_run.Created());
    if (!m_run.Survey(mover) ||
        !m_run.StartCarrying(WidenText(m_newLogDir), LoadResourceTextW(IDS_MOVING_LOGS)))
        return m_run.End(CommandOutcome::kRefused);
    if (m_run.Options().whatIf)
        return m_run.End(CommandOutcome::kChanged);

    if (!mover.Carry() || m_run.Cancelled() || !m_run.NoteStore())
        return m_run.End(CommandOutcome::kFailed);
    const CContentMover::Settled settled =
        mover.Settle({[this] { return m_run.AwaitJournal(); }, nullptr});
    if (settled != CContentMover::Settled::kSettled || m_run.Cancelled())
        return m_run.End(settled == CContentMover::Settled::kKeptChanging
                             ? CommandOutcome::kTryLater
                             : CommandOutcome::kFailed);
    return m_run.Store(&mover);
}

// The log directory is never entered through a link, under either root, as no other entry is.
bool CRootDirectoryChange::RefuseLink(const std::string& logDir, UINT messageId)
{
    if (!IsLinkAt(WidenText(logDir)))
        return true;
    ReportPathFailure(m_run.Reporter(), messageId, WidenText(logDir),
                      LoadResourceTextW(IDS_LINK_NOT_FOLLOWED));
    return false;
}

// The log directory under the new root, created when it does not exist as a writable entry
// (what-if only looks for the root it would be made in). It stays even when the command fails
// later.
bool CRootDirectoryChange::PrepareNewLogDirectory()
{
    if (CheckAccess(m_newLogDir, kAccessWritable) == 0)
        return true;
    int error = 0;
    if (m_run.Options().whatIf)
        error = IsFolderAttributes(GetFileAttributesA(m_newRoot.c_str())) ? 0 : ENOENT;
    else if (MakeDirectory(m_newLogDir) != 0)
        error = errno;
    if (error == 0)
        return true;
    ReportPathError(m_run.Reporter(), IDS_CREATE_LOG_DIR_FAILED, WidenText(m_newLogDir), error);
    return false;
}
} // namespace

CommandResult ChangeRootDirectory(const CProfileFile& systemProfile,
                                  const CProfileFile& serverProfile, const std::string& newRoot,
                                  CReporter& reporter, const CommandOptions& options)
{
    CCommandRun run(serverProfile.GetPath(), systemProfile, reporter, options,
                    LoadResourceTextW(IDS_WHAT_ROOT));
    return run.Run([&] { return CRootDirectoryChange(run, systemProfile, newRoot).Run(); });
}
