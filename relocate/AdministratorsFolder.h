#pragma once

#include <string>

class CReporter;

// The folder of the tool's journals and locks, "KEL Administrator" in the common application
// data folder, which only administrators may change: a journal found there is trusted to be
// the tool's own, and a lock there can only be taken by an administrator.
//
// It is made owned by Administrators with a list that lets only Administrators and SYSTEM
// change it. One found as a link or junction is refused, never mended through; one that others
// own or may change is mended when this process may, and refused otherwise. True with `path`
// set when the folder can be used; a refusal is reported (IDS_FOLDER_NOT_TRUSTED) when
// `reporter` is given.
bool PrepareAdministratorsFolder(std::wstring& path, CReporter* reporter);

// The warning that a program running elevated from a folder that others may change owes its
// user (IDS_PROGRAM_FOLDER_WRITABLE, naming the folder and the mend); empty when there is none.
std::wstring ProgramFolderWarning();
