#include "config/NumberedKeys.h"

#include <windows.h>

#include <cctype>
#include <climits>
#include <cstdio>

std::string FormatNumberedKey(const char* format, long number)
{
    const int length = std::snprintf(nullptr, 0, format, static_cast<int>(number));
    std::string key(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(&key[0], key.size(), format, static_cast<int>(number));
    key.resize(static_cast<size_t>(length));
    return key;
}

long NumberOfNumberedKey(const char* format, const std::string& key, size_t maxDigits)
{
    const std::string pattern(format);
    const size_t prefixLength = pattern.find("%d");
    if (prefixLength == std::string::npos || key.size() <= prefixLength ||
        key.size() > prefixLength + maxDigits)
        return 0;
    // Profile key names match without regard to letter case.
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, key.c_str(),
                       static_cast<int>(prefixLength), pattern.c_str(),
                       static_cast<int>(prefixLength)) != CSTR_EQUAL)
        return 0;
    // Parsed by hand, so that no number, however long, can throw or wrap: a key whose number
    // does not fit the int that "%d" formats stands for no number at all.
    const std::string digits = key.substr(prefixLength);
    if (digits[0] == '0')
        return 0;
    long number = 0;
    for (char c : digits)
    {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return 0;
        const int digit = c - '0';
        if (number > (INT_MAX - digit) / 10)
            return 0;
        number = number * 10 + digit;
    }
    return number;
}
