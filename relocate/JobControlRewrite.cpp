#include "relocate/JobControlRewrite.h"

#include "base/WideText.h"
#include "config/ConfigLayout.h"
#include "config/NumberedKeys.h"
#include "config/ProfileFile.h"
#include "config/ProfileStore.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <vector>

namespace
{
// Entry keys are "File" and the decimal digits of an int.
const size_t kEntryNumberDigits = 10;
const StoreResult kNotInCodePage = {false, ERROR_NO_UNICODE_TRANSLATION};

// TotalDataFiles as the text it is: leading decimal digits, held below overflow, so that a count
// of billions stands for every entry instead of wrapping to a negative number.
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

// The value of `key` in a section as read, as the platform reads one key: the first entry of
// that key, blanks around it ignored, in any letter case, without one pair of quotes around it.
std::wstring ValueOf(const std::vector<ProfileEntry>& entries, const std::wstring& key)
{
    const size_t first = key.find_first_not_of(L" \t");
    const std::wstring name = first == std::wstring::npos
                                  ? std::wstring()
                                  : key.substr(first, key.find_last_not_of(L" \t") - first + 1);
    for (const ProfileEntry& entry : entries)
    {
        if (!EqualIgnoringCase(entry.key, name))
            continue;
        const std::wstring& value = entry.value;
        if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') &&
            value.back() == value[0])
            return value.substr(1, value.size() - 2);
        return value;
    }
    return std::wstring();
}

// The numbers of the entries File1 to File<count> that [Files] holds, in increasing order.
std::vector<long> EntriesToVisit(const std::vector<ProfileEntry>& files, long long count)
{
    std::vector<long> numbers;
    for (const ProfileEntry& entry : files)
    {
        std::string key;
        if (!ToHostCodePageExactly(entry.key, key))
            continue;
        const long number = NumberOfNumberedKey(layout::kFileKeyFormat, key, kEntryNumberDigits);
        if (number > 0 && number <= count)
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

// `oldPath` when it lies in `oldQueueDir` or below, at the same place below `newQueueDir`
// (joined by one backslash, as a directory and a name always are); false for a path elsewhere,
// whose file the move did not carry.
bool InNewDirectory(const std::wstring& oldPath, std::wstring oldQueueDir,
                    const std::wstring& newQueueDir, std::wstring& newPath)
{
    while (oldQueueDir.size() > 2 && oldQueueDir.back() == L'\\')
        oldQueueDir.pop_back();
    if (oldPath.size() <= oldQueueDir.size() + 1 || oldPath[oldQueueDir.size()] != L'\\' ||
        !EqualIgnoringCase(oldPath.substr(0, oldQueueDir.size()), oldQueueDir))
        return false;
    newPath = newQueueDir + oldPath.substr(oldQueueDir.size());
    return true;
}
} // namespace

// Each section is read once and its changes read back with it: CurrentDataFile goes first, so
// that the read of [Settings] that confirms it gives the count too; [Files] is read once for
// every entry and path, and read back once after its writes.
StoreResult RewriteJobControlFile(const std::wstring& jobFile, const std::string& oldQueueDir,
                                  const std::string& newQueueDir,
                                  const std::function<bool()>& keepGoing)
{
    std::string path;
    if (!ToHostCodePageExactly(jobFile, path))
        return kNotInCodePage;
    const CProfileFile job(path);
    CCheckedChanges changes(job);
    std::vector<ProfileEntry> settings;
    if (!changes.Remove(layout::kSettingsSection, layout::kCurrentDataFileKey) ||
        !changes.ReadBack(layout::kSettingsSection, settings))
        return changes.Finish();
    const long long count =
        DataFileCount(NarrowText(ValueOf(settings, WidenText(layout::kTotalDataFilesKey))));
    std::vector<ProfileEntry> files;
    if (count <= 0 || !changes.ReadBack(layout::kFilesSection, files))
        return changes.Finish();

    const std::wstring oldDir = WidenText(oldQueueDir);
    const std::wstring newDir = WidenText(newQueueDir);
    for (long number : EntriesToVisit(files, count))
    {
        if (keepGoing && !keepGoing())
            break;
        const std::wstring entry =
            ValueOf(files, WidenText(FormatNumberedKey(layout::kFileKeyFormat, number)));
        if (entry.size() < 2)
            continue;
        const std::wstring dataKey = entry.substr(1);
        const std::wstring oldPath = ValueOf(files, dataKey);
        std::wstring moved;
        if (!oldPath.empty() && !InNewDirectory(oldPath, oldDir, newDir, moved))
            continue;
        std::string narrowKey;
        std::string newPath;
        if (!ToHostCodePageExactly(dataKey, narrowKey) || !ToHostCodePageExactly(moved, newPath))
            return kNotInCodePage;
        if (!changes.Write(layout::kFilesSection, narrowKey.c_str(), newPath))
            break;
    }
    return changes.Finish();
}
