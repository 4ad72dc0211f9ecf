#pragma once

#include <windows.h>

#include <functional>
#include <string>

class CCreatedEntries;
class CReporter;

// How one file's copy went.
enum class CopyResult
{
    kCopied,
    kSourceGone,        // the source no longer exists: nothing to carry (not reported)
    kSourceFailed,      // the source could not be read (reported)
    kDestinationFailed, // the copy could not be written (reported); see the error number
    kSwapped,           // a folder on the destination's path now leads elsewhere (reported)
    kCancelled          // stopped after a block, as asked
};

struct CopyOutcome
{
    CopyResult result;
    int error;          // the error number of a failure; 0 when it had none (a link)
    ULONGLONG bytes;    // copied
    FILETIME lastWrite; // the source's, as it was when the copy began
};

// Copies file `from` to `to` in blocks of up to 1 MiB, fewer bytes while the disk is slow, and
// gives the copy the source's last-write time. Each failure is reported at once
// (IDS_OPEN_READ_FAILED, IDS_OPEN_WRITE_FAILED, IDS_READ_FAILED, IDS_WRITE_FAILED).
//
// Every file the copy makes is journaled in `created` before it is made. A file that was at
// `to` before is replaced only once its replacement is whole, through a temporary file beside
// it, and is kept aside under another name meanwhile, for a move that does not store its change
// puts it back: a copy that fails or is cancelled never leaves it half-written. It is not
// replaced at all when it is read-only, cannot be examined, or is a link to another place. A
// file that `created` lists is overwritten in place.
//
// `onBlock`, when given, is called after each block with its bytes; it returns false to stop.
CopyOutcome CopyOneFile(const std::wstring& from, const std::wstring& to, CCreatedEntries& created,
                        CReporter& reporter,
                        const std::function<bool(const char*, size_t)>& onBlock);
