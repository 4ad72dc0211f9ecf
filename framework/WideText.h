#pragma once

#include <string>

// `wide` in the host code page, as the platform converts it (characters the code page lacks
// become their best fit or the default character).
std::string NarrowText(const std::wstring& wide);
