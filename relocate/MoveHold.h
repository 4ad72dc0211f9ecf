#pragma once

class CReporter;

// A point of a move at which a test can hold it, switched on through the environment:
// KEL_HOLD_MOVE=POINT:NAME holds the move the first time it reaches POINT ("copy": after its
// first file is copied; "folder": as it enters its first subfolder; "rewrite": after its first
// job control file is rewritten; "listing": before each last look at the source), sets the
// event NAME-held and waits, pumping, until the event NAME-go is set or the move is cancelled.
// POINT* holds it every time it reaches POINT. Without the variable nothing happens.
void HoldMoveAt(const char* point, CReporter& reporter);
