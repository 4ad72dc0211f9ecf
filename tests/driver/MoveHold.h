#pragma once

#include <windows.h>

#include <string>

// Holds the move of every tool or command line that a test starts while this object lives, the
// first time it reaches `point` ("copy": after its first file; "folder": as it enters its first
// subfolder; "rewrite": after its first job control file; "listing": before each last look at
// the source), or every time with `everyTime`, through the environment they inherit. The move
// waits there, answering its window, until Release (each hold its own, with `everyTime`) or a
// cancel.
class CMoveHold
{
public:
    explicit CMoveHold(const char* point, bool everyTime = false);
    ~CMoveHold();
    CMoveHold(const CMoveHold&) = delete;
    CMoveHold& operator=(const CMoveHold&) = delete;

    // Waits until a move is held; false when none was in time.
    bool WaitHeld(DWORD milliseconds = 60000);
    void Release();

private:
    HANDLE m_held;
    HANDLE m_go;
};
