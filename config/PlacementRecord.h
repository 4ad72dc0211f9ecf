#pragma once

#include <windows.h>

#include <string>

// The window placement record of the server's window ([WindowPos] Main): ten decimal numbers,
// the members of the platform's placement structure after its length.
struct PlacementRecord
{
    UINT flags;
    UINT showCommand;
    int minPosition[2];
    int maxPosition[2];
    int normalPosition[4];
};

// The show command (second field) of a record, or `fallback` when the first two fields are
// not both numbers of their type's range.
UINT ReadPlacementShowCommand(const std::string& record, UINT fallback);

// Reads all ten fields; anything after the tenth is ignored. False when any of the ten is not
// a number, or not one of its type's range (two unsigned, then eight signed 32-bit fields):
// such a record cannot be written back without inventing or altering fields.
bool ParsePlacementRecord(const std::string& record, PlacementRecord& placement);
