#pragma once

#include <string>

// Carries every entry of `source` over into `destination` (both absolute directory paths, used
// as given), copying each file and deleting nothing. Each failed entry is reported at once in a
// message box and the move goes on with the next; a source that cannot be entered ends it.
// Returns 1 when every entry it tried was carried over, 0 otherwise. When both paths reach
// the same directory nothing is carried over and the result is 1.
int MoveDirectoryContents(const std::string& source, const std::string& destination);

// Renames source\name to destination\name; 1 on success, 0 after message 7.
int RenameOneFile(const std::string& source, const std::string& destination,
                  const std::string& name);

// Copies source\name to destination\name in 512-byte blocks through buffered streams; 1 on
// success, 0 after one of messages 8 to 11.
int CopyOneFile(const std::string& source, const std::string& destination, const std::string& name);
