#include "base/NumberTexts.h"

#include <shlwapi.h>

std::string CountText(ULONGLONG count)
{
    const std::string digits = std::to_string(count);
    char grouping[8] = "";
    char separator[8] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, grouping, sizeof grouping);
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof separator);
    NUMBERFMTA format = {};
    format.NumDigits = 0;
    format.LeadingZero = 0;
    // "3;0" is the usual grouping; the format takes it as 30.
    format.Grouping = grouping[0] >= '1' && grouping[0] <= '9' ? grouping[0] - '0' : 3;
    format.lpDecimalSep = const_cast<char*>(".");
    format.lpThousandSep = separator;
    format.NegativeOrder = 1;
    char text[64] = "";
    if (GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits.c_str(), &format, text, sizeof text) == 0)
        return digits;
    return text;
}

std::string ByteSizeText(ULONGLONG bytes)
{
    char text[64] = "";
    if (StrFormatByteSize64A(static_cast<LONGLONG>(bytes), text, sizeof text) == nullptr)
        return std::to_string(bytes);
    return text;
}
