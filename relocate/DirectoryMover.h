#pragma once

#include <string>

class CCreatedEntries;
class CProgressWindow;

// Carries every entry of `source` over into `destination` (both absolute directory paths, used
// as given), copying each file and deleting nothing; subfolders are created in the destination
// and carried over in the same way, at any depth. Returns 1 when every entry it tried was
// carried over, 0 otherwise.
//
// - A source that cannot be entered ends the move at once (message 12).
// - Before anything is copied the source's files and bytes are counted; a destination that
//   cannot hold one copy of them is refused (message 21) and nothing is copied.
// - Each entry that fails is reported in a message box and the move goes on with the next;
//   a failure whose cause is the destination itself (gone, or full) ends the move after that
//   one message, since every later entry would fail the same way.
// - A link or junction is not followed: it is reported as an entry that cannot be read.
// - When both paths reach the same directory nothing is carried over and the result is 1; an
//   entry that is the destination, or holds it, is not carried: nothing is copied into itself.
// - Each copy gets its source's last-write time.
//
// Every file and folder the move creates in the destination is added to `created`, when
// given, so that a command that fails later can remove them again. With `progress` the move
// reports to it and pumps it throughout, and stops after the current block once the user
// cancels (result 0).
int MoveDirectoryContents(const std::string& source, const std::string& destination,
                          CCreatedEntries* created = nullptr, CProgressWindow* progress = nullptr);
