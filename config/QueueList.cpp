#include "config/QueueList.h"

#include "base/WideText.h"
#include "config/ConfigLayout.h"
#include "config/NumberedKeys.h"

#include <map>

namespace
{
const size_t kMaxValueLength = 1023;
const size_t kMaxQueueNumberDigits = 10;

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string AsGetStringGivesIt(std::string value)
{
    value = Trimmed(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value.substr(0, kMaxValueLength);
}
} // namespace

std::vector<std::string> ReadQueueNames(const CProfileFile& serverProfile)
{
    // The first entry of each number wins, as a lookup of the key would find it.
    std::map<long, std::string> byNumber;
    for (const std::string& entry : serverProfile.GetSectionEntries(layout::kQueuesSection))
    {
        const size_t equals = entry.find('=');
        if (equals == std::string::npos)
            continue;
        const long number = NumberOfNumberedKey(
            layout::kQueueKeyFormat, Trimmed(entry.substr(0, equals)), kMaxQueueNumberDigits);
        if (number > 0)
            byNumber.emplace(number, AsGetStringGivesIt(entry.substr(equals + 1)));
    }
    std::vector<std::string> names;
    for (long n = 1;; ++n)
    {
        const auto found = byNumber.find(n);
        if (found == byNumber.end() || found->second.empty())
            return names;
        names.push_back(found->second);
    }
}

bool FindQueueName(const CProfileFile& serverProfile, const std::wstring& name, std::string& queue)
{
    for (const std::string& listed : ReadQueueNames(serverProfile))
        if (EqualIgnoringCase(name, WidenText(listed)))
        {
            queue = listed;
            return true;
        }
    return false;
}
