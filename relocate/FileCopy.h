#pragma once

#include <functional>
#include <string>

class CCreatedEntries;

// How one file's copy went.
enum class CopyResult
{
    kCopied,
    kSourceFailed,      // the source could not be read (reported)
    kDestinationFailed, // the copy could not be written (reported); see the error number
    kCancelled          // stopped after a block, as asked
};

struct CopyOutcome
{
    CopyResult result;
    int error; // the error number of a failure
};

// Copies file `from` to `to` in 512-byte blocks through buffered streams and gives the copy
// the source's last-write time. Each failure is reported at once (messages 8 to 11).
//
// A file that the copy creates is added to `created` (when given). A file that was at `to`
// before is replaced only once its replacement is whole, through a temporary file beside it:
// a copy that fails or is cancelled never leaves it half-written. It is not replaced at all
// when it is read-only or cannot be examined. A file that `created` lists is overwritten in
// place.
//
// `onBlock`, when given, is called after each block with its size; it returns false to stop.
CopyOutcome CopyOneFile(const std::string& from, const std::string& to, CCreatedEntries* created,
                        const std::function<bool(size_t)>& onBlock);
