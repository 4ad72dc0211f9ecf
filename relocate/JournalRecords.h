#pragma once

#include "relocate/FileIdentity.h"

#include <windows.h>

#include <string>
#include <vector>

// The lines of a move's journal, one record each, in UTF-8 so that entries keep their exact
// names, and what a whole journal says once read back.

// The setting a move changes: [section] key of `profile`, as the move found it.
struct JournalSetting
{
    std::wstring profile;
    std::string section;
    std::string key;
    std::string value;
};

// One entry the move was about to create, with what proves that the one there is it: its
// identity once made, or else the system time just before it was made.
struct JournalEntry
{
    std::wstring path;
    EntryProof proof;
};

struct JournalContents
{
    std::wstring destination;
    FileIdentity destinationIdentity;  // its volume and index as the move began; 0: unknown
    JournalSetting setting;            // none in a journal of an earlier version
    std::vector<JournalEntry> entries; // in the order they were made
    // Files that were in the destination before, each kept aside under another name while a
    // copy took its place.
    std::vector<KeptAsideFile> keptAside;
    bool storeNoted = false;
    JournalSetting store; // the value the move was about to store
};

namespace journal
{
std::string Header();
std::string Destination(const std::wstring& destination, const FileIdentity& identity);
std::string Setting(const JournalSetting& setting);
std::string Intent(bool folder, const std::wstring& path, ULONGLONG intendedAt);
std::string Proof(const std::wstring& path, const FileIdentity& identity);
std::string KeptAside(const KeptAsideFile& kept);
std::string Store(const JournalSetting& store);

// The text of a whole journal that says `contents` (what a cleanup could not remove).
std::string Text(const JournalContents& contents);

// Reads a journal's text; an entry of an earlier version without times counts as intended at
// `begunAt`. False when the text is no journal.
bool Read(const std::string& text, ULONGLONG begunAt, JournalContents& contents);
} // namespace journal

// The system time now, in 100-nanosecond units.
ULONGLONG SystemTimeNow();
