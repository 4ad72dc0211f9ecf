#pragma once

#include <string>

// The substitute server's log: one line per event, appended and flushed at once so that a
// reader in another process sees every line as soon as it is written.
class CServerLog
{
public:
    explicit CServerLog(std::string path) : m_path(std::move(path)) {}
    void Append(const std::string& line) const;

private:
    std::string m_path;
};
