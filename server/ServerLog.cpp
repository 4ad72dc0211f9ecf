#include "server/ServerLog.h"

#include <cstdio>

void CServerLog::Append(const std::string& line) const
{
    if (m_path.empty())
        return;
    if (FILE* file = std::fopen(m_path.c_str(), "ab"))
    {
        std::fprintf(file, "%s\r\n", line.c_str());
        std::fclose(file);
    }
}
