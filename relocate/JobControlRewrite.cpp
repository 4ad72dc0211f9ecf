#include "relocate/JobControlRewrite.h"

#include "config/ConfigLayout.h"
#include "config/NumberedKeys.h"
#include "config/ProfileFile.h"

#include <windows.h>

#include <algorithm>

namespace
{
// File1 to File9999999: entry keys are at most "File" and seven digits.
const long kLastEntryNumber = 9999999;
const size_t kEntryNumberDigits = 7;

// The position of the last backslash, not counting a backslash byte that is the second half of
// a double-byte character of the host code page.
size_t LastBackslash(const std::string& path)
{
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i)
    {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size())
        {
            ++i;
            continue;
        }
        if (path[i] == '\\')
            last = i;
    }
    return last;
}

// Counts up to this many are visited as they stand; beyond it the entries are looked for first.
const long kPlainLoopLimit = 1024;

// Entries that do not exist are skipped, so the loop need go no further than the highest entry
// present: a corrupt count of billions then costs one more read instead of a hang.
long LastEntryToVisit(const CProfileFile& job, long total)
{
    if (total <= kPlainLoopLimit)
        return total;
    long highest = 0;
    for (const std::string& key : job.GetKeyNames(layout::kFilesSection))
        highest =
            std::max(highest, NumberOfNumberedKey(layout::kFileKeyFormat, key, kEntryNumberDigits));
    return std::min({total, highest, kLastEntryNumber});
}

std::string InNewDirectory(const std::string& oldPath, const std::string& newQueueDir)
{
    const size_t backslash = LastBackslash(oldPath);
    if (backslash == std::string::npos)
        return oldPath;
    return newQueueDir + oldPath.substr(backslash);
}
} // namespace

StoreResult RewriteJobControlFile(std::string jobFile, std::string newQueueDir,
                                  const std::function<void()>& pump)
{
    const CProfileFile job(std::move(jobFile));
    CCheckedChanges changes(job);
    const auto total =
        static_cast<int>(job.GetInt(layout::kSettingsSection, layout::kTotalDataFilesKey, 0));
    if (!changes.Remove(layout::kSettingsSection, layout::kCurrentDataFileKey) || total <= 0)
        return changes.Finish();

    const long last = LastEntryToVisit(job, total);
    for (long i = 1; i <= last; ++i)
    {
        if (pump)
            pump();
        const std::string entryKey = FormatNumberedKey(layout::kFileKeyFormat, i);
        const std::string entry = job.GetString(layout::kFilesSection, entryKey.c_str());
        if (entry.size() < 2)
            continue;
        const std::string dataKey = entry.substr(1);
        const std::string oldPath = job.GetString(layout::kFilesSection, dataKey.c_str());
        if (!changes.Write(layout::kFilesSection, dataKey.c_str(),
                           InNewDirectory(oldPath, newQueueDir)))
            break;
    }
    return changes.Finish();
}
