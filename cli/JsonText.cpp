#include "cli/JsonText.h"

#include <cstdio>

std::string JsonString(const std::wstring& text)
{
    std::string json = "\"";
    for (wchar_t c : text)
    {
        switch (c)
        {
        case L'"':
            json += "\\\"";
            break;
        case L'\\':
            json += "\\\\";
            break;
        case L'\n':
            json += "\\n";
            break;
        case L'\r':
            json += "\\r";
            break;
        case L'\t':
            json += "\\t";
            break;
        default:
            if (c >= 0x20 && c < 0x7f)
            {
                json += static_cast<char>(c);
            }
            else
            {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                json += escape;
            }
        }
    }
    return json + "\"";
}

void CJsonObject::AddMember(const char* name, const std::string& value)
{
    if (!m_members.empty())
        m_members += ", ";
    m_members +=
        JsonString(std::wstring(name, name + std::char_traits<char>::length(name))) + ": " + value;
}

CJsonObject& CJsonObject::Add(const char* name, const std::wstring& text)
{
    AddMember(name, JsonString(text));
    return *this;
}

CJsonObject& CJsonObject::Add(const char* name, ULONGLONG number)
{
    AddMember(name, std::to_string(number));
    return *this;
}

CJsonObject& CJsonObject::Add(const char* name, bool value)
{
    AddMember(name, value ? "true" : "false");
    return *this;
}

CJsonObject& CJsonObject::Add(const char* name, const std::vector<std::wstring>& texts)
{
    std::string list;
    for (const std::wstring& text : texts)
        list += (list.empty() ? "" : ", ") + JsonString(text);
    AddMember(name, "[" + list + "]");
    return *this;
}

CJsonObject& CJsonObject::Add(const char* name, const std::vector<CJsonObject>& objects)
{
    std::string list;
    for (const CJsonObject& object : objects)
        list += (list.empty() ? "" : ", ") + object.Text();
    AddMember(name, "[" + list + "]");
    return *this;
}
