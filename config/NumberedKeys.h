#pragma once

#include <string>

// Keys numbered from 1 with a printf form such as "Queue%d" or "File%d".

// The key for `number`, formed without a fixed-size buffer.
std::string FormatNumberedKey(const char* format, long number);

// The number that `key` stands for under `format`, as FormatNumberedKey would have formed it
// (the text before "%d" in any letter case, then decimal digits without a leading zero, at most
// `maxDigits` of them, fitting an int); 0 for any other key.
long NumberOfNumberedKey(const char* format, const std::string& key, size_t maxDigits);
