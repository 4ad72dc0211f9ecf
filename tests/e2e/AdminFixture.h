#pragma once

#include "tests/driver/BroadcastListener.h"
#include "tests/driver/ServerProcess.h"
#include "tests/driver/TestFiles.h"
#include "tests/driver/ToolProcess.h"

#include <gtest/gtest.h>

#include <string>

// A machine laid out for one end-to-end test: kel-admin.exe and kel-server.exe in C:\Tools,
// the system profile in the Windows directory, the server profile beside the programs, and the
// server's directories under C:\kel. Everything is made afresh for each test.
class AdminFixture : public ::testing::Test
{
protected:
    static constexpr const char* kToolsDir = "C:\\Tools";
    static constexpr const char* kDataDir = "C:\\kel";
    static constexpr const char* kSystemProfile = "C:\\windows\\kel.ini";
    static constexpr const char* kServerProfile = "C:\\Tools\\kel.ini";
    static constexpr const char* kServerLog = "C:\\Tools\\server.log";
    static constexpr const char* kToolExe = "C:\\Tools\\kel-admin.exe";
    static constexpr const char* kCliExe = "C:\\Tools\\kel-admin-cli.exe";
    // Where the tool keeps the journal of a move while it runs.
    static constexpr const char* kJournals = "C:\\ProgramData\\KEL Administrator";

    void SetUp() override;
    void TearDown() override;

    // Writes a profile file from lines joined with CRLF.
    static void WriteProfile(const std::string& path, const std::string& text);

    void StartServer();
    void StartTool();
    // Closes the dialog with its Close button and waits for the process to end.
    void CloseTool();

    // Flushes the broadcast listener and the server log, so that every admin message posted so
    // far is counted.
    void FlushBroadcasts();

    // A message box as a test expects it: its whole text and its icon.
    struct ExpectedBox
    {
        std::string text;
        UINT iconKind;
    };
    // Takes every message box the tool now shows, each closed with OK, and checks them in order.
    void ExpectBoxes(const std::vector<ExpectedBox>& expected) { ExpectBoxesOf(m_tool, expected); }
    static void ExpectBoxesOf(CToolProcess& tool, const std::vector<ExpectedBox>& expected);
    // The texts of every message box the tool now shows, each closed with OK.
    std::vector<std::string> TakeTexts();

    CBroadcastListener m_listener;
    CServerProcess m_server;
    CToolProcess m_tool;
};
