#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One JSON object, written as its members are added, in plain ASCII: every character outside
// it is written as a \u escape of its UTF-16 code units, so that any code page reads it.
class CJsonObject
{
public:
    CJsonObject& Add(const char* name, const std::wstring& text);
    CJsonObject& Add(const char* name, ULONGLONG number);
    CJsonObject& Add(const char* name, bool value);
    CJsonObject& Add(const char* name, const std::vector<std::wstring>& texts);
    CJsonObject& Add(const char* name, const std::vector<CJsonObject>& objects);

    // The object, "{...}".
    std::string Text() const { return "{" + m_members + "}"; }

private:
    void AddMember(const char* name, const std::string& value);

    std::string m_members;
};

// `text` as a JSON string, quotes included.
std::string JsonString(const std::wstring& text);
