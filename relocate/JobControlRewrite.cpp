#include "relocate/JobControlRewrite.h"

#include "base/WideText.h"
#include "config/ConfigLayout.h"
#include "config/NumberedKeys.h"
#include "config/ProfileFile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <vector>

namespace
{
// Entry keys are "File" and the decimal digits of an int.
const size_t kEntryNumberDigits = 10;
const StoreResult kNotInCodePage = {false, ERROR_NO_UNICODE_TRANSLATION};
// Up to this many entries, reading each costs less than reading the key list first.
const long long kFewEntries = 8;

// TotalDataFiles as the text it is: leading decimal digits, at most INT_MAX, so that a count of
// billions stands for every entry instead of wrapping to a negative number.
long long DataFileCount(const std::string& text)
{
    if (text.empty() || text[0] == '-')
        return 0;
    long long count = 0;
    for (char c : text)
    {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        count = std::min<long long>(count * 10 + (c - '0'), LLONG_MAX / 100);
    }
    return count;
}

// The numbers of the entries File1 to File<count> to visit, in increasing order. A few are
// visited as they stand; beyond that only those [Files] holds, read from the section's key
// list at once, so that a count of millions costs nothing.
std::vector<long> EntriesToVisit(const CProfileFile& job, long long count)
{
    std::vector<long> numbers;
    if (count <= kFewEntries)
    {
        for (long number = 1; number <= count; ++number)
            numbers.push_back(number);
        return numbers;
    }
    for (const std::string& key : job.GetKeyNames(layout::kFilesSection))
    {
        const long number = NumberOfNumberedKey(layout::kFileKeyFormat, key, kEntryNumberDigits);
        if (number > 0 && number <= count)
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::wstring InNewDirectory(const std::wstring& oldPath, const std::wstring& newQueueDir)
{
    const size_t backslash = oldPath.rfind(L'\\');
    if (backslash == std::wstring::npos)
        return oldPath;
    return newQueueDir + oldPath.substr(backslash);
}
} // namespace

StoreResult RewriteJobControlFile(const std::wstring& jobFile, const std::string& newQueueDir,
                                  const std::function<bool()>& keepGoing)
{
    std::string path;
    if (!ToHostCodePageExactly(jobFile, path))
        return kNotInCodePage;
    const CProfileFile job(path);
    CCheckedChanges changes(job);
    const long long count =
        DataFileCount(job.GetString(layout::kSettingsSection, layout::kTotalDataFilesKey));
    if (!changes.Remove(layout::kSettingsSection, layout::kCurrentDataFileKey) || count <= 0)
        return changes.Finish();

    const std::wstring files = WidenText(layout::kFilesSection);
    const std::wstring newDir = WidenText(newQueueDir);
    for (long number : EntriesToVisit(job, count))
    {
        if (keepGoing && !keepGoing())
            break;
        const std::wstring entry =
            job.GetWideString(files, WidenText(FormatNumberedKey(layout::kFileKeyFormat, number)));
        if (entry.size() < 2)
            continue;
        const std::wstring dataKey = entry.substr(1);
        std::string narrowKey;
        std::string newPath;
        if (!ToHostCodePageExactly(dataKey, narrowKey) ||
            !ToHostCodePageExactly(InNewDirectory(job.GetWideString(files, dataKey), newDir),
                                   newPath))
            return kNotInCodePage;
        if (!changes.Write(layout::kFilesSection, narrowKey.c_str(), newPath))
            break;
    }
    return changes.Finish();
}
