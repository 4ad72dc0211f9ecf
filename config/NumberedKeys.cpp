#include "config/NumberedKeys.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
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
    const std::string digits = key.substr(prefixLength);
    const bool allDigits =
        std::all_of(digits.begin(), digits.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    if (!allDigits || digits[0] == '0')
        return 0;
    return std::stol(digits);
}
