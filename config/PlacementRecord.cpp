#include "config/PlacementRecord.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace
{
// Reads one decimal field at `text` as the record's "%u" or "%d" would, but refuses a value
// outside the field's type instead of clamping it: leading blanks, an optional sign, digits.
// Moves `text` past the field.
bool ReadField(const char*& text, bool isUnsigned, long long& value)
{
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    if (!std::isdigit(static_cast<unsigned char>(*text)))
        return false;
    // Accumulated with a cap, so that no length of digits can overflow.
    const long long cap = 1LL << 40;
    long long magnitude = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text)
        magnitude = std::min(cap, magnitude * 10 + (*text - '0'));
    value = negative ? -magnitude : magnitude;
    // An unsigned field takes what "%u" takes: a negative value wraps as it always has.
    const long long lowest = isUnsigned ? -static_cast<long long>(UINT_MAX) : INT_MIN;
    const long long highest = isUnsigned ? UINT_MAX : INT_MAX;
    return value >= lowest && value <= highest;
}

// Reads `count` comma-separated fields; the first two are unsigned, the rest signed. Anything
// after the last field is ignored.
bool ReadFields(const std::string& record, long long* fields, int count)
{
    const char* text = record.c_str();
    for (int i = 0; i < count; ++i)
    {
        if (i > 0 && *text++ != ',')
            return false;
        if (!ReadField(text, i < 2, fields[i]))
            return false;
    }
    return true;
}
} // namespace

UINT ReadPlacementShowCommand(const std::string& record, UINT fallback)
{
    long long head[2];
    if (!ReadFields(record, head, 2))
        return fallback;
    return static_cast<UINT>(head[1]);
}

bool ParsePlacementRecord(const std::string& record, PlacementRecord& placement)
{
    long long f[10];
    if (!ReadFields(record, f, 10))
        return false;
    placement = {static_cast<UINT>(f[0]),
                 static_cast<UINT>(f[1]),
                 {static_cast<int>(f[2]), static_cast<int>(f[3])},
                 {static_cast<int>(f[4]), static_cast<int>(f[5])},
                 {static_cast<int>(f[6]), static_cast<int>(f[7]), static_cast<int>(f[8]),
                  static_cast<int>(f[9])}};
    return true;
}
