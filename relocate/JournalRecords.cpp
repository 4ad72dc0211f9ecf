#include "relocate/JournalRecords.h"

#include "base/WideText.h"

#include <cstdlib>

namespace
{
const char kHeader[] = "KEL Administrator journal 2";
const char kEarlierHeader[] = "KEL Administrator journal 1";
const char kDestinationTag = '>';
const char kSettingTag = 'W';
const char kIntentTag = '+';
const char kProofTag = '=';
const char kKeptAsideTag = 'K';
const char kStoreTag = 'S';
// An earlier version's entries: a file or a folder made.
const char kEarlierFileTag = 'F';
const char kEarlierFolderTag = 'D';
const char kSeparator = '\t';
const char kLineEnd[] = "\r\n";

std::string Utf8(const std::wstring& text)
{
    return NarrowText(text, CP_UTF8);
}

std::wstring FromUtf8(const std::string& text)
{
    return WidenText(text, CP_UTF8);
}

std::string Line(char tag, std::initializer_list<std::string> fields)
{
    std::string line(1, tag);
    for (const std::string& field : fields)
        line += (line.size() > 1 ? std::string(1, kSeparator) : std::string()) + field;
    return line + kLineEnd;
}

std::vector<std::string> FieldsOf(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 1;
    for (size_t end; (end = line.find(kSeparator, start)) != std::string::npos; start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

ULONGLONG Number(const std::string& text)
{
    return std::strtoull(text.c_str(), nullptr, 10);
}

FILETIME FileTime(ULONGLONG value)
{
    return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

JournalSetting SettingOf(const std::vector<std::string>& fields)
{
    return {FromUtf8(fields[0]), NarrowText(FromUtf8(fields[1])), NarrowText(FromUtf8(fields[2])),
            NarrowText(FromUtf8(fields[3]))};
}

std::string SettingFields(char tag, const JournalSetting& setting)
{
    return Line(tag, {Utf8(setting.profile), Utf8(WidenText(setting.section)),
                      Utf8(WidenText(setting.key)), Utf8(WidenText(setting.value))});
}

void AddEntry(JournalContents& contents, const std::wstring& path, bool folder, ULONGLONG madeAfter)
{
    JournalEntry entry{path, {}};
    entry.proof.folder = folder;
    entry.proof.madeAfter = madeAfter;
    contents.entries.push_back(entry);
}

// The proof of the newest entry of that path; a file renamed into its place is an entry too.
void Prove(JournalContents& contents, const std::wstring& path,
           const std::vector<std::string>& fields)
{
    auto entry = contents.entries.rbegin();
    while (entry != contents.entries.rend() && entry->path != path)
        ++entry;
    if (entry == contents.entries.rend())
    {
        AddEntry(contents, path, false, 0);
        entry = contents.entries.rbegin();
    }
    FileIdentity& proof = entry->proof.identity;
    entry->proof.proved = true;
    entry->proof.whole = true;
    proof.volume = static_cast<unsigned long>(Number(fields[1]));
    proof.index = Number(fields[2]);
    proof.attributes = entry->proof.folder ? FILE_ATTRIBUTE_DIRECTORY : 0;
    proof.size = Number(fields[3]);
    proof.lastWrite = FileTime(Number(fields[4]));
}

void ReadLine(const std::string& line, ULONGLONG begunAt, JournalContents& contents)
{
    const std::vector<std::string> fields = FieldsOf(line);
    switch (line[0])
    {
    case kDestinationTag:
        contents.destination = FromUtf8(fields[0]);
        if (fields.size() == 3)
        {
            contents.destinationIdentity.volume = static_cast<unsigned long>(Number(fields[1]));
            contents.destinationIdentity.index = Number(fields[2]);
        }
        break;
    case kSettingTag:
    case kStoreTag:
        if (fields.size() != 4)
            break;
        if (line[0] == kSettingTag)
            contents.setting = SettingOf(fields);
        else
            contents.store = SettingOf(fields);
        contents.storeNoted = contents.storeNoted || line[0] == kStoreTag;
        break;
    case kIntentTag:
        if (fields.size() == 3)
            AddEntry(contents, FromUtf8(fields[2]), fields[0] == "D", Number(fields[1]));
        break;
    case kEarlierFileTag:
    case kEarlierFolderTag:
        AddEntry(contents, FromUtf8(fields[0]), line[0] == kEarlierFolderTag, begunAt);
        break;
    case kProofTag:
        if (fields.size() == 5)
            Prove(contents, FromUtf8(fields[0]), fields);
        break;
    case kKeptAsideTag:
        if (fields.size() == 4)
            contents.keptAside.push_back({FromUtf8(fields[0]), FromUtf8(fields[1]),
                                          static_cast<unsigned long>(Number(fields[2])),
                                          Number(fields[3])});
        break;
    default:
        break;
    }
}
} // namespace

namespace journal
{
std::string Header()
{
    return std::string(kHeader) + kLineEnd;
}

std::string Destination(const std::wstring& destination, const FileIdentity& identity)
{
    return Line(kDestinationTag, {Utf8(destination), std::to_string(identity.volume),
                                  std::to_string(identity.index)});
}

std::string Setting(const JournalSetting& setting)
{
    return SettingFields(kSettingTag, setting);
}

std::string Intent(bool folder, const std::wstring& path, ULONGLONG intendedAt)
{
    return Line(kIntentTag, {folder ? "D" : "F", std::to_string(intendedAt), Utf8(path)});
}

std::string Proof(const std::wstring& path, const FileIdentity& identity)
{
    return Line(kProofTag,
                {Utf8(path), std::to_string(identity.volume), std::to_string(identity.index),
                 std::to_string(identity.size), std::to_string(TimeValue(identity.lastWrite))});
}

std::string KeptAside(const KeptAsideFile& kept)
{
    return Line(kKeptAsideTag, {Utf8(kept.original), Utf8(kept.aside), std::to_string(kept.volume),
                                std::to_string(kept.index)});
}

std::string Store(const JournalSetting& store)
{
    return SettingFields(kStoreTag, store);
}

std::string Text(const JournalContents& contents)
{
    std::string text = Header() + Destination(contents.destination, contents.destinationIdentity) +
                       Setting(contents.setting);
    for (const JournalEntry& entry : contents.entries)
    {
        text += Intent(entry.proof.folder, entry.path, entry.proof.madeAfter);
        if (entry.proof.proved)
            text += Proof(entry.path, entry.proof.identity);
    }
    for (const auto& kept : contents.keptAside)
        text += KeptAside(kept);
    return text;
}

bool Read(const std::string& text, ULONGLONG begunAt, JournalContents& contents)
{
    const size_t firstEnd = text.find(kLineEnd);
    const std::string header = text.substr(0, firstEnd);
    if (header != kHeader && header != kEarlierHeader)
        return false;
    size_t start = firstEnd == std::string::npos ? text.size() : firstEnd + 2;
    for (size_t end; (end = text.find(kLineEnd, start)) != std::string::npos; start = end + 2)
        if (end > start)
            ReadLine(text.substr(start, end - start), begunAt, contents);
    return true;
}
} // namespace journal

ULONGLONG SystemTimeNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return TimeValue(now);
}
